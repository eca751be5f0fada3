// SPDX-License-Identifier: MIT
#include "core/RunChecks.h"
#include "core/BatchPlan.h"
#include "core/PathResolver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvane::test {
namespace {

using Clash = RunChecks::Clash;

// Files real/x.txt and real/y.txt, a linked folder alias -> real, a link real/to-y -> y.txt.
class RunChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(dir.filePath("real/sub"));
        for (const char* name : {"real/x.txt", "real/y.txt"}) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QFile::link(dir.filePath("real"), dir.filePath("alias")));
        ASSERT_TRUE(QFile::link(dir.filePath("real/y.txt"), dir.filePath("real/to-y")));
    }

    QString path(const QString& relative) const { return dir.filePath(relative); }

    QTemporaryDir dir;
};

// Paths meet however they are spelled: through a linked folder, "..", or a link to the file,
// whether the output exists or not.
TEST_F(RunChecksTest, OutputsMeetSourcesAndEachOtherHoweverSpelled) {
    const struct {
        const char* name;
        QStringList jobs; // "source>output", in run order
        QList<Clash> clashes;
    } rows[] = {
        {"apart",
         {"real/x.txt>real/x_l.txt", "real/y.txt>real/y_l.txt"},
         {Clash::None, Clash::None}},
        {"new outputs through a linked folder",
         {"real/x.txt>real/o.txt", "real/y.txt>alias/o.txt"},
         {Clash::None, Clash::OutputRepeated}},
        {"new outputs through ..",
         {"real/x.txt>real/sub/../o.txt", "real/y.txt>real/o.txt"},
         {Clash::None, Clash::OutputRepeated}},
        {"own source through a linked folder", {"real/x.txt>alias/x.txt"}, {Clash::OutputIsSource}},
        {"another source through a link",
         {"real/x.txt>real/to-y", "real/y.txt>real/y_l.txt"},
         {Clash::OutputIsInput, Clash::None}},
        {"another source that has gone",
         {"real/x.txt>alias/gone.txt", "real/gone.txt>real/g_l.txt"},
         {Clash::OutputIsInput, Clash::None}},
        {"a stream source",
         {">alias/y.txt", "real/y.txt>real/y_l.txt"},
         {Clash::OutputIsInput, Clash::None}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PathResolver resolver;
        RunChecks checks(resolver);
        QList<QStringList> jobs;
        for (const QString& job : row.jobs) {
            QStringList paths = job.split('>');
            paths[0] = paths[0].isEmpty() ? QString() : path(paths[0]);
            paths[1] = path(paths[1]);
            checks.addSource(paths[0]);
            jobs.append(paths);
        }
        QList<Clash> clashes;
        for (const QStringList& job : jobs) {
            clashes.append(checks.check(job[0], job[1]));
            if (clashes.last() == Clash::None) {
                checks.claim(job[1]);
            }
        }
        EXPECT_EQ(clashes, row.clashes);
    }
}

// The plan looks at each path once: twice the entries, about twice the calls to the system.
TEST_F(RunChecksTest, PlanCallsTheSystemInProportionToItsEntries) {
    const auto callsFor = [this](int count) {
        QStringList entries;
        for (int i = 0; i < count; ++i) {
            const QString source = path(QStringLiteral("real/s%1.txt").arg(i));
            QFile file(source);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            entries.append(source + '=' + path(QStringLiteral("alias/s%1_locked.txt").arg(i)));
        }
        PathResolver resolver;
        const BatchPlan plan(entries, resolver);
        EXPECT_EQ(plan.existingOutputs(), 0);
        EXPECT_EQ(plan.steps().back().action, BatchPlan::Action::Lock);
        return resolver.systemCalls();
    };
    const std::uint64_t hundred = callsFor(100);
    const std::uint64_t twoHundred = callsFor(200);
    EXPECT_GE(hundred, 100u);
    EXPECT_LE(twoHundred, hundred * 21 / 10);
}

} // namespace
} // namespace kelvane::test
