#pragma once

#include "Arguments.h"

#include <QString>

namespace kelvane::cli {

// The password as the arguments ask for it: typed on the terminal without echo (twice when
// locking, and both entries must match), the first line of standard input, or the content of
// a file less one trailing line end. The result is never empty and holds only characters of
// the password character set. Throws CliError(PasswordProblem) otherwise.
QString readPassword(const Arguments& arguments);

} // namespace kelvane::cli
