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
  kNeedIdle = 1,      // no worker thread holds the busy flag
  kNeedEditor = 2,    // the focused window is the current editor pane
  kNeedNode = 4,      // a node is selected
  kNeedLibrary = 8,   // a library is open
  kNeedEditable = 16, // the page on screen is not read-only
};

// The routines commands are dispatched to, grouped by the subsystem that
// places them. Several ids may share one routine, which then tells them apart
// by the id it is given.
#define LW_ROUTINES(X)                                                                         \
  /* shell */                                                                                  \
  X(Minimize) X(ReadingMode) X(Maximize) X(FocusCycle) X(SnapWindow) X(WordWrap) X(ShowOptions)\
  X(ShowHideButton) X(Ignore)                                                                  \
  /* store */                                                                                  \
  X(RenameNode) X(Import) X(Export) X(NewLibrary) X(OpenLibrary) X(ConvertLibrary) X(MoveNode) \
  X(TableReport) X(CloseLibrary) X(PasswordKey) X(PasswordButton) X(NodeClipboard)             \
  X(DeleteNode) X(NewNode) X(ToggleFavorite) X(SortNodes)                                      \
  /* editor */                                                                                 \
  X(FindNext) X(InsertDate) X(Bullets) X(Indent) X(DeleteLine) X(Speak) X(Hyperlink)           \
  X(Clipboard) X(Find) X(TitleFormat) X(HiddenText) X(CharFormat) X(Print) X(InsertLine)       \
  X(InsertPicture) X(ParagraphStyle) X(CodeFormat) X(GreyText) X(SavePages)                    \
  X(InsertCharacter) X(FontColor) X(BackColor) X(FontFace) X(FontSize) X(WebSearch)            \
  X(ScrambleText)                                                                              \
  /* music */                                                                                  \
  X(NotesPalette) X(Attachment)                                                                \
  /* exec */                                                                                   \
  X(ExecuteSelection) X(RunSql) X(Vacuum)                                                      \
  /* online */                                                                                 \
  X(Help) X(Feedback) X(About) X(UpdateCheck)

enum class Routine : uint16_t {
#define LW_ROUTINE(name) k##name,
  LW_ROUTINES(LW_ROUTINE)
#undef LW_ROUTINE
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

// The routine's name without its k, for reports.
const char* RoutineName(Routine routine);

// What the shell knows when a command arrives.
struct ShellState {
  bool busy = false;
  bool editorFocused = false;
  bool nodeSelected = false;
  bool libraryOpen = false;
  bool pageEditable = false;
};

enum class Verdict { kRun, kRefused, kUnknown };

struct DispatchDecision {
  Verdict verdict = Verdict::kUnknown;
  Routine routine = Routine::kIgnore;
  int message = 0;  // message to show on refusal (0: none)
};

DispatchDecision Decide(int id, const ShellState& state);

}  // namespace lw
