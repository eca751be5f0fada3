// SPDX-License-Identifier: MIT
#include "core/BookmarkListLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace kelvane::test {
namespace {

void touch(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

// ---------------------------------------------------------------------------------------------
// Which list a program reads and saves, from what lies on disk: the portable marker beside the
// program, a list beside it, the user's own list and the system's starting lists.

enum class Where { Beside, Own, Config, Data };

struct DiskRow {
    const char* name;
    bool marker = false;         // kelvane-portable beside the program
    bool markerIsFolder = false; // ... as a folder, not a file
    bool besideList = false;     // bookmarked.txt beside the program
    bool ownList = false;        // the user's own list
    bool configList = false;     // the starting list in a system configuration folder
    bool dataList = false;       // the starting list in a system data folder
    bool programFolderMissing = false;
    Where read, save;
};

class ListOnDisk : public testing::TestWithParam<DiskRow> {};

// Nothing new appears beside a program whose list is kept elsewhere, and the save folder can be
// made. An installed copy in a folder the user can write (~/.local/bin) is still an installed
// copy: a list beside it is not the user's list.
TEST_P(ListOnDisk, ReadsAndSaves) {
    const DiskRow& row = GetParam();
    QTemporaryDir dir;
    const QString program = dir.filePath("bin"), own = dir.filePath("home/Kelvane");
    const QString config = dir.filePath("etc/xdg/Kelvane"), data = dir.filePath("share/Kelvane");
    if (!row.programFolderMissing) {
        ASSERT_TRUE(QDir().mkpath(program));
    }
    if (row.markerIsFolder) {
        ASSERT_TRUE(QDir().mkpath(program + "/kelvane-portable"));
    }
    const auto list = [](const QString& folder) { return folder + "/bookmarked.txt"; };
    const std::pair<bool, QString> files[] = {{row.marker, program + "/kelvane-portable"},
                                              {row.besideList, list(program)},
                                              {row.ownList, list(own)},
                                              {row.configList, list(config)},
                                              {row.dataList, list(data)}};
    for (const auto& [made, path] : files) {
        if (made) {
            touch(path);
        }
    }
    const auto pathOf = [&](Where where) {
        switch (where) {
        case Where::Beside:
            return list(program);
        case Where::Own:
            return list(own);
        case Where::Config:
            return list(config);
        case Where::Data:
            break;
        }
        return list(data);
    };
    const QStringList besideBefore = QDir(program).entryList(QDir::AllEntries | QDir::Hidden);

    const BookmarkListLocation location(program, own, {config, data});
    EXPECT_EQ(location.besideProgram(), row.save == Where::Beside);
    EXPECT_EQ(location.readPath(), pathOf(row.read));
    EXPECT_EQ(location.savePath(), pathOf(row.save));
    EXPECT_EQ(location.portableNote().isEmpty(), row.save != Where::Beside);
    EXPECT_EQ(QDir(program).entryList(QDir::AllEntries | QDir::Hidden), besideBefore);
}

using enum Where;
INSTANTIATE_TEST_SUITE_P(
    BookmarkListLocation, ListOnDisk,
    testing::Values(
        DiskRow{.name = "PortableWithoutAList", .marker = true, .read = Beside, .save = Beside},
        DiskRow{.name = "PortableIgnoresTheUsersAndTheSystemsLists",
                .marker = true,
                .ownList = true,
                .configList = true,
                .read = Beside,
                .save = Beside},
        DiskRow{.name = "InstalledWithoutAnyList", .read = Own, .save = Own},
        DiskRow{.name = "InstalledInAWritableFolderIgnoresAListBesideIt",
                .besideList = true,
                .read = Own,
                .save = Own},
        DiskRow{.name = "AMarkerFolderIsNoMarker",
                .markerIsFolder = true,
                .besideList = true,
                .read = Own,
                .save = Own},
        DiskRow{
            .name = "MissingProgramFolder", .programFolderMissing = true, .read = Own, .save = Own},
        DiskRow{.name = "StartingListFromTheConfigurationFolder",
                .configList = true,
                .read = Config,
                .save = Own},
        DiskRow{
            .name = "StartingListFromTheDataFolder", .dataList = true, .read = Data, .save = Own},
        DiskRow{.name = "ConfigurationBeforeData",
                .configList = true,
                .dataList = true,
                .read = Config,
                .save = Own},
        DiskRow{.name = "TheUsersOwnListBeforeAnyStartingList",
                .ownList = true,
                .configList = true,
                .dataList = true,
                .read = Own,
                .save = Own}),
    [](const testing::TestParamInfo<DiskRow>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// The user's list from HOME, XDG_DATA_HOME and the user database, as the XDG base directory
// rules read them: a relative or empty value counts as unset.

struct HomeRow {
    const char* name;
    std::optional<QString> home, dataHome;
    QString databaseHome;
    QString save; // empty: nowhere to save
};

class UsersList : public testing::TestWithParam<HomeRow> {};

TEST_P(UsersList, FollowsTheEnvironmentAndTheUserDatabase) {
    const HomeRow& row = GetParam();
    QProcessEnvironment environment;
    if (row.home) {
        environment.insert("HOME", *row.home);
    }
    if (row.dataHome) {
        environment.insert("XDG_DATA_HOME", *row.dataHome);
    }
    const BookmarkListLocation location =
        BookmarkListLocation::forProgramIn("/nonexistent/bin", environment, row.databaseHome);
    EXPECT_EQ(location.savePath(), row.save);
    EXPECT_EQ(location.readPath(), row.save);
}

INSTANTIATE_TEST_SUITE_P(
    BookmarkListLocation, UsersList,
    testing::Values(HomeRow{"Home",
                            "/nonexistent/ann",
                            {},
                            "/nonexistent/db",
                            "/nonexistent/ann/.local/share/Kelvane/bookmarked.txt"},
                    HomeRow{"DataHome", "/nonexistent/ann", "/nonexistent/data", "/nonexistent/db",
                            "/nonexistent/data/Kelvane/bookmarked.txt"},
                    HomeRow{"DataHomeWithoutAnyHome",
                            {},
                            "/nonexistent/data",
                            "",
                            "/nonexistent/data/Kelvane/bookmarked.txt"},
                    HomeRow{"RelativeDataHomeIgnored", "/nonexistent/ann", "data",
                            "/nonexistent/db",
                            "/nonexistent/ann/.local/share/Kelvane/bookmarked.txt"},
                    HomeRow{"EmptyDataHomeIgnored", "/nonexistent/ann", "", "/nonexistent/db",
                            "/nonexistent/ann/.local/share/Kelvane/bookmarked.txt"},
                    HomeRow{"UnsetHomeFromTheUserDatabase",
                            {},
                            {},
                            "/nonexistent/db",
                            "/nonexistent/db/.local/share/Kelvane/bookmarked.txt"},
                    HomeRow{"EmptyHomeFromTheUserDatabase", "", "rel", "/nonexistent/db",
                            "/nonexistent/db/.local/share/Kelvane/bookmarked.txt"},
                    HomeRow{"RelativeHomeFromTheUserDatabase",
                            "ann",
                            {},
                            "/nonexistent/db/",
                            "/nonexistent/db/.local/share/Kelvane/bookmarked.txt"},
                    HomeRow{"RootAsHome", "/", {}, "", "/.local/share/Kelvane/bookmarked.txt"},
                    HomeRow{"NoHomeAnywhere", {}, {}, "", ""},
                    HomeRow{"OnlyRelativeFolders", "ann", "data", "db", ""}),
    [](const testing::TestParamInfo<HomeRow>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// The starting list from XDG_CONFIG_DIRS, then XDG_DATA_DIRS, each folder in order; relative
// entries are ignored even where the current folder holds a list under that name.

struct Folder {
    const char* name;     // a folder under the test's temporary folder
    bool absolute = true; // written as a full path, else relative to the current folder
};

struct StartingRow {
    const char* name;
    std::vector<Folder> configDirs, dataDirs;
    const char* found; // the folder whose Kelvane/bookmarked.txt is read; null: the user's own
};

class StartingList : public testing::TestWithParam<StartingRow> {};

TEST_P(StartingList, FirstFoundInTheSystemsFolders) {
    const StartingRow& row = GetParam();
    QTemporaryDir dir;
    for (const char* withList : {"a", "b", "rel"}) {
        touch(dir.filePath(QString(withList) + "/Kelvane/bookmarked.txt"));
    }
    const auto joined = [&](const std::vector<Folder>& folders) {
        QStringList entries;
        for (const Folder& folder : folders) {
            entries << (folder.absolute ? dir.filePath(folder.name) : QString(folder.name));
        }
        return entries.join(':');
    };
    QProcessEnvironment environment;
    environment.insert("HOME", dir.filePath("home"));
    environment.insert("XDG_CONFIG_DIRS", joined(row.configDirs));
    environment.insert("XDG_DATA_DIRS", joined(row.dataDirs));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const BookmarkListLocation location =
        BookmarkListLocation::forProgramIn(dir.filePath("bin"), environment, QString());
    const QString read = location.readPath();
    QDir::setCurrent(before);
    EXPECT_EQ(read, row.found ? dir.filePath(QString(row.found) + "/Kelvane/bookmarked.txt")
                              : dir.filePath("home/.local/share/Kelvane/bookmarked.txt"));
    EXPECT_EQ(location.savePath(), dir.filePath("home/.local/share/Kelvane/bookmarked.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    BookmarkListLocation, StartingList,
    testing::Values(
        StartingRow{"ConfigurationFolderFirst", {{"a"}}, {{"b"}}, "a"},
        StartingRow{"EachFolderInOrder", {{"none"}, {"b"}, {"a"}}, {}, "b"},
        StartingRow{"DataFolderWhenNoConfigurationFolderHasIt", {{"none"}}, {{"b"}}, "b"},
        StartingRow{
            "RelativeEntriesIgnored", {{"rel", false}, {"none"}}, {{"rel", false}}, nullptr},
        StartingRow{"RelativeEntryBeforeAnAbsoluteOne", {{"rel", false}, {"a"}}, {}, "a"},
        StartingRow{"NoneHasIt", {{"none"}}, {{"none"}}, nullptr}),
    [](const testing::TestParamInfo<StartingRow>& info) { return info.param.name; });

// The home folder that stands in for an unset HOME, and the folder whose marker makes a
// portable copy, come from the system.
TEST(BookmarkListLocation, UserDatabaseNamesAnAbsoluteHome) {
    const QString home = BookmarkListLocation::userDatabaseHome();
    EXPECT_TRUE(home.startsWith('/')) << qPrintable(home);
    EXPECT_TRUE(QFileInfo(BookmarkListLocation::runningProgramFolder()).isDir());
}

} // namespace
} // namespace kelvane::test
