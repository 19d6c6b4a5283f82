// Import, export and conversion of libraries, and the table report, as the
// window carries them out: the file dialogs, the worker that runs the
// store's transfer (store/transfer.h), and the messages of its outcome.
// Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

#include "store/file_dialog_win.h"

namespace lw {

// The command table's routines (`id` is the command that ran).
void ImportCommand(int id);       // Routine::kImport
void ExportCommand(int id);       // Routine::kExport
void ConvertCommand(int id);      // Routine::kConvertLibrary
void TableReportCommand(int id);  // Routine::kTableReport

}  // namespace lw
