// SPDX-License-Identifier: MIT
#pragma once

#include "cli/ExitCode.h"
#include "engine/EngineError.h"

#include <QString>

namespace kelvane::cli {

// A refusal or failure: one line on stderr, "kelvane-cli: " and `message`.
void reportError(QString message);

// Text for the user that is not an error (a summary, a report) on stderr, as it is.
void reportNotice(const QString& text);

// A path as messages show it: between double quotes, so that spaces and odd names stand out.
QString quoted(const QString& path);

// A message worded by the engine, where `path` stands bare, with `path` quoted.
QString withQuotedPath(QString message, const QString& path);

// The exit code that goes with an engine failure.
ExitCode exitCodeFor(EngineError::Kind kind);

} // namespace kelvane::cli
