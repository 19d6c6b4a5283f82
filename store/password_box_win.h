// The password box under the tree: a label, a masked edit and an indicator
// that tells whether the typed password can be used. It sets, changes and
// clears the password of the open library (a re-key on the worker) and
// takes the password of an enciphered library waiting to be opened.
//
// The box is hidden until the password key (the backtick, or the menu's
// "Password") shows it; the same key, or Enter in the edit, confirms it.
// What confirming does is decided by the core (store/cipher_password.h);
// this file shows it.
#pragma once

namespace lw {

// Child ids of the three controls of the main window. The indicator
// carries the password button's command id, so a click on it arrives as
// that command.
inline constexpr int kPasswordLabelId = 9997;
inline constexpr int kPasswordEditId = 9998;
inline constexpr int kPasswordIndicatorId = 9999;

// Makes the three controls, hidden, and places the open flow's password
// prompt; once at start-up, after the tree exists.
void CreatePasswordBox();

// The password key (the backtick, command 84, or the menu item 8808): shows
// the box when it is hidden, confirms it when it is shown. While a tree
// label or a page is being edited the backtick is typed there instead.
// Ignored while a worker owns the library.
void PasswordKeyCommand(int id);

// A click on the indicator (command 9999): confirms the box like Enter.
void PasswordButtonCommand(int id);

bool PasswordBoxShown();

// The label again, in the language now in force.
void RefreshPasswordBoxLanguage();

// Places the controls under the tree while the box is shown (the shell's
// passwordShown), hides them otherwise; after every change of the layout.
void LayoutPasswordBox();

}  // namespace lw
