// The node store's routines behind the command table: the library's life
// cycle, the tree's node commands, import and export, the password.
#include <windows.h>

#include "app/commands_win.h"
#include "store/library_win.h"
#include "store/password_box_win.h"
#include "store/transfer_win.h"
#include "store/tree_win.h"

namespace lw {

void RegisterStoreRoutines() {
  SetRoutine(Routine::kNewLibrary, [](int) { NewLibraryCommand(); });
  SetRoutine(Routine::kOpenLibrary, [](int) { OpenLibraryCommand(); });
  SetRoutine(Routine::kCloseLibrary, [](int) { CloseLibrary(true); });
  SetRoutine(Routine::kRenameNode, RenameNodeCommand);
  SetRoutine(Routine::kMoveNode, MoveNodeCommand);
  SetRoutine(Routine::kNodeClipboard, NodeClipboardCommand);
  SetRoutine(Routine::kDeleteNode, DeleteNodeCommand);
  SetRoutine(Routine::kNewNode, NewNodeCommand);
  SetRoutine(Routine::kToggleFavorite, FavouriteCommand);
  SetRoutine(Routine::kSortNodes, SortCommand);
  SetRoutine(Routine::kImport, ImportCommand);
  SetRoutine(Routine::kExport, ExportCommand);
  SetRoutine(Routine::kConvertLibrary, ConvertCommand);
  SetRoutine(Routine::kTableReport, TableReportCommand);
  SetRoutine(Routine::kPasswordKey, PasswordKeyCommand);
  SetRoutine(Routine::kPasswordButton, PasswordButtonCommand);
}

}  // namespace lw
