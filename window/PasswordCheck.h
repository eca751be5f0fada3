// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

// True when every character of `password` can seed the keystream and its seed fits. Otherwise
// tells the user which character cannot be used, or that the password is too long ("Error",
// exclamation), and returns false, before anything is touched.
bool passwordUsable(const QString& password);

} // namespace kelvane
