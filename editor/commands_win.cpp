// The editor's routines behind the command table and its entry point for
// files dropped on the main window.
#include <windows.h>

#include "app/commands_win.h"
#include "editor/drop_win.h"
#include "editor/find_win.h"
#include "editor/format_win.h"
#include "editor/link_win.h"
#include "editor/pane_win.h"
#include "editor/picture_win.h"
#include "editor/print_win.h"

namespace lw {

namespace {

void SavePages(int) { SaveModifiedPages(); }

}  // namespace

void RegisterEditorRoutines() {
  SetRoutine(Routine::kPrint, PrintRoutine);
  SetRoutine(Routine::kInsertPicture, InsertPictureRoutine);
  SetRoutine(Routine::kHyperlink, MakeFootnoteLink);
  SetRoutine(Routine::kFind, FindRoutine);
  SetRoutine(Routine::kFindNext, FindRoutine);
  for (Routine r : {Routine::kFontColor, Routine::kBackColor, Routine::kFontFace, Routine::kFontSize,
                    Routine::kParagraphStyle, Routine::kTitleFormat, Routine::kCodeFormat})
    SetRoutine(r, FormatRoutine);
  SetRoutine(Routine::kCharFormat, ToggleEffectRoutine);
  SetRoutine(Routine::kHiddenText, ToggleEffectRoutine);
  SetRoutine(Routine::kGreyText, GreyOutRoutine);
  SetRoutine(Routine::kBullets, BulletsRoutine);
  SetRoutine(Routine::kIndent, IndentRoutine);
  SetRoutine(Routine::kInsertDate, InsertDateRoutine);
  SetRoutine(Routine::kInsertLine, InsertSeparatorRoutine);
  SetRoutine(Routine::kInsertCharacter, InsertCharacterRoutine);
  SetRoutine(Routine::kDeleteLine, DeleteLineRoutine);
  SetRoutine(Routine::kClipboard, ClipboardRoutine);
  SetRoutine(Routine::kWebSearch, WebSearchRoutine);
  SetRoutine(Routine::kSpeak, SpeakRoutine);
  SetRoutine(Routine::kScrambleText, ScrambleRoutine);
  SetRoutine(Routine::kSavePages, SavePages);
  SetDropRoutine(InsertDroppedFile);
}

}  // namespace lw
