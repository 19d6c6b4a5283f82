// The button strip "tb": the caption of the frameless main window, with the
// menu button, twelve optional tool buttons, the show/hide button, the
// library path, a progress bar and the minimise, keep-on-top and close
// buttons. Each button is an owner-painted window of class "b".
#pragma once

#include <windows.h>

#include "app/layout.h"

namespace lw {

struct StripButton {
  unsigned state = 0;  // 0 normal, 1 hover, 2 pressed, 3 disabled
  HWND window = nullptr;
  HBITMAP bitmaps[4] = {};
  wchar_t tooltip[33] = L"";
};

enum ButtonState : unsigned { kStateNormal = 0, kStateHover = 1, kStatePressed = 2, kStateDisabled = 3 };

extern StripButton* g_buttons[kStripButtonCount + 1];

LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK StripButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Places the optional buttons, the show/hide button and the path label.
void LayoutStrip();
// Moves the caption buttons and the progress bar to the strip's right end.
void LayoutCaptionButtons();
// Sets a button's state and repaints it (other parts enable and disable
// buttons through this).
void SetButtonState(int index, unsigned state);
// The same for the buttons `first` to `last`.
void SetButtonStates(int first, int last, unsigned state);
// Checks the items of the show/hide pop-up as the settings show the buttons.
void CheckShowHideItems(HMENU popup);
// Registers every strip button with the tooltip window and sets the texts
// of the current language (button 1 shows the program's title).
void SetStripTooltips();
// Which of its four bitmaps the button paints now (keep on top shows the
// pinned pair while the window stays on top).
unsigned PaintedBitmapSlot(int index);
// Frees the button records (after the message loop).
void FreeStripButtons();
// The strip's progress bar: busy without a count (one step every 77 ms),
// a percentage, or hidden.
void ShowProgressMarquee();
void ShowProgressPercent(int percent);
void HideProgress();

}  // namespace lw
