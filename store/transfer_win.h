// Import, export and conversion of libraries, and the table report, as the
// window carries them out: the file dialogs, the worker that runs the
// store's transfer (store/transfer.h), and the messages of its outcome.
// Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

namespace lw {

// The command table's routines (`id` is the command that ran).
void ImportCommand(int id);       // Routine::kImport
void ExportCommand(int id);       // Routine::kExport
void ConvertCommand(int id);      // Routine::kConvertLibrary
void TableReportCommand(int id);  // Routine::kTableReport

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

}  // namespace lw
