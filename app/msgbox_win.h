// Every message box of the program goes through ShowMessage, so that the
// captions and icons stay uniform and tests can see and answer each box.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace lw {

// The caption of every box the program shows, leading space included.
extern const wchar_t kMessageCaption[];

// Shows `text` with the standard caption (or `caption`, for a box whose
// caption asks the question). `type` is MB_ICONINFORMATION, MB_ICONERROR or
// MB_YESNO | MB_ICONQUESTION (with MB_OK etc. as needed). Returns the button
// chosen (IDOK, IDYES, ...).
int ShowMessage(HWND owner, const std::wstring& text, UINT type, const wchar_t* caption = nullptr);

// Localised message n (string id language * 100 + n), with "%s" replaced by
// `arg` when given.
std::wstring LoadMessage(int language, int n, const std::wstring& arg = std::wstring());
// `text` with its "%i"s replaced, in order, by `values`.
std::wstring WithNumbers(std::wstring text, std::initializer_list<long> values);
int ShowLocalMessage(HWND owner, int language, int n, UINT type,
                     const std::wstring& arg = std::wstring());

// Test seam: when set, boxes are given to the hook instead of the screen and
// its return value is the button chosen.
using MessageBoxHook = int (*)(HWND owner, const std::wstring& text, const std::wstring& caption,
                               UINT type);
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace lw
