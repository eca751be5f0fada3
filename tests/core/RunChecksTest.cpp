// SPDX-License-Identifier: MIT
#include "core/RunChecks.h"
#include "core/BatchPlan.h"
#include "core/PathResolver.h"

#include "tests/support/EngineTest.h"

namespace kelvane::test {
namespace {

// Files real/x.txt and real/y.txt, a linked folder alias -> real, a link real/to-y -> y.txt.
class RunChecksTest : public FileFixture {
protected:
    void SetUp() override {
        QDir().mkpath(path("real/sub"));
        write("real/x.txt", {});
        write("real/y.txt", {});
        ASSERT_TRUE(QFile::link(path("real"), path("alias")));
        ASSERT_TRUE(QFile::link(path("real/y.txt"), path("real/to-y")));
    }
};

// Paths meet however they are spelled: through a linked folder, "..", or a link to the file,
// whether the output exists or not. Each job's source is added first, then the jobs are checked
// in order, each output claimed once it passes.
TEST_F(RunChecksTest, OutputsMeetSourcesAndEachOtherHoweverSpelled) {
    using enum RunChecks::Clash;
    struct Job {
        const char* source; // empty: a stream
        const char* output;
        RunChecks::Clash clash;
    };
    const struct {
        const char* name;
        std::vector<Job> jobs;
    } rows[] = {
        // clang-format off
        {"new outputs through a linked folder",
         {{"real/x.txt", "real/o.txt", None}, {"real/y.txt", "alias/o.txt", OutputRepeated}}},
        {"new outputs through ..",
         {{"real/x.txt", "real/sub/../o.txt", None}, {"real/y.txt", "real/o.txt", OutputRepeated}}},
        {"own source through a linked folder", {{"real/x.txt", "alias/x.txt", OutputIsSource}}},
        {"another source through a link",
         {{"real/x.txt", "real/to-y", OutputIsInput}, {"real/y.txt", "real/y_l.txt", None}}},
        {"another source that has gone",
         {{"real/x.txt", "alias/gone.txt", OutputIsInput}, {"real/gone.txt", "real/g_l.txt", None}}},
        {"a stream source", {{"", "alias/y.txt", OutputIsInput}, {"real/y.txt", "real/y_l.txt", None}}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PathResolver resolver;
        RunChecks checks(resolver);
        const auto full = [&](const char* name) { return *name ? path(name) : QString(); };
        for (const Job& job : row.jobs) {
            checks.addSource(full(job.source));
        }
        for (const Job& job : row.jobs) {
            SCOPED_TRACE(job.output);
            EXPECT_EQ(checks.check(full(job.source), path(job.output)), job.clash);
            if (job.clash == None) {
                checks.claim(path(job.output));
            }
        }
    }
}

// The plan looks at each path once: twice the entries, about twice the calls to the system.
TEST_F(RunChecksTest, PlanCallsTheSystemInProportionToItsEntries) {
    const auto callsFor = [this](int count) {
        QStringList entries;
        for (int i = 0; i < count; ++i) {
            const QString source = write(QStringLiteral("real/s%1.txt").arg(i), {});
            entries.append(source + '=' + path(QStringLiteral("alias/s%1_locked.txt").arg(i)));
        }
        PathResolver resolver;
        const BatchPlan plan(entries, resolver);
        EXPECT_EQ(plan.steps().back().action, BatchPlan::Action::Lock);
        return resolver.systemCalls();
    };
    const std::uint64_t hundred = callsFor(100);
    EXPECT_GE(hundred, 100u);
    EXPECT_LE(callsFor(200), hundred * 21 / 10);
}

} // namespace
} // namespace kelvane::test
