#pragma once

#include <QString>

namespace kelvane {

// True when every character of `password` can seed the keystream. Otherwise tells the user which
// character cannot be used ("Error", exclamation) and returns false, before anything is touched.
bool passwordUsable(const QString& password);

} // namespace kelvane
