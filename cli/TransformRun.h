// SPDX-License-Identifier: MIT
#pragma once

#include "cli/Arguments.h"
#include "cli/ExitCode.h"
#include "core/RunChecks.h"
#include "engine/OutputGroup.h"

#include <QString>

#include <vector>

namespace kelvane::cli {

// lock and unlock: every SOURCE into its output, with one password.
//
// Everything that can be refused is refused before the password is asked, so that nobody types
// a password for a run that cannot happen; the engine refuses again when it writes. A SOURCE that
// is refused or fails is reported in one line and the run goes on with the next one. "-" stands
// for standard input as a SOURCE and standard output as the output.
class TransformRun {
public:
    explicit TransformRun(const Arguments& arguments);

    // Runs every SOURCE and returns the highest exit code met. Throws CliError when the run as a
    // whole cannot start.
    ExitCode run();

private:
    struct Job {
        QString source;
        QString output;
        int outputFd = -1; // "-" and names such as /dev/stdout: the descriptor written to
    };

    QString outputFor(const QString& source) const;
    // Throws CliError when `m_jobs[index]` cannot run; on success claims its output.
    void check(std::size_t index);
    void checkDescriptorOutput(const Job& job) const;
    void transform(const Job& job, const QString& password);
    void fail(const Job& job, ExitCode code, const QString& message);

    const Arguments& m_arguments;
    std::vector<Job> m_jobs;
    PathResolver m_resolver;
    RunChecks m_checks{m_resolver};
    // Outputs of many SOURCEs are flushed to disk together.
    OutputGroup m_group;
    int m_done = 0;
    ExitCode m_code = ExitCode::Done;
};

} // namespace kelvane::cli
