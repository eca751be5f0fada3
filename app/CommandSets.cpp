#include "CommandSets.h"

#include "frmMain.h"

namespace kelvane {

void attachCommandSets(frmMain& window) {
    // The window's own events (start-up, folder browser, help, the please-wait indicator) are
    // connected by the window itself. The single-file and bookmark command sets attach here.
    (void)window;
}

} // namespace kelvane
