#include "BookmarkListPath.h"

#include <QCoreApplication>

namespace kelvane::cli {

BookmarkListLocation bookmarkListLocation() {
    return BookmarkListLocation::forProgramIn(QCoreApplication::applicationDirPath());
}

} // namespace kelvane::cli
