// SPDX-License-Identifier: MIT
#pragma once

#include "cli/Arguments.h"
#include "cli/ExitCode.h"
#include "engine/OutputGroup.h"

#include <QSet>
#include <QString>

#include <set>
#include <utility>
#include <vector>

#include <sys/types.h>

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
    };

    QString outputFor(const QString& source) const;
    // Throws CliError when `m_jobs[index]` cannot run; on success claims its output.
    void check(std::size_t index);
    void checkStandardOutput(const Job& job) const;
    // True when `output` is the place of one of the SOURCEs.
    bool isSourcePlace(const QString& output) const;
    void transform(const Job& job, const QString& password);
    void fail(const Job& job, ExitCode code, const QString& message);

    const Arguments& m_arguments;
    std::vector<Job> m_jobs;
    QSet<QString> m_claimedOutputs;
    // The SOURCEs' places: their paths, and the files they name.
    QSet<QString> m_sourcePaths;
    std::set<std::pair<dev_t, ino_t>> m_sourceFiles;
    // Outputs of many SOURCEs are flushed to disk together.
    OutputGroup m_group;
    int m_done = 0;
    ExitCode m_code = ExitCode::Done;
};

} // namespace kelvane::cli
