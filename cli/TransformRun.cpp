// SPDX-License-Identifier: MIT
#include "cli/TransformRun.h"

#include "cli/Messages.h"
#include "cli/PasswordInput.h"
#include "cli/ProgressLine.h"
#include "cli/Terminal.h"
#include "core/OutputName.h"
#include "engine/AtomicOutput.h"
#include "engine/DescriptorPath.h"
#include "engine/EngineError.h"
#include "engine/FileName.h"
#include "engine/RndCrypt.h"
#include "engine/SourceFile.h"
#include "engine/StreamCrypt.h"

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::cli {

namespace {

const QString kStandardInput = QStringLiteral("standard input");
const QString kStandardOutput = QStringLiteral("standard output");

// A file made from standard input has no source whose permissions it could take: it stays
// private to its owner.
constexpr unsigned kStreamedFilePermissions = 0600;

CliError refusal(const QString& message) {
    return CliError(ExitCode::Refused, message);
}

std::optional<struct stat> statusOf(const QString& path) {
    struct stat status {};
    if (::stat(encodeFileName(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    return status;
}

bool isStandardStream(const QString& path) {
    return path == kStandardStream;
}

} // namespace

TransformRun::TransformRun(const Arguments& arguments) : m_arguments(arguments) {
    for (const QString& source : arguments.sources) {
        Job job{source, arguments.output.isEmpty() ? outputFor(source) : arguments.output};
        // /dev/stdout and its kind are written as "-" is, through the descriptor they name.
        if (const DescriptorPath descriptor = DescriptorPath::of(job.output);
            isStandardStream(job.output) || descriptor.owner == DescriptorPath::Owner::Own) {
            job.outputFd = isStandardStream(job.output) ? STDOUT_FILENO : descriptor.fd;
        }
        m_jobs.push_back(job);
    }
}

QString TransformRun::outputFor(const QString& source) const {
    const QString beside = outputPathFor(
        source, m_arguments.command == Command::Lock ? NameRule::Lock : NameRule::Unlock);
    if (m_arguments.outputDir.isEmpty()) {
        return beside;
    }
    const QString& folder = m_arguments.outputDir;
    return folder + (folder.endsWith(u'/') ? QString() : QStringLiteral("/")) +
           beside.mid(fileNameStart(beside));
}

ExitCode TransformRun::run() {
    const std::optional<struct stat> folder = statusOf(m_arguments.outputDir);
    if (!m_arguments.outputDir.isEmpty() && !(folder && S_ISDIR(folder->st_mode))) {
        throw CliError(ExitCode::ReadWriteFailure,
                       QStringLiteral("The output folder %1 does not exist or is not a folder.")
                           .arg(quoted(m_arguments.outputDir)));
    }
    for (const Job& job : m_jobs) {
        if (!isStandardStream(job.source)) {
            m_checks.addSource(job.source);
        }
    }
    std::vector<const Job*> runnable;
    for (std::size_t i = 0; i < m_jobs.size(); ++i) {
        try {
            check(i);
            runnable.push_back(&m_jobs[i]);
        } catch (const CliError& error) {
            fail(m_jobs[i], error.code(), error.message());
        } catch (const EngineError& error) {
            fail(m_jobs[i], exitCodeFor(error.kind()), error.message());
        }
    }

    if (!runnable.empty()) {
        try {
            const QString password = readPassword(m_arguments);
            for (const Job* job : runnable) {
                try {
                    transform(*job, password);
                } catch (const EngineError& error) {
                    fail(*job, exitCodeFor(error.kind()), error.message());
                }
            }
            m_group.flush();
        } catch (const CliError& error) {
            reportError(error.message());
            m_code = worse(m_code, error.code());
        }
    }

    if (m_jobs.size() > 1 && !m_arguments.quiet) {
        reportNotice(QStringLiteral("%1 %2 of %3 files")
                         .arg(m_arguments.command == Command::Lock ? QStringLiteral("locked")
                                                                   : QStringLiteral("unlocked"))
                         .arg(m_done)
                         .arg(m_jobs.size()));
    }
    return m_code;
}

void TransformRun::check(std::size_t index) {
    const Job& job = m_jobs[index];
    if (!isStandardStream(job.source)) {
        SourceFile::check(job.source);
    }
    if (job.outputFd >= 0) {
        checkDescriptorOutput(job);
        return;
    }
    switch (m_checks.check(isStandardStream(job.source) ? QString() : job.source, job.output)) {
    case RunChecks::Clash::OutputIsSource:
        throw refusal(QStringLiteral("The output %1 is the source file itself; choose another "
                                     "output name.")
                          .arg(quoted(job.output)));
    case RunChecks::Clash::OutputIsInput:
        // Writing one SOURCE's output over another SOURCE would destroy that file, before or
        // after it is read.
        throw refusal(QStringLiteral("The output %1 is another SOURCE of this run, which it "
                                     "would overwrite.")
                          .arg(quoted(job.output)));
    case RunChecks::Clash::OutputRepeated:
        throw refusal(QStringLiteral("The output %1 is also the output of an earlier SOURCE.")
                          .arg(quoted(job.output)));
    case RunChecks::Clash::None:
        break;
    }
    try {
        checkOutputPlace(job.output, m_arguments.force ? Replace::Existing : Replace::Nothing);
    } catch (const EngineError& error) {
        if (error.kind() != EngineError::Kind::OutputExists) {
            throw;
        }
        // A link counts as well, dangling or not: it is replaced, never written through.
        throw refusal(QStringLiteral("The output %1 already exists; use --force to replace it.")
                          .arg(quoted(job.output)));
    }
    m_checks.claim(job.output);
}

void TransformRun::checkDescriptorOutput(const Job& job) const {
    const int fd = job.outputFd;
    const bool standardOutput = fd == STDOUT_FILENO;
    if (fd == STDIN_FILENO) {
        throw refusal(QStringLiteral("The output %1 is standard input, which is never written.")
                          .arg(quoted(job.output)));
    }
    if (fd <= STDERR_FILENO) {
        requireStandardDescriptor(fd);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || (flags & O_ACCMODE) == O_RDONLY) {
        throw refusal(QStringLiteral("The output %1 is not a descriptor open for writing.")
                          .arg(quoted(job.output)));
    }
    if (isTerminal(fd) && !m_arguments.force) {
        throw refusal(standardOutput
                          ? QStringLiteral("Standard output is a terminal, and the output is "
                                           "binary; redirect it to a file or a pipe, or use "
                                           "--force.")
                          : QStringLiteral("The output %1 is a terminal, and the output is "
                                           "binary; redirect it to a file or a pipe, or use "
                                           "--force.")
                                .arg(quoted(job.output)));
    }
    struct stat out {};
    struct stat in {};
    if (!isStandardStream(job.source) && ::fstat(fd, &out) == 0 &&
        ::stat(encodeFileName(job.source).constData(), &in) == 0 && S_ISREG(out.st_mode) &&
        in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        throw refusal(standardOutput
                          ? QStringLiteral("Standard output is the source file %1 itself; "
                                           "nothing was written.")
                                .arg(quoted(job.source))
                          : QStringLiteral("The output %1 is the source file %2 itself; nothing "
                                           "was written.")
                                .arg(quoted(job.output), quoted(job.source)));
    }
}

void TransformRun::transform(const Job& job, const QString& password) {
    const bool lock = m_arguments.command == Command::Lock;
    const QByteArray label = QByteArray(lock ? "Locking" : "Unlocking") +
                             (m_jobs.size() > 1 ? ' ' + shownName(job.source).toUtf8() : "");
    const Replace replace = m_arguments.force ? Replace::Existing : Replace::Nothing;
    if (!isStandardStream(job.source) && job.outputFd < 0) {
        const std::optional<struct stat> source = statusOf(job.source);
        ProgressLine progress(label, source ? static_cast<std::uint64_t>(source->st_size) : 0,
                              !m_arguments.quiet);
        if (m_jobs.size() == 1) {
            RndCrypt(job.source, job.output, password, progress.step(), replace);
            ++m_done;
            return;
        }
        // Counted, or reported, once the output is on disk under its name.
        RndCrypt(
            job.source, job.output, password, m_group,
            [this, &job](const EngineError* error) {
                if (error != nullptr) {
                    fail(job, exitCodeFor(error->kind()), error->message());
                } else {
                    ++m_done;
                }
            },
            progress.step(), replace);
        return;
    }
    StreamInput input = isStandardStream(job.source)
                            ? StreamInput::descriptor(STDIN_FILENO, kStandardInput)
                            : StreamInput::file(job.source);
    StreamOutput output = job.outputFd >= 0
                              ? StreamOutput::descriptor(job.outputFd, job.outputFd == STDOUT_FILENO
                                                                           ? kStandardOutput
                                                                           : quoted(job.output))
                              : StreamOutput::file(job.output, replace, kStreamedFilePermissions);
    ProgressLine progress(label, input.size(), !m_arguments.quiet);
    RndCryptStream(input, output, password, progress.step());
    ++m_done;
}

void TransformRun::fail(const Job& job, ExitCode code, const QString& message) {
    QString shown = message;
    for (const QString& path : {job.source, job.output}) {
        if (!isStandardStream(path) && !shown.contains(quoted(path))) {
            shown = withQuotedPath(shown, path);
        }
    }
    reportError(shown);
    m_code = worse(m_code, code);
}

} // namespace kelvane::cli
