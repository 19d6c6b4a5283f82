// Placeholder until the formatting commands define ShowPageMenu with the
// menu's enablement rules; remove this file then.
#include "app/app_win.h"
#include "app/shell_win.h"
#include "editor/pane_win.h"

namespace lw {

void ShowPageMenu(HWND, POINT screen) {
  if (HMENU popup = GetSubMenu(g_shell.menu, 3))
    TrackPopupMenu(popup, TPM_LEFTALIGN, screen.x, screen.y, 0, g_mainWindow, nullptr);
}

}  // namespace lw
