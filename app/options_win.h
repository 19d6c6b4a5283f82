// The options panel: a small white window over a translucent dark overlay
// that covers the main window, opened by Ctrl+Q and the menu's "Options",
// closed by its Ok button or Esc. It sets the interface language, the file
// associations, the launch at sign-in, what the settings remember, the
// instrument of the notes and the pinning of the small dialogs; every
// choice takes effect at once.
#pragma once

#include <windows.h>

namespace lw {

inline constexpr int kOptionsLanguageId = 8941;
inline constexpr int kOptionsAssociateId = 889;
inline constexpr int kOptionsStartupId = 890;
inline constexpr int kOptionsPinId = 891;
inline constexpr int kOptionsStoreLibraryId = 894;
inline constexpr int kOptionsStorePasswordId = 895;
inline constexpr int kOptionsInstrumentId = 8942;
inline constexpr int kOptionsOkId = 1111;
// The two labels, named so their texts can change with the language.
inline constexpr int kOptionsLanguageLabelId = 8951;
inline constexpr int kOptionsInstrumentLabelId = 8952;
inline constexpr int kOptionsWidth = 333;
inline constexpr int kOptionsHeight = 300;
// The overlay's constant alpha.
inline constexpr BYTE kOverlayAlpha = 99;

// Gives the panel (g_shell.options) its procedure and its controls, in the
// interface language; once at start-up, after the panel is made.
void CreateOptionsPanel();

// The routine of Ctrl+Q and the menu item: the Find/Replace window is
// hidden, reading mode ends, the overlay and then the panel are shown with
// the choices as they are now.
void ShowOptions(int id);
// The Ok button: panel and overlay hidden.
void HideOptions();
// While shown, the overlay covers the main window (1 pixel in from its
// edges) and the panel sits in its middle; after every move or resize.
void PlaceOptions();
// Labels, check boxes and both lists in the language now in force, with
// the choices kept.
void RefreshOptionsLanguage();

}  // namespace lw
