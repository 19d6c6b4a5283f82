#include "app/language_win.h"

#include <windows.h>

#include "app/app_win.h"
#include "app/info_report_win.h"
#include "app/msgbox_win.h"
#include "app/options_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "base/wide_win.h"
#include "editor/find_win.h"
#include "music/palette_win.h"
#include "music/player_win.h"
#include "store/library_win.h"
#include "store/password_box_win.h"
#include "store/search_node_win.h"

namespace lw {

namespace {

constexpr int kMsgNewTitle = 18;
constexpr int kMsgFavourites = 76;
constexpr int kMainPopup = 1;

// Destroying a menu destroys its submenus; the ones added at run time are
// not the resource's and must outlive it.
void DetachAddedSubmenus(HMENU menu) {
  HMENU popup = GetSubMenu(menu, kMainPopup);
  if (!popup) return;
  for (int i = GetMenuItemCount(popup) - 1; i >= 0; --i)
    if (GetSubMenu(popup, i)) RemoveMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
}

// The title new nodes get and the favourites root's label. While a worker
// owns the tree the root keeps its label until the tree is next built.
void ApplyTreeTexts(int language) {
  const TreeTexts texts{ToU16(LoadMessage(language, kMsgFavourites)), ToU16(LoadMessage(language, kMsgNewTitle))};
  Model().SetTexts(texts);
  if (Store().busy()) return;
  if (ModelItem* root = Model().favourites_root(); root && root->text() != texts.favourites)
    Model().SetText(root, texts.favourites);
}

}  // namespace

void LoadMenuOfLanguage() {
  if (g_shell.menu) {
    DetachAddedSubmenus(g_shell.menu);
    DestroyMenu(g_shell.menu);
  }
  g_shell.menu = LoadMenuW(g_instance, MAKEINTRESOURCEW(UiLanguage()));
  if (!g_shell.menu) Fatal("!mnu");
  MENUINFO mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIM_STYLE | MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
  mi.dwStyle = MNS_CHECKORBMP;
  mi.hbrBack = g_shell.whiteBrush;
  SetMenuInfo(g_shell.menu, &mi);
  CheckShowHideItems(GetSubMenu(g_shell.menu, 0));
}

void ApplyLanguage(int language) {
  g_settings.language = language == kLanguageRomanian ? kLanguageRomanian : kLanguageEnglish;
  ApplyTreeTexts(UiLanguage());
  // Both windows come from the dialog resources of one language.
  CreateFindWindow();
  CreateSearchNodeWindow();
  SetStripTooltips();
  LoadMenuOfLanguage();
  RefreshOptionsLanguage();
  RefreshPasswordBoxLanguage();
  RefreshPlayerLanguage();
  RefreshNotesPaletteLanguage();
  if (InfoReportShown()) ShowInfoReport();
}

}  // namespace lw
