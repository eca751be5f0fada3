#include "OutputName.h"
#include "PathHelpers.h"

#include <gtest/gtest.h>

using namespace kelvane;

namespace {

TEST(PathHelpers, GetExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"report.txt", "txt"},
        {"archive.tar.gz", "tar.gz"},
        {"C:\\my.docs\\report.txt", "docs\\report.txt"},
        {"README", ""},
        {"", ""},
        {"name.", ""},
        {".profile", "profile"},
    };
    for (const auto& [name, extension] : cases) {
        EXPECT_EQ(getExtension(QString::fromUtf8(name)), QString::fromUtf8(extension)) << name;
    }
}

TEST(PathHelpers, InstrRev) {
    struct Case {
        const char* check;
        const char* match;
        int start, compare, result;
    };
    const Case cases[] = {
        {"a\\b\\c", "\\", -1, 0, 4}, {"a\\b\\c", "\\", 3, 0, 2}, {"abc", "x", -1, 0, 0},
        {"abc", "abcd", -1, 0, 0},   {"abc", "b", 5, 0, 0},      {"abc", "b", 0, 0, 0},
        {"abc", "b", -2, 0, 0},      {"ABC", "b", -1, 0, 0},     {"ABC", "b", -1, 1, 2},
        {"abc", "", -1, 0, 3},       {"", "", -1, 0, 0},         {"abcabc", "bc", -1, 0, 5},
        {"abcabc", "bc", 4, 0, 2},   {"abc", "c", 3, 0, 3},      {"abc", "bc", 3, 0, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InstrRev(c.check, c.match, c.start, c.compare), c.result)
            << c.check << " / " << c.match << " / " << c.start << " / " << c.compare;
    }
}

TEST(OutputName, LockAndUnlockRules) {
    struct Case {
        const char* source;
        NameRule rule;
        const char* output;
    };
    const Case cases[] = {
        {"/docs/report.txt", NameRule::Lock, "/docs/report_locked.txt"},
        {"/docs/report_locked.txt", NameRule::Unlock, "/docs/report_unlocked.txt"},
        {"/docs/report_unlocked.txt", NameRule::Lock, "/docs/report_locked.txt"},
        {"/docs/README", NameRule::Lock, "/docs/README.locked"},
        {"/docs/README.locked", NameRule::Lock, "/docs/README_locked.locked"},
        {"/docs/README.locked", NameRule::Unlock, "/docs/README_unlocked.locked"},
        {"/docs/README_locked", NameRule::Unlock, "/docs/README.unlocked"},
        {"/docs/archive.tar.gz", NameRule::Lock, "/docs/archive_locked.tar.gz"},
        {"/report.txt", NameRule::Lock, "/report_locked.txt"},
        {"/docs/name.", NameRule::Lock, "/docs/name..locked"},
        {"/docs/.profile", NameRule::Lock, "/docs/_locked.profile"},
        // The folder part never changes: dots and markers in folder names stay where they are.
        {"/my.docs/report.txt", NameRule::Lock, "/my.docs/report_locked.txt"},
        {"/old_unlocked/a.txt", NameRule::Lock, "/old_unlocked/a_locked.txt"},
        {"/old_locked/a_locked.txt", NameRule::Unlock, "/old_locked/a_unlocked.txt"},
        {"/my.docs/README", NameRule::Lock, "/my.docs/README.locked"},
        {"relative.txt", NameRule::Lock, "relative_locked.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(outputPathFor(QString::fromUtf8(c.source), c.rule), QString::fromUtf8(c.output))
            << c.source;
    }
}

} // namespace
