// The Search Node window: a small modeless dialog over the main window that
// lists the nodes whose titles contain the text typed into its edit, and
// selects a listed node in the main tree when it is chosen.
//
// The window is made from the dialog resource of the interface language
// (dialog id = language * 100) and made again when the language changes.
// It is hidden, not destroyed, when the user closes it. Everything it does
// is ignored while a worker owns the library.
#pragma once

#include <windows.h>

namespace lw {

// Dialog resources: English and Romanian.
inline constexpr int kSearchDialogEnglish = 40900;
inline constexpr int kSearchDialogRomanian = 41800;
// Its controls.
inline constexpr int kSearchEditId = 9990;
inline constexpr int kSearchTreeId = 9991;
// Characters the edit accepts.
inline constexpr int kSearchTextLimit = 45;
// Message n of the tooltip over the edit.
inline constexpr int kSearchTooltipMessage = 93;

// Destroys an earlier window and builds the one of UiLanguage(), hidden.
// Called when the language is applied (start-up and every change).
void CreateSearchNodeWindow();
void DestroySearchNodeWindow();
// The window, for IsDialogMessage in the message loop; nullptr when none.
HWND SearchNodeWindow();

// Shows the window: a hidden one without taking activation, its edit
// focused; a visible one is activated. Refused while busy or when no
// library is open.
void ShowSearchNode();

// Hides the window and forgets its hits (another library was opened, or
// the library closed: the hits were of the one before).
void CloseSearchNode();

// The command routine that shows the window (the id is not needed).
void SearchNodeCommand(int id);

}  // namespace lw
