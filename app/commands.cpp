#include "app/commands.h"

#include <cstddef>

namespace lw {

namespace {

constexpr unsigned kIdle = kNeedIdle, kEditor = kNeedEditor, kNode = kNeedNode,
                   kLibrary = kNeedLibrary, kEditable = kNeedEditable;

std::vector<CommandSpec> BuildTable() {
  using R = Routine;
  std::vector<CommandSpec> t = {
      // Accelerator table 1, in resource order.
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

  // Page context menu: it opens only over an editor pane showing a node.
  for (int id = kCmdCharEuro; id <= kCmdCharPlusMinus; ++id)
    t.push_back({id, R::kInsertCharacter, kEditor | kEditable, 0});
  t.push_back({kCmdCharMusicals, R::kNotesPalette, 0, 0});
  for (int id = kCmdColorRed; id <= kCmdColorReset; ++id) t.push_back({id, R::kFontColor, kEditor | kEditable, 0});
  for (int id = kCmdBackYellow; id <= kCmdBackReset; ++id) t.push_back({id, R::kBackColor, kEditor | kEditable, 0});
  for (int id : {6616, 6617, 6618, 6619, 6620, 6629, 6630, 6621})
    t.push_back({id, R::kFontFace, kEditor | kEditable, 0});
  for (int id : {6622, 6623, 6624, 6625, 6626, 6631, 6627})
    t.push_back({id, R::kFontSize, kEditor | kEditable, 0});
  t.push_back({kCmdGoogle, R::kWebSearch, 0, 0});

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
  return t;
}

struct RoutineInfo {
  Subsystem owner;
  const char* name;
};

constexpr RoutineInfo kRoutines[] = {
    {Subsystem::kShell, "Minimize"},        {Subsystem::kShell, "ReadingMode"},
    {Subsystem::kShell, "Maximize"},        {Subsystem::kShell, "FocusCycle"},
    {Subsystem::kShell, "SnapWindow"},      {Subsystem::kShell, "WordWrap"},
    {Subsystem::kShell, "ShowOptions"},     {Subsystem::kShell, "ShowHideButton"},
    {Subsystem::kShell, "Ignore"},
    {Subsystem::kStore, "RenameNode"},      {Subsystem::kStore, "Import"},
    {Subsystem::kStore, "Export"},          {Subsystem::kStore, "NewLibrary"},
    {Subsystem::kStore, "OpenLibrary"},     {Subsystem::kStore, "ConvertLibrary"},
    {Subsystem::kStore, "MoveNode"},        {Subsystem::kStore, "TableReport"},
    {Subsystem::kStore, "CloseLibrary"},    {Subsystem::kStore, "PasswordKey"},
    {Subsystem::kStore, "PasswordButton"},  {Subsystem::kStore, "NodeClipboard"},
    {Subsystem::kStore, "DeleteNode"},      {Subsystem::kStore, "NewNode"},
    {Subsystem::kStore, "ToggleFavorite"},  {Subsystem::kStore, "SortNodes"},
    {Subsystem::kEditor, "FindNext"},       {Subsystem::kEditor, "InsertDate"},
    {Subsystem::kEditor, "Bullets"},        {Subsystem::kEditor, "Indent"},
    {Subsystem::kEditor, "DeleteLine"},     {Subsystem::kEditor, "Speak"},
    {Subsystem::kEditor, "Hyperlink"},      {Subsystem::kEditor, "Clipboard"},
    {Subsystem::kEditor, "Find"},           {Subsystem::kEditor, "TitleFormat"},
    {Subsystem::kEditor, "HiddenText"},     {Subsystem::kEditor, "CharFormat"},
    {Subsystem::kEditor, "Print"},          {Subsystem::kEditor, "InsertLine"},
    {Subsystem::kEditor, "InsertPicture"},  {Subsystem::kEditor, "ParagraphStyle"},
    {Subsystem::kEditor, "CodeFormat"},     {Subsystem::kEditor, "GreyText"},
    {Subsystem::kEditor, "SavePages"},      {Subsystem::kEditor, "InsertCharacter"},
    {Subsystem::kEditor, "FontColor"},      {Subsystem::kEditor, "BackColor"},
    {Subsystem::kEditor, "FontFace"},       {Subsystem::kEditor, "FontSize"},
    {Subsystem::kEditor, "WebSearch"},      {Subsystem::kEditor, "ScrambleText"},
    {Subsystem::kMusic, "NotesPalette"},    {Subsystem::kMusic, "Attachment"},
    {Subsystem::kExec, "ExecuteSelection"}, {Subsystem::kExec, "RunSql"},
    {Subsystem::kExec, "Vacuum"},
    {Subsystem::kOnline, "Help"},           {Subsystem::kOnline, "Feedback"},
    {Subsystem::kOnline, "About"},          {Subsystem::kOnline, "UpdateCheck"},
};
static_assert(sizeof kRoutines / sizeof kRoutines[0] == static_cast<size_t>(Routine::kCount),
              "one entry per routine");

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

Subsystem OwnerOf(Routine routine) { return kRoutines[static_cast<size_t>(routine)].owner; }
const char* RoutineName(Routine routine) { return kRoutines[static_cast<size_t>(routine)].name; }

bool NeedsMet(unsigned needs, const ShellState& s) {
  if ((needs & kNeedIdle) && s.busy) return false;
  if ((needs & kNeedEditor) && !s.editorFocused) return false;
  if ((needs & kNeedNode) && !s.nodeSelected) return false;
  if ((needs & kNeedLibrary) && !s.libraryOpen) return false;
  if ((needs & kNeedEditable) && !s.pageEditable) return false;
  return true;
}

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
