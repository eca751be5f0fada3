#include "BookmarkCommands.h"

#include "BatchLock.h"
#include "BookmarkEditCommands.h"
#include "frmMain.h"

namespace kelvane {

void attachBookmarkCommands(frmMain& window) {
    // Both are owned by the window.
    new BookmarkEditCommands(window);
    new BatchLock(window);
}

} // namespace kelvane
