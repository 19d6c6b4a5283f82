// The About window (the menu's About): the version, the credits, the legal
// notice and two links, the feedback e-mail and the product page. Modeless
// and owned by the main window; each command opens one more.
#pragma once

#include <windows.h>

namespace lw {

// Templates of res/online.rc, one per language, and their controls.
inline constexpr int kAboutDialogEnglish = 4409;
inline constexpr int kAboutDialogRomanian = 4418;
inline constexpr int kAboutMailLink = 301;   // link id "mail"
inline constexpr int kAboutSiteLink = 302;   // link id "site"
inline constexpr int kAboutLegalText = 311;  // "%s" there is the version
inline constexpr wchar_t kAboutClass[] = L"LorewellAbout";

void AboutRoutine(int id);

}  // namespace lw
