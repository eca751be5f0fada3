// SPDX-License-Identifier: MIT
#include "core/BookmarkListLocation.h"

#include "tests/support/EngineTest.h"

#include <QProcessEnvironment>

#include <string>
#include <vector>

namespace kelvane::test {
namespace {

// ---------------------------------------------------------------------------------------------
// Which list a program reads and saves, from what lies on disk: the portable marker beside the
// program, a list beside it, the user's own list and the system's starting lists, looked for in
// XDG_CONFIG_DIRS and then XDG_DATA_DIRS, each folder in order. Relative entries there are
// ignored, even where the current folder holds a list under that name.

// Each row's test is named by its name.
const auto byName = [](const auto& info) { return std::string(info.param.name); };

enum class Where { Beside, Own, Config, Data };
// kelvane-portable beside the program, and what it is; or no program folder at all
enum class Marker { None, File, Folder, NoProgramFolder };

struct DiskRow {
    const char* name;
    Marker marker = Marker::None;
    std::vector<Where> lists = {}; // where a bookmarked.txt lies
    Where read, save;
};

class ListOnDisk : public FileFixture, public testing::WithParamInterface<DiskRow> {};

// A portable copy keeps its list beside it and reads no other; a marker that is a folder makes
// no portable copy, and a list beside a copy that is not portable is not its list. Nothing new
// appears beside a program whose list is kept elsewhere, and the save folder can be made. An
// installed copy in a folder the user can write (~/.local/bin) is still an installed copy: a list
// beside it is not the user's list.
TEST_P(ListOnDisk, ReadsAndSaves) {
    const DiskRow& row = GetParam();
    const QString program = path("bin");
    const QString lists[] = {
        program + "/bookmarked.txt", path("home/.local/share/Kelvane/bookmarked.txt"),
        path("etc/Kelvane/bookmarked.txt"), path("share/Kelvane/bookmarked.txt")};
    if (row.marker != Marker::NoProgramFolder) {
        ASSERT_TRUE(QDir().mkpath(program));
    }
    // A folder is made with a file in it.
    if (row.marker == Marker::File || row.marker == Marker::Folder) {
        write(program + "/kelvane-portable" + (row.marker == Marker::Folder ? "/x" : ""), {});
    }
    for (const Where where : row.lists) {
        write(lists[int(where)], {});
    }
    write("rel/Kelvane/bookmarked.txt", {});
    QProcessEnvironment environment;
    environment.insert("HOME", path("home"));
    environment.insert("XDG_CONFIG_DIRS", "rel:" + path("none") + ':' + path("etc"));
    environment.insert("XDG_DATA_DIRS", "rel:" + path("share"));
    const QStringList besideBefore = QDir(program).entryList(QDir::AllEntries | QDir::Hidden);
    ASSERT_TRUE(QDir::setCurrent(path("."))); // where the relative entries hold a list
    const auto location = BookmarkListLocation::forProgramIn(program, environment, QString());
    EXPECT_EQ(location.readPath(), lists[int(row.read)]);
    EXPECT_EQ(location.savePath(), lists[int(row.save)]);
    EXPECT_EQ(location.portableNote().isEmpty(), row.save != Where::Beside);
    EXPECT_EQ(QDir(program).entryList(QDir::AllEntries | QDir::Hidden), besideBefore);
}

using enum Where;
using enum Marker;
const DiskRow kDiskRows[] = {
    {.name = "Portable", .marker = File, .lists = {Own, Config}, .read = Beside, .save = Beside},
    {.name = "MarkerFolder", .marker = Folder, .lists = {Beside}, .read = Own, .save = Own},
    {.name = "MissingProgramFolder", .marker = NoProgramFolder, .read = Own, .save = Own},
    {.name = "DataFolder", .lists = {Data}, .read = Data, .save = Own},
    {.name = "ConfigBeforeData", .lists = {Config, Data}, .read = Config, .save = Own},
    {.name = "OwnListFirst", .lists = {Own, Config, Data}, .read = Own, .save = Own},
};
INSTANTIATE_TEST_SUITE_P(BookmarkListLocation, ListOnDisk, testing::ValuesIn(kDiskRows), byName);

// ---------------------------------------------------------------------------------------------
// The user's list from HOME, XDG_DATA_HOME and the user database, as the XDG base directory
// rules read them: a relative or empty value counts as unset. An empty value here is set empty.

struct HomeRow {
    const char* name;
    QString home, dataHome, databaseHome;
    QString saveFolder; // the folder that holds Kelvane/bookmarked.txt; empty: nowhere to save
};

class UsersList : public testing::TestWithParam<HomeRow> {};

TEST_P(UsersList, FollowsTheEnvironmentAndTheUserDatabase) {
    const HomeRow& row = GetParam();
    QProcessEnvironment environment;
    environment.insert("HOME", row.home);
    environment.insert("XDG_DATA_HOME", row.dataHome);
    const auto location =
        BookmarkListLocation::forProgramIn("/no/bin", environment, row.databaseHome);
    const QString list = row.saveFolder.isEmpty() ? "" : row.saveFolder + "/Kelvane/bookmarked.txt";
    EXPECT_EQ(location.savePath(), list);
    EXPECT_EQ(location.readPath(), list);
}

const HomeRow kHomeRows[] = {
    {"DataHome", "/no/ann", "/no/data", "/no/db", "/no/data"},
    {"DataHomeWithoutAnyHome", "", "/no/data", "", "/no/data"},
    {"RelativeDataHomeIgnored", "/no/ann", "data", "/no/db", "/no/ann/.local/share"},
    {"EmptyHomeFromTheUserDatabase", "", "", "/no/db", "/no/db/.local/share"},
    {"RelativeHomeFromTheUserDatabase", "ann", "", "/no/db/", "/no/db/.local/share"},
    {"RootAsHome", "/", "", "", "/.local/share"},
    {"OnlyRelativeFolders", "ann", "data", "db", ""},
};
INSTANTIATE_TEST_SUITE_P(BookmarkListLocation, UsersList, testing::ValuesIn(kHomeRows), byName);

// The home folder that stands in for an unset HOME, and the folder whose marker makes a
// portable copy, come from the system.
TEST(BookmarkListLocation, UserDatabaseNamesAnAbsoluteHome) {
    EXPECT_TRUE(BookmarkListLocation::userDatabaseHome().startsWith('/'));
    EXPECT_TRUE(QFileInfo(BookmarkListLocation::runningProgramFolder()).isDir());
}

} // namespace
} // namespace kelvane::test
