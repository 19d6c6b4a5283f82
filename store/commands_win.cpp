// The node store's routines behind the command table: the library's life
// cycle, the tree's node commands, import and export, the password.
#include <windows.h>

#include "app/commands_win.h"
#include "store/library_win.h"
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
  for (Routine r : {Routine::kImport, Routine::kExport, Routine::kConvertLibrary,
                    Routine::kTableReport, Routine::kPasswordKey, Routine::kPasswordButton})
    SetRoutine(r, RoutineNotBuilt);
}

}  // namespace lw
