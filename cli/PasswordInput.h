// SPDX-License-Identifier: MIT
#pragma once

#include "cli/Arguments.h"

#include <QString>

namespace kelvane::cli {

// The password as the arguments ask for it: typed without echo on the controlling terminal
// (twice when locking, and both entries must match), or the first line of standard input or of
// a file, without its line end. The result is never empty and holds only characters of
// the password character set. Throws CliError(PasswordProblem) otherwise.
QString readPassword(const Arguments& arguments);

} // namespace kelvane::cli
