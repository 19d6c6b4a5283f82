#include "app/commands.h"

#include <cstddef>

namespace lw {

namespace {

constexpr unsigned kIdle = kNeedIdle, kEditor = kNeedEditor, kNode = kNeedNode,
                   kLibrary = kNeedLibrary, kEditable = kNeedEditable;

using R = Routine;

// Accelerator table 1, in resource order.
std::vector<CommandSpec> AcceleratorRows() {
  std::vector<CommandSpec> t = {
      {kCmdMinimize, R::kMinimize, 0, 0},
      {kCmdHelp, R::kHelp, 0, 0},
      {kCmdRenameNode, R::kRenameNode, kIdle, 0},
      {kCmdFindNext, R::kFindNext, 0, 0},
      {kCmdFindPrevious, R::kFindNext, 0, 0},
      {kCmdInsertDate, R::kInsertDate, kEditor, 0},
      {kCmdImport, R::kImport, kIdle, 0},
      {kCmdExport, R::kExport, kIdle, 0},
      {kCmdReadingMode, R::kReadingMode, kIdle | kNode, 42},
      {kCmdDeleteLine, R::kDeleteLine, kEditor | kNode, 0},
      {kCmdBullets, R::kBullets, kEditor | kNode, 0},
      {kCmdIndent, R::kIndent, kEditor | kNode, 0},
      {kCmdMaximize, R::kMaximize, kIdle, 0},
      {kCmdExecute, R::kExecuteSelection, kEditor | kNode, 0},
      {kCmdSelectionSql, R::kRunSql, kEditor | kNode | kIdle, 0},
      {kCmdClipboardSql, R::kRunSql, kEditor | kNode | kIdle, 0},
      {kCmdSpeak, R::kSpeak, 0, 0},
      {kCmdFocusCycle, R::kFocusCycle, 0, 0},
      // The backtick types itself into an editor or a label edit, so the
      // password routine checks the busy flag only after that.
      {kCmdPassword, R::kPasswordKey, 0, 0},
      {kCmdHyperlink, R::kHyperlink, kEditor | kNode, 0},
      {kCmdCut, R::kClipboard, 0, 0},
      {kCmdCopy, R::kClipboard, 0, 0},
      {kCmdPaste, R::kClipboard, 0, 0},
      {kCmdVacuum, R::kVacuum, kLibrary | kIdle, 0},
      {kCmdNewLibrary, R::kNewLibrary, kIdle, 0},
      {kCmdOpenLibrary, R::kOpenLibrary, kIdle, 0},
      {kCmdFind, R::kFind, kIdle, 0},
      {kCmdTitleFormat, R::kTitleFormat, kIdle | kNode, 0},
      {kCmdHiddenText, R::kHiddenText, kEditor | kNode | kEditable, 0},
      {kCmdBold, R::kCharFormat, kEditor | kEditable, 0},
      {kCmdItalic, R::kCharFormat, kEditor | kEditable, 0},
      {kCmdUnderline, R::kCharFormat, kEditor | kEditable, 0},
      {kCmdConvertLibrary, R::kConvertLibrary, kIdle, 0},
      {kCmdNotesPalette, R::kNotesPalette, kLibrary, 34},
      {kCmdSave, R::kSavePages, 0, 0},
      {kCmdStrikeOut, R::kCharFormat, kEditor | kEditable, 0},
      {kCmdPrint, R::kPrint, 0, 0},
      {kCmdNothing, R::kIgnore, 0, 0},
      {kCmdInsertDashes, R::kInsertLine, kEditor | kNode, 0},
      {kCmdInsertDoubleDashes, R::kInsertLine, kEditor | kNode, 0},
      {kCmdWordWrap, R::kWordWrap, 0, 0},
      {kCmdOptions, R::kShowOptions, kIdle, 0},
      {kCmdCodeFormat, R::kCodeFormat, kEditor | kNode, 0},
      {kCmdMoveNodeUp, R::kMoveNode, kIdle, 0},
      {kCmdMoveNodeDown, R::kMoveNode, kIdle, 0},
      {kCmdSnapRight, R::kSnapWindow, kIdle, 0},
      {kCmdSnapLeft, R::kSnapWindow, kIdle, 0},
      {kCmdSnapFill, R::kSnapWindow, kIdle, 0},
      {kCmdTableReport, R::kTableReport, 0, 0},
      {kCmdCloseLibrary, R::kCloseLibrary, kIdle, 0},
  };
  for (int id = kCmdPictureFirst; id <= kCmdPictureLast; ++id) t.push_back({id, R::kInsertPicture, 0, 0});
  for (int id = kCmdHeading1; id <= kCmdNormalStyle; ++id)
    t.push_back({id, R::kParagraphStyle, kEditor | kNode, 0});
  t.push_back({kCmdGreyText, R::kGreyText, kEditor | kNode, 0});
  return t;
}

// The page context menu: it opens only over an editor pane showing a node.
void AddPageMenuRows(std::vector<CommandSpec>& t) {
  for (int id = kCmdCharEuro; id <= kCmdCharPlusMinus; ++id)
    t.push_back({id, R::kInsertCharacter, kEditor | kEditable, 0});
  t.push_back({kCmdCharMusicals, R::kNotesPalette, 0, 0});
  for (int id = kCmdColorRed; id <= kCmdColorReset; ++id) t.push_back({id, R::kFontColor, kEditor | kEditable, 0});
  for (int id = kCmdBackYellow; id <= kCmdBackReset; ++id) t.push_back({id, R::kBackColor, kEditor | kEditable, 0});
  // The faces and sizes added later sit after the reset item's id.
  for (int id = kCmdFontCourier; id < kCmdFontReset; ++id) t.push_back({id, R::kFontFace, kEditor | kEditable, 0});
  for (int id : {kCmdFontPalatino, kCmdFontCantoria, kCmdFontReset})
    t.push_back({id, R::kFontFace, kEditor | kEditable, 0});
  for (int id = kCmdSize7; id < kCmdSizeReset; ++id) t.push_back({id, R::kFontSize, kEditor | kEditable, 0});
  for (int id : {kCmdSize26, kCmdSizeReset}) t.push_back({id, R::kFontSize, kEditor | kEditable, 0});
  t.push_back({kCmdGoogle, R::kWebSearch, 0, 0});
}

// The tree context menu, the main menu, the show/hide items and the password
// button.
void AddOtherMenuRows(std::vector<CommandSpec>& t) {
  // Tree context menu.
  for (int id : {kCmdNodeCut, kCmdNodeCopy, kCmdNodePaste}) t.push_back({id, R::kNodeClipboard, kIdle, 0});
  t.push_back({kCmdNodeDelete, R::kDeleteNode, kIdle, 0});
  for (int id : {kCmdNewFolder, kCmdNewBook, kCmdNewFile}) t.push_back({id, R::kNewNode, kIdle, 0});
  t.push_back({kCmdNodeMoveUp, R::kMoveNode, kIdle, 0});
  t.push_back({kCmdNodeMoveDown, R::kMoveNode, kIdle, 0});
  t.push_back({kCmdNodeFavorite, R::kToggleFavorite, kIdle, 0});
  t.push_back({kCmdNodeSort, R::kSortNodes, kIdle, 0});

  // Main menu.
  t.push_back({kCmdMenuCloseLibrary, R::kCloseLibrary, kIdle, 0});
  t.push_back({kCmdMenuImport, R::kImport, kIdle, 0});
  t.push_back({kCmdMenuExport, R::kExport, kIdle, 0});
  t.push_back({kCmdMenuOptions, R::kShowOptions, 0, 0});
  t.push_back({kCmdMenuPassword, R::kPasswordKey, 0, 0});
  t.push_back({kCmdMenuEncryptText, R::kScrambleText, kIdle, 0});
  t.push_back({kCmdMenuDecryptText, R::kScrambleText, kIdle, 0});
  t.push_back({kCmdMenuHelp, R::kHelp, 0, 0});
  t.push_back({kCmdMenuFeedback, R::kFeedback, 0, 0});
  t.push_back({kCmdMenuUpdate, R::kUpdateCheck, 0, 0});
  t.push_back({kCmdMenuAbout, R::kAbout, 0, 0});

  for (int id = kCmdShowButtonFirst; id <= kCmdShowButtonLast; ++id)
    t.push_back({id, R::kShowHideButton, 0, 0});
  t.push_back({kCmdPasswordButton, R::kPasswordButton, kIdle, 0});
  // The attachment items stand for one row; FindCommand maps the range.
  t.push_back({kCmdAttachmentFirst, R::kAttachment, kIdle, 0});
}

std::vector<CommandSpec> BuildTable() {
  std::vector<CommandSpec> t = AcceleratorRows();
  AddPageMenuRows(t);
  AddOtherMenuRows(t);
  return t;
}

constexpr const char* kRoutineNames[] = {
#define LW_ROUTINE_NAME(name) #name,
    LW_ROUTINES(LW_ROUTINE_NAME)
#undef LW_ROUTINE_NAME
};

bool NeedsMet(unsigned needs, const ShellState& s) {
  if ((needs & kNeedIdle) && s.busy) return false;
  if ((needs & kNeedEditor) && !s.editorFocused) return false;
  if ((needs & kNeedNode) && !s.nodeSelected) return false;
  if ((needs & kNeedLibrary) && !s.libraryOpen) return false;
  if ((needs & kNeedEditable) && !s.pageEditable) return false;
  return true;
}

}  // namespace

const std::vector<CommandSpec>& CommandTable() {
  static const std::vector<CommandSpec> table = BuildTable();
  return table;
}

const CommandSpec* FindCommand(int id) {
  if (id > kCmdAttachmentFirst && id <= kCmdAttachmentLast &&
      !(id >= kCmdNodeCut && id <= kCmdNewFile))
    id = kCmdAttachmentFirst;
  for (const CommandSpec& c : CommandTable())
    if (c.id == id) return &c;
  return nullptr;
}

const char* RoutineName(Routine routine) { return kRoutineNames[static_cast<size_t>(routine)]; }

DispatchDecision Decide(int id, const ShellState& state) {
  DispatchDecision d;
  const CommandSpec* spec = FindCommand(id);
  if (!spec) return d;
  d.routine = spec->routine;
  if (NeedsMet(spec->needs, state)) {
    d.verdict = Verdict::kRun;
  } else {
    d.verdict = Verdict::kRefused;
    d.message = spec->refusalMessage;
  }
  return d;
}

}  // namespace lw
