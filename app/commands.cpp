#include "app/commands.h"

#include <cstddef>

#include "res/resource.h"

namespace lw {

// The resource script names the same ids through res/resource.h.
static_assert(kCmdMoveNodeUp == IDM_MOVE_NODE_UP, "kCmdMoveNodeUp");
static_assert(kCmdMoveNodeDown == IDM_MOVE_NODE_DOWN, "kCmdMoveNodeDown");
static_assert(kCmdMinimize == IDM_MINIMIZE, "kCmdMinimize");
static_assert(kCmdHelp == IDM_HELP, "kCmdHelp");
static_assert(kCmdRenameNode == IDM_RENAME_NODE, "kCmdRenameNode");
static_assert(kCmdFindNext == IDM_FIND_NEXT, "kCmdFindNext");
static_assert(kCmdFindPrevious == IDM_FIND_PREVIOUS, "kCmdFindPrevious");
static_assert(kCmdInsertDate == IDM_INSERT_DATE, "kCmdInsertDate");
static_assert(kCmdImport == IDM_IMPORT, "kCmdImport");
static_assert(kCmdExport == IDM_EXPORT, "kCmdExport");
static_assert(kCmdReadingMode == IDM_READING_MODE, "kCmdReadingMode");
static_assert(kCmdBullets == IDM_BULLETS, "kCmdBullets");
static_assert(kCmdIndent == IDM_INDENT, "kCmdIndent");
static_assert(kCmdNewLibrary == IDM_NEW_LIBRARY, "kCmdNewLibrary");
static_assert(kCmdOpenLibrary == IDM_OPEN_LIBRARY, "kCmdOpenLibrary");
static_assert(kCmdFind == IDM_FIND, "kCmdFind");
static_assert(kCmdBold == IDM_BOLD, "kCmdBold");
static_assert(kCmdItalic == IDM_ITALIC, "kCmdItalic");
static_assert(kCmdUnderline == IDM_UNDERLINE, "kCmdUnderline");
static_assert(kCmdStrikeOut == IDM_STRIKE_OUT, "kCmdStrikeOut");
static_assert(kCmdPrint == IDM_PRINT, "kCmdPrint");
static_assert(kCmdInsertDashes == IDM_INSERT_DASHES, "kCmdInsertDashes");
static_assert(kCmdInsertDoubleDashes == IDM_INSERT_DOUBLE_DASHES, "kCmdInsertDoubleDashes");
static_assert(kCmdPictureFirst == IDM_PICTURE_FIRST, "kCmdPictureFirst");
static_assert(kCmdPictureLast == IDM_PICTURE_LAST, "kCmdPictureLast");
static_assert(kCmdWordWrap == IDM_WORD_WRAP, "kCmdWordWrap");
static_assert(kCmdOptions == IDM_OPTIONS, "kCmdOptions");
static_assert(kCmdHeading1 == IDM_HEADING_1, "kCmdHeading1");
static_assert(kCmdHeading2 == IDM_HEADING_2, "kCmdHeading2");
static_assert(kCmdHeading3 == IDM_HEADING_3, "kCmdHeading3");
static_assert(kCmdHeading4 == IDM_HEADING_4, "kCmdHeading4");
static_assert(kCmdNormalStyle == IDM_NORMAL_STYLE, "kCmdNormalStyle");
static_assert(kCmdMaximize == IDM_MAXIMIZE, "kCmdMaximize");
static_assert(kCmdFocusCycle == IDM_FOCUS_CYCLE, "kCmdFocusCycle");
static_assert(kCmdSnapRight == IDM_SNAP_RIGHT, "kCmdSnapRight");
static_assert(kCmdSnapLeft == IDM_SNAP_LEFT, "kCmdSnapLeft");
static_assert(kCmdSnapFill == IDM_SNAP_FILL, "kCmdSnapFill");
static_assert(kCmdTitleFormat == IDM_TITLE_FORMAT, "kCmdTitleFormat");
static_assert(kCmdClipboardSql == IDM_CLIPBOARD_SQL, "kCmdClipboardSql");
static_assert(kCmdCodeFormat == IDM_CODE_FORMAT, "kCmdCodeFormat");
static_assert(kCmdSpeak == IDM_SPEAK, "kCmdSpeak");
static_assert(kCmdHiddenText == IDM_HIDDEN_TEXT, "kCmdHiddenText");
static_assert(kCmdTableReport == IDM_TABLE_REPORT, "kCmdTableReport");
static_assert(kCmdPassword == IDM_PASSWORD, "kCmdPassword");
static_assert(kCmdCloseLibrary == IDM_CLOSE_LIBRARY, "kCmdCloseLibrary");
static_assert(kCmdConvertLibrary == IDM_CONVERT_LIBRARY, "kCmdConvertLibrary");
static_assert(kCmdDeleteLine == IDM_DELETE_LINE, "kCmdDeleteLine");
static_assert(kCmdGreyText == IDM_GREY_TEXT, "kCmdGreyText");
static_assert(kCmdExecute == IDM_EXECUTE, "kCmdExecute");
static_assert(kCmdSelectionSql == IDM_SELECTION_SQL, "kCmdSelectionSql");
static_assert(kCmdVacuum == IDM_VACUUM, "kCmdVacuum");
static_assert(kCmdSave == IDM_SAVE, "kCmdSave");
static_assert(kCmdNotesPalette == IDM_NOTES_PALETTE, "kCmdNotesPalette");
static_assert(kCmdNothing == IDM_NOTHING, "kCmdNothing");
static_assert(kCmdHyperlink == IDM_HYPERLINK, "kCmdHyperlink");
static_assert(kCmdCharEuro == IDM_CHAR_EURO, "kCmdCharEuro");
static_assert(kCmdCharPlusMinus == IDM_CHAR_PLUS_MINUS, "kCmdCharPlusMinus");
static_assert(kCmdCharMusicals == IDM_CHAR_MUSICALS, "kCmdCharMusicals");
static_assert(kCmdCut == IDM_CUT, "kCmdCut");
static_assert(kCmdCopy == IDM_COPY, "kCmdCopy");
static_assert(kCmdPaste == IDM_PASTE, "kCmdPaste");
static_assert(kCmdColorRed == IDM_COLOR_RED, "kCmdColorRed");
static_assert(kCmdColorGrey == IDM_COLOR_GREY, "kCmdColorGrey");
static_assert(kCmdColorReset == IDM_COLOR_RESET, "kCmdColorReset");
static_assert(kCmdBackYellow == IDM_BACK_YELLOW, "kCmdBackYellow");
static_assert(kCmdBackReset == IDM_BACK_RESET, "kCmdBackReset");
static_assert(kCmdFontCourier == IDM_FONT_COURIER, "kCmdFontCourier");
static_assert(kCmdFontReset == IDM_FONT_RESET, "kCmdFontReset");
static_assert(kCmdSize7 == IDM_SIZE_7, "kCmdSize7");
static_assert(kCmdSizeReset == IDM_SIZE_RESET, "kCmdSizeReset");
static_assert(kCmdGoogle == IDM_GOOGLE, "kCmdGoogle");
static_assert(kCmdFontPalatino == IDM_FONT_PALATINO, "kCmdFontPalatino");
static_assert(kCmdFontCantoria == IDM_FONT_CANTORIA, "kCmdFontCantoria");
static_assert(kCmdSize26 == IDM_SIZE_26, "kCmdSize26");
static_assert(kCmdAttachmentFirst == IDM_ATTACHMENT_FIRST, "kCmdAttachmentFirst");
static_assert(kCmdAttachmentLast == IDM_ATTACHMENT_LAST, "kCmdAttachmentLast");
static_assert(kCmdNodeCut == IDM_NODE_CUT, "kCmdNodeCut");
static_assert(kCmdNodeCopy == IDM_NODE_COPY, "kCmdNodeCopy");
static_assert(kCmdNodePaste == IDM_NODE_PASTE, "kCmdNodePaste");
static_assert(kCmdNodeDelete == IDM_NODE_DELETE, "kCmdNodeDelete");
static_assert(kCmdNewFolder == IDM_NEW_FOLDER, "kCmdNewFolder");
static_assert(kCmdNewBook == IDM_NEW_BOOK, "kCmdNewBook");
static_assert(kCmdNodeMoveUp == IDM_NODE_MOVE_UP, "kCmdNodeMoveUp");
static_assert(kCmdNodeMoveDown == IDM_NODE_MOVE_DOWN, "kCmdNodeMoveDown");
static_assert(kCmdNodeFavorite == IDM_NODE_FAVORITE, "kCmdNodeFavorite");
static_assert(kCmdNodeSort == IDM_NODE_SORT, "kCmdNodeSort");
static_assert(kCmdNewFile == IDM_NEW_FILE, "kCmdNewFile");
static_assert(kCmdMenuImport == IDM_MENU_IMPORT, "kCmdMenuImport");
static_assert(kCmdMenuExport == IDM_MENU_EXPORT, "kCmdMenuExport");
static_assert(kCmdMenuOptions == IDM_MENU_OPTIONS, "kCmdMenuOptions");
static_assert(kCmdMenuHelp == IDM_MENU_HELP, "kCmdMenuHelp");
static_assert(kCmdMenuFeedback == IDM_MENU_FEEDBACK, "kCmdMenuFeedback");
static_assert(kCmdMenuAbout == IDM_MENU_ABOUT, "kCmdMenuAbout");
static_assert(kCmdMenuCloseLibrary == IDM_MENU_CLOSE_LIBRARY, "kCmdMenuCloseLibrary");
static_assert(kCmdMenuPassword == IDM_MENU_PASSWORD, "kCmdMenuPassword");
static_assert(kCmdMenuEncryptText == IDM_MENU_ENCRYPT_TEXT, "kCmdMenuEncryptText");
static_assert(kCmdMenuUpdate == IDM_MENU_UPDATE, "kCmdMenuUpdate");
static_assert(kCmdMenuDecryptText == IDM_MENU_DECRYPT_TEXT, "kCmdMenuDecryptText");
static_assert(kCmdShowButtonFirst == IDM_SHOW_BUTTON_FIRST, "kCmdShowButtonFirst");
static_assert(kCmdShowButtonLast == IDM_SHOW_BUTTON_LAST, "kCmdShowButtonLast");
static_assert(kCmdPasswordButton == IDM_PASSWORD_BUTTON, "kCmdPasswordButton");

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
