// The editor's routines behind the command table and its entry point for
// files dropped on the main window. Formatting, find, printing and the
// rest arrive with the editor's work and do nothing until then; the
// clipboard commands already reach the focused edit control.
#include <windows.h>

#include <richedit.h>

#include "app/commands_win.h"

namespace lw {

namespace {

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

// Not yet: pictures and text files dropped on the window.
void InsertDroppedFile(const wchar_t*) {}

}  // namespace

void RegisterEditorRoutines() {
  for (Routine r : {Routine::kFindNext, Routine::kInsertDate, Routine::kBullets, Routine::kIndent,
                    Routine::kDeleteLine, Routine::kSpeak, Routine::kHyperlink, Routine::kFind,
                    Routine::kTitleFormat, Routine::kHiddenText, Routine::kCharFormat, Routine::kPrint,
                    Routine::kInsertLine, Routine::kInsertPicture, Routine::kParagraphStyle,
                    Routine::kCodeFormat, Routine::kGreyText, Routine::kSavePages,
                    Routine::kInsertCharacter, Routine::kFontColor, Routine::kBackColor,
                    Routine::kFontFace, Routine::kFontSize, Routine::kWebSearch, Routine::kScrambleText})
    SetRoutine(r, RoutineNotBuilt);
  SetRoutine(Routine::kClipboard, Clipboard);
  SetDropRoutine(InsertDroppedFile);
}

}  // namespace lw
