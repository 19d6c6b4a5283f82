// The window side of the page's formatting and insertion commands. Each
// routine acts on the active pane (g_shell.currentEditor, read afresh at each
// call) and is placed in the command table by editor/commands_win.cpp; the
// shell has checked the command's common preconditions before it runs.
//
// Every routine that changes the page refuses, silently, when the active
// pane's page may not be changed (a read-only page, the information report):
// the control's read-only state does not stop the program's own messages.
// Format changes are counted as edits (NotePageChanged), since the control
// does not announce them.
//
// The page context menu (ShowPageMenu) is declared in editor/pane_win.h and
// defined here, beside the commands it offers.
#pragma once

#include <windows.h>

#include <string>

namespace lw {

// --- Routines of the command table, each given its command id -------------------

// Colours, backgrounds, faces and sizes of the page menu, headings 1 to 4,
// clear formatting (Ctrl+0), the title style (Ctrl+G) and the code style
// (Ctrl+M): the values of CharFormatRows() (editor/format.h).
void FormatRoutine(int id);
// Bold, italic, underline, strikeout (37 to 40) and hidden text (79).
void ToggleEffectRoutine(int id);
// Ctrl+/: the selection, or the caret's line, in grey.
void GreyOutRoutine(int id);
// F9 and F10.
void BulletsRoutine(int id);
void IndentRoutine(int id);
// F5, Ctrl+K / Ctrl+D, the special characters 6010 to 6017.
void InsertDateRoutine(int id);
void InsertSeparatorRoutine(int id);
void InsertCharacterRoutine(int id);
// F8: the text of the caret's line, not its line break.
void DeleteLineRoutine(int id);
// Cut, copy and paste (6600 to 6602) in the focused edit field.
void ClipboardRoutine(int id);
// The page menu's Google item.
void WebSearchRoutine(int id);
// Shift+F12.
void SpeakRoutine(int id);
// Encrypt text and Decrypt text (8813, 8815): one transformation.
void ScrambleRoutine(int id);

// --- Reading aloud -----------------------------------------------------------------

// Stops the speech started by SpeakRoutine. True when something was being
// spoken (Esc then stops it rather than minimising the window).
bool StopSpeaking();

// --- The page menu -------------------------------------------------------------------

// Greys and enables the items of the page menu (sub-menu 3 of g_shell.menu)
// for a right click at `screen` in `pane`, the active pane; with no
// selection the caret first moves to the clicked character. ShowPageMenu
// calls it before the menu opens.
void PreparePageMenu(HWND pane, POINT screen);

// --- Test seams ----------------------------------------------------------------------

// When set, the web search address goes here instead of to the browser.
using UrlOpener = void (*)(const std::wstring& url);
void SetUrlOpenerForTest(UrlOpener opener);
// When set, the text to be read aloud goes here instead of to the voice.
using SpeechSink = void (*)(const std::wstring& text);
void SetSpeechSinkForTest(SpeechSink sink);

}  // namespace lw
