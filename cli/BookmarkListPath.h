#pragma once

#include <QString>

namespace kelvane::cli {

// The bookmark list file that the window keeps: bookmarked.txt in the program's folder. The one
// place where kelvane-cli decides where the list lives.
QString bookmarkListPath();

} // namespace kelvane::cli
