// The command table: every command id that arrives from an accelerator, a
// menu or a strip button, the routine of the subsystem that carries it out,
// and the common preconditions the shell checks before calling it.
//
// Portable: the Windows layer supplies the routines (app/commands_win.h) and
// the current state; the decisions are made here.
#pragma once

#include <cstdint>
#include <vector>

#include "res/resource.h"

namespace lw {

// Numeric command identifiers of accelerators, menus and buttons, kCmd<name>
// for each row of the list in res/resource.h.
enum CommandId : int {
#define LW_COMMAND_ID(name, id) kCmd##name = id,
  LW_COMMAND_IDS(LW_COMMAND_ID)
#undef LW_COMMAND_ID
};

// Common preconditions, checked by the shell before a routine runs.
enum Need : unsigned {
  kNeedNone = 0,
  kNeedIdle = 1,      // no worker thread holds the busy flag
  kNeedEditor = 2,    // the focused window is the current editor pane
  kNeedNode = 4,      // a node is selected
  kNeedLibrary = 8,   // a library is open
  kNeedEditable = 16, // the page on screen is not read-only
};

enum class Subsystem : uint8_t { kShell, kStore, kEditor, kMusic, kExec, kOnline };

// The routines commands are dispatched to. Several ids may share one routine,
// which then tells them apart by the id it is given.
enum class Routine : uint16_t {
  // shell
  kMinimize, kReadingMode, kMaximize, kFocusCycle, kSnapWindow, kWordWrap, kShowOptions,
  kShowHideButton, kIgnore,
  // store
  kRenameNode, kImport, kExport, kNewLibrary, kOpenLibrary, kConvertLibrary, kMoveNode,
  kTableReport, kCloseLibrary, kPasswordKey, kPasswordButton, kNodeClipboard, kDeleteNode,
  kNewNode, kToggleFavorite, kSortNodes,
  // editor
  kFindNext, kInsertDate, kBullets, kIndent, kDeleteLine, kSpeak, kHyperlink, kClipboard, kFind,
  kTitleFormat, kHiddenText, kCharFormat, kPrint, kInsertLine, kInsertPicture, kParagraphStyle,
  kCodeFormat, kGreyText, kSavePages, kInsertCharacter, kFontColor, kBackColor, kFontFace,
  kFontSize, kWebSearch, kScrambleText,
  // music
  kNotesPalette, kAttachment,
  // exec
  kExecuteSelection, kRunSql, kVacuum,
  // online
  kHelp, kFeedback, kAbout, kUpdateCheck,
  kCount
};

struct CommandSpec {
  int id;
  Routine routine;
  unsigned needs;      // Need bits
  int refusalMessage;  // message shown when a need fails (0: refuse silently)
};

// One row per command id, in accelerator order first, then the menus.
const std::vector<CommandSpec>& CommandTable();

// The row of `id` (attachment ids share one row), or nullptr for an id the
// table does not know.
const CommandSpec* FindCommand(int id);

Subsystem OwnerOf(Routine routine);
const char* RoutineName(Routine routine);

// What the shell knows when a command arrives.
struct ShellState {
  bool busy = false;
  bool editorFocused = false;
  bool nodeSelected = false;
  bool libraryOpen = false;
  bool pageEditable = false;
};

bool NeedsMet(unsigned needs, const ShellState& state);

enum class Verdict { kRun, kRefused, kUnknown };

struct DispatchDecision {
  Verdict verdict = Verdict::kUnknown;
  Routine routine = Routine::kIgnore;
  int message = 0;  // message to show on refusal (0: none)
};

DispatchDecision Decide(int id, const ShellState& state);

}  // namespace lw
