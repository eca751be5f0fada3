#include "Arguments.h"
#include "EngineError.h"
#include "ExitCode.h"
#include "KelvaneVersion.h"
#include "Terminal.h"
#include "Transform.h"

#include <QCoreApplication>

#include <cstdio>

using namespace kelvane;
using namespace kelvane::cli;

namespace {

// Every refusal and failure is one line on stderr.
void reportError(QString message) {
    message.replace(u'\n', u' ').replace(u'\r', u' ');
    writeToStderr(QStringLiteral("kelvane-cli: %1\n").arg(message).toUtf8());
}

ExitCode exitCodeFor(EngineError::Kind kind) {
    switch (kind) {
    case EngineError::Kind::Overflow:
    case EngineError::Kind::Charset:
    case EngineError::Kind::EmptyPassword:
        return ExitCode::PasswordProblem;
    case EngineError::Kind::SameFile:
    case EngineError::Kind::OutputExists:
    case EngineError::Kind::OutputNotFile:
        return ExitCode::Refused;
    case EngineError::Kind::Read:
    case EngineError::Kind::Write:
    case EngineError::Kind::Busy:
    case EngineError::Kind::Cancelled:
        break;
    }
    return ExitCode::ReadWriteFailure;
}

ExitCode run(const QStringList& commandLine) {
    try {
        const CommandLine parsed = parseCommandLine(commandLine);
        if (parsed.helpRequested || parsed.versionRequested) {
            const QByteArray text = parsed.helpRequested
                                        ? helpText().toUtf8()
                                        : QByteArrayLiteral("kelvane-cli " KELVANE_VERSION "\n");
            std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
            return std::fflush(stdout) == 0 ? ExitCode::Done : ExitCode::ReadWriteFailure;
        }
        runTransform(parsed.arguments);
        return ExitCode::Done;
    } catch (const CliError& error) {
        reportError(error.message());
        return error.code();
    } catch (const EngineError& error) {
        reportError(error.message());
        return exitCodeFor(error.kind());
    } catch (const std::exception& error) {
        reportError(QString::fromLocal8Bit(error.what()));
        return ExitCode::ReadWriteFailure;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    return static_cast<int>(run(QCoreApplication::arguments()));
}
