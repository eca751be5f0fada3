#include "BookmarkCommands.h"

#include "frmMain.h"

namespace kelvane {

void attachBookmarkCommands(frmMain& window) {
    (void)window;
}

} // namespace kelvane
