#pragma once

#include "Arguments.h"

namespace kelvane::cli {

// Locks or unlocks as the arguments say. Everything that can be refused is refused before the
// password is asked; the password is checked before anything is read or written, and the
// output appears only once it is complete. Throws CliError, or EngineError from the engine.
void runTransform(const Arguments& arguments);

} // namespace kelvane::cli
