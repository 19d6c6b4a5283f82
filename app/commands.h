// The command table: every command id that arrives from an accelerator, a
// menu or a strip button, the routine of the subsystem that carries it out,
// and the common preconditions the shell checks before calling it.
//
// Portable: the Windows layer supplies the routines (app/commands_win.h) and
// the current state; the decisions are made here.
#pragma once

#include <cstdint>
#include <vector>

namespace lw {

// Numeric command identifiers of accelerators, menus and buttons. The same
// values stand in res/lorewell.rc (through res/resource.h).
enum CommandId : int {
  kCmdMoveNodeUp = 17,
  kCmdMoveNodeDown = 18,
  kCmdMinimize = 20,
  kCmdHelp = 21,
  kCmdRenameNode = 22,
  kCmdFindNext = 23,
  kCmdFindPrevious = 24,
  kCmdInsertDate = 25,
  kCmdImport = 26,
  kCmdExport = 27,
  kCmdReadingMode = 28,
  kCmdBullets = 29,
  kCmdIndent = 30,
  kCmdNewLibrary = 31,
  kCmdOpenLibrary = 32,
  kCmdFind = 36,
  kCmdBold = 37,
  kCmdItalic = 38,
  kCmdUnderline = 39,
  kCmdStrikeOut = 40,
  kCmdPrint = 41,
  kCmdInsertDashes = 42,
  kCmdInsertDoubleDashes = 43,
  kCmdPictureFirst = 44,  // Alt+1 .. Alt+0: pictures 779 .. 788
  kCmdPictureLast = 53,
  kCmdWordWrap = 54,
  kCmdOptions = 58,
  kCmdHeading1 = 61,
  kCmdHeading2 = 62,
  kCmdHeading3 = 63,
  kCmdHeading4 = 64,
  kCmdNormalStyle = 65,
  kCmdMaximize = 67,
  kCmdFocusCycle = 69,
  kCmdSnapRight = 70,
  kCmdSnapLeft = 71,
  kCmdSnapFill = 72,
  kCmdTitleFormat = 74,
  kCmdClipboardSql = 76,
  kCmdCodeFormat = 77,
  kCmdSpeak = 78,
  kCmdHiddenText = 79,
  kCmdTableReport = 80,
  kCmdPassword = 84,
  kCmdCloseLibrary = 85,
  kCmdConvertLibrary = 86,
  kCmdDeleteLine = 87,
  kCmdGreyText = 88,
  kCmdExecute = 89,
  kCmdSelectionSql = 90,
  kCmdVacuum = 91,
  kCmdSave = 92,
  kCmdNotesPalette = 93,
  kCmdNothing = 94,  // Alt+P: reserved, does nothing
  kCmdHyperlink = 95,
  // Page context menu (pop-up 3).
  kCmdCharEuro = 6010,
  kCmdCharPlusMinus = 6017,
  kCmdCharMusicals = 6018,
  kCmdCut = 6600,
  kCmdCopy = 6601,
  kCmdPaste = 6602,
  kCmdColorRed = 6604,
  kCmdColorGrey = 6608,
  kCmdColorReset = 6609,
  kCmdBackYellow = 6610,
  kCmdBackReset = 6615,
  kCmdFontCourier = 6616,
  kCmdFontReset = 6621,
  kCmdSize7 = 6622,
  kCmdSizeReset = 6627,
  kCmdGoogle = 6628,
  kCmdFontPalatino = 6629,
  kCmdFontCantoria = 6630,
  kCmdSize26 = 6631,
  // Attachment items of pop-up 1, id - 6660 = index in the attachment list.
  kCmdAttachmentFirst = 6660,
  kCmdAttachmentLast = 8799,
  // Tree context menu (pop-up 2).
  kCmdNodeCut = 7700,
  kCmdNodeCopy = 7701,
  kCmdNodePaste = 7702,
  kCmdNodeDelete = 7703,
  kCmdNewFolder = 7704,
  kCmdNewBook = 7705,
  kCmdNodeMoveUp = 7708,
  kCmdNodeMoveDown = 7709,
  kCmdNodeFavorite = 7710,
  kCmdNodeSort = 7711,
  kCmdNewFile = 7712,
  // Main menu (pop-up 1).
  kCmdMenuImport = 8801,
  kCmdMenuExport = 8802,
  kCmdMenuOptions = 8803,
  kCmdMenuHelp = 8804,
  kCmdMenuFeedback = 8805,
  kCmdMenuAbout = 8806,
  kCmdMenuCloseLibrary = 8807,
  kCmdMenuPassword = 8808,
  kCmdMenuEncryptText = 8813,
  kCmdMenuUpdate = 8814,
  kCmdMenuDecryptText = 8815,
  // Show/hide pop-up (pop-up 0): 9901 + i toggles stripButtonVisible[i].
  kCmdShowButtonFirst = 9901,
  kCmdShowButtonLast = 9912,
  kCmdPasswordButton = 9999,
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
