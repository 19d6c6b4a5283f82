// The node store's routines behind the command table: library lifecycle,
// tree operations, import and export, the password. They arrive with the
// store's window work and do nothing until then.
#include <windows.h>

#include "app/commands_win.h"

namespace lw {

void RegisterStoreRoutines() {
  for (Routine r : {Routine::kRenameNode, Routine::kImport, Routine::kExport, Routine::kNewLibrary,
                    Routine::kOpenLibrary, Routine::kConvertLibrary, Routine::kMoveNode,
                    Routine::kTableReport, Routine::kCloseLibrary, Routine::kPasswordKey,
                    Routine::kPasswordButton, Routine::kNodeClipboard, Routine::kDeleteNode,
                    Routine::kNewNode, Routine::kToggleFavorite, Routine::kSortNodes})
    SetRoutine(r, RoutineNotBuilt);
}

}  // namespace lw
