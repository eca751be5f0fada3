// SPDX-License-Identifier: MIT
#include "app/ProgramOptions.h"

#include <gtest/gtest.h>

namespace kelvane::test {
namespace {

using Request = ProgramOptions::Request;
using Toolkit = ProgramOptions::ToolkitOptions;

TEST(ProgramOptions, ReadsHelpVersionAndFilesAndLeavesTheToolkitItsOptions) {
    const struct Row {
        const char* arguments; // after the program's name, split at spaces
        Toolkit toolkit;
        Request request;
        QStringList files;
        const char* error;
    } rows[] = {
        // clang-format off
        {"", Toolkit::Taken, Request::Start, {}, ""},
        {"/d/a.txt /d/b.txt", Toolkit::Taken, Request::Start, {"/d/a.txt", "/d/b.txt"}, ""},
        {"-- -a.txt", Toolkit::Taken, Request::Start, {"-a.txt"}, ""},
        {"--help", Toolkit::StillThere, Request::Help, {}, ""},
        {"-platform offscreen --version", Toolkit::StillThere, Request::Version, {}, ""},
        // Left over once the toolkit has taken its own, "-reverse" is one unknown option, not
        // -r -e -v -e -r -s -e.
        {"-reverse", Toolkit::Taken, Request::Usage, {}, "Unknown option 'reverse'."},
        // Refused before the toolkit starts, which needs a display; its own options pass,
        // spelled with one dash or two, their value apart or after "=".
        {"-style fusion --platform=offscreen -reverse -x /d/a.txt", Toolkit::StillThere,
         Request::Usage, {}, "Unknown option 'x'."},
        {"-platform offscreen -style=fusion --nograb /d/a.txt", Toolkit::StillThere,
         Request::Start, {}, ""},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const QStringList arguments =
            QStringList("kelvane") + QString(row.arguments).split(' ', Qt::SkipEmptyParts);
        const ProgramOptions options = ProgramOptions::parse(arguments, row.toolkit);
        EXPECT_EQ(options.request(), row.request);
        EXPECT_EQ(options.files(), row.files);
        EXPECT_EQ(options.fileToOpen(), row.files.value(0)); // the first one named
        EXPECT_EQ(options.error().toStdString(), row.error);
    }
}

} // namespace
} // namespace kelvane::test
