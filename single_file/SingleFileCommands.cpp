#include "SingleFileCommands.h"

#include "frmMain.h"

namespace kelvane {

void attachSingleFileCommands(frmMain& window) {
    (void)window;
}

} // namespace kelvane
