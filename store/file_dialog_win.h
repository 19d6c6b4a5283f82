// The open and save dialogs of the library commands, with one seam for
// tests: the common dialogs cannot be driven under Wine, so a test puts its
// own function in their place and sees what was asked.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lw {

// What a file dialog is asked to show.
struct FileDialogRequest {
  bool save = false;  // the save dialog; otherwise the open dialog
  std::wstring title;
  // The filter as the dialog takes it: label and pattern, each ended by a
  // NUL (the dialog reads up to the NUL after the last one).
  std::wstring filter;
  std::wstring default_extension;  // without the dot; empty: none
  std::wstring file_name;          // offered in the name box
  DWORD flags = 0;                 // OFN_*
};

struct FileDialogResult {
  enum class Answer { kChosen, kCancelled, kTooLong, kFailed } answer = Answer::kCancelled;
  std::wstring path;  // kChosen: the file chosen
  DWORD error = 0;    // kFailed: CommDlgExtendedError's code
};

// Shows a file dialog. The program's is GetOpenFileNameW or
// GetSaveFileNameW with a buffer of MAX_PATH units.
using FileDialogFn = FileDialogResult (*)(const FileDialogRequest& request);

// Test seam: the dialogs cannot be driven under Wine, so a test puts its own
// function in their place; nullptr restores the common dialogs.
void SetFileDialogForTest(FileDialogFn fn);

// The path the user chose; nothing when the dialog was cancelled or gave no
// usable path (the user was told why: a path longer than a library path may
// be, or a dialog that could not be shown).
std::optional<std::u16string> AskForFile(const FileDialogRequest& request);

// The dialog that message `text` describes in the interface language: its
// title, then its filter's labels and patterns, separated by '|'. Explorer
// style, resizable; the save dialog asks before overwriting, the open
// dialog wants a file that exists.
FileDialogRequest DialogOf(int text, bool save);

}  // namespace lw
