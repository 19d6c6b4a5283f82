// Routines of the store, editor, music, command-execution and online
// subsystems. Each is registered under its own subsystem so the command table
// reaches it; the ones marked "not yet" arrive with their subsystem's work
// and do nothing until then.
#include <windows.h>

#include <richedit.h>

#include "app/commands_win.h"
#include "app/shell_win.h"

namespace lw {

namespace {

void NotYet(int) {}

// Cut, copy and paste go to the focused edit control (a page or a tree label
// being edited); the tree's own node clipboard comes with the tree work.
void Clipboard(int id) {
  HWND focus = GetFocus();
  if (!focus) return;
  wchar_t cls[32] = L"";
  GetClassNameW(focus, cls, 32);
  if (lstrcmpiW(cls, L"Edit") != 0 && lstrcmpiW(cls, MSFTEDIT_CLASS) != 0) return;
  UINT msg = id == kCmdCut ? WM_CUT : id == kCmdCopy ? WM_COPY : WM_PASTE;
  SendMessageW(focus, msg, 0, 0);
}

}  // namespace

// Not yet: pictures and text files dropped on the window.
void InsertDroppedFile(const wchar_t*) {}
// Not yet: the WAV player and the MIDI notes.
void PlayerTick() {}
void NoteOff(int) {}

void RegisterStoreRoutines() {
  for (Routine r : {Routine::kRenameNode, Routine::kImport, Routine::kExport, Routine::kNewLibrary,
                    Routine::kOpenLibrary, Routine::kConvertLibrary, Routine::kMoveNode,
                    Routine::kTableReport, Routine::kCloseLibrary, Routine::kPasswordKey,
                    Routine::kPasswordButton, Routine::kNodeClipboard, Routine::kDeleteNode,
                    Routine::kNewNode, Routine::kToggleFavorite, Routine::kSortNodes})
    SetRoutine(r, NotYet);
}

void RegisterEditorRoutines() {
  for (Routine r : {Routine::kFindNext, Routine::kInsertDate, Routine::kBullets, Routine::kIndent,
                    Routine::kDeleteLine, Routine::kSpeak, Routine::kHyperlink, Routine::kFind,
                    Routine::kTitleFormat, Routine::kHiddenText, Routine::kCharFormat, Routine::kPrint,
                    Routine::kInsertLine, Routine::kInsertPicture, Routine::kParagraphStyle,
                    Routine::kCodeFormat, Routine::kGreyText, Routine::kSavePages,
                    Routine::kInsertCharacter, Routine::kFontColor, Routine::kBackColor,
                    Routine::kFontFace, Routine::kFontSize, Routine::kWebSearch, Routine::kScrambleText})
    SetRoutine(r, NotYet);
  SetRoutine(Routine::kClipboard, Clipboard);
}

void RegisterMusicRoutines() {
  SetRoutine(Routine::kNotesPalette, NotYet);
  SetRoutine(Routine::kAttachment, NotYet);
}

void RegisterExecRoutines() {
  SetRoutine(Routine::kExecuteSelection, NotYet);
  SetRoutine(Routine::kRunSql, NotYet);
  SetRoutine(Routine::kVacuum, NotYet);
}

void RegisterOnlineRoutines() {
  for (Routine r : {Routine::kHelp, Routine::kFeedback, Routine::kAbout, Routine::kUpdateCheck})
    SetRoutine(r, NotYet);
}

}  // namespace lw
