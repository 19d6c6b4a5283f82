// Pictures on a page: the program's own (typed codes such as ":)" and
// Alt+1 .. Alt+0), a picture file (dropped), and a bitmap on the clipboard
// (pasted). Each is measured with the imaging component (WIC), sized in
// HIMETRIC for the screen's resolution and handed to the control with
// EM_INSERTIMAGE. A picture from a file or the clipboard may have at most
// 1111 pixels a side (editor/picture.h).
//
// Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <functional>
#include <string>

namespace lw {

// True when a library is open and a node selected, the two things every
// insertion from a file needs; otherwise says which is missing (messages
// 34 and 42) and returns false.
bool LibraryAndNodeOrSay();

// The program's picture `resource_id` (779 .. 792) at the caret of `pane`.
bool InsertProgramPicture(HWND pane, int resource_id);

// The picture file `path` at the caret of the active pane `pane`, after the
// library, node and size checks (each refusal is told).
bool InsertPictureFile(HWND pane, const std::wstring& path);

// The clipboard's bitmap (CF_DIB) at the caret of `pane`. False when the
// clipboard holds none, or holds one that is refused (the user is told
// when it is too large).
bool PasteClipboardPicture(HWND pane);

// Alt+1 .. Alt+0 (command ids 44 .. 53): pictures 779 .. 788 in the active
// pane, when its page may be changed.
void InsertPictureRoutine(int id);

// A character typed in `pane` (EN_MSGFILTER, WM_CHAR). A colon followed by
// a code character becomes that picture: the colon is removed and the
// character swallowed (true). Anything else passes (false).
bool OnPictureCodeChar(HWND pane, wchar_t ch);

// Test seam: when set, EM_INSERTIMAGE's parameters go here instead of to
// the control (the stream is valid during the call), and its answer is
// taken as the control's.
using ImageSender = std::function<HRESULT(HWND pane, const RICHEDIT_IMAGE_PARAMETERS& params)>;
void SetImageSenderForTest(ImageSender sender);

}  // namespace lw
