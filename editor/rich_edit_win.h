// Small helpers on a rich-edit control that every editor file uses: its
// lengths, its embedded objects, its RTF streamed out whole or counted, and
// the page's default character format.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace lw {

// The face name of the default and "reset" formats.
const wchar_t* DefaultFaceName();

// Characters in the control (cheap: the control keeps the count).
std::int64_t PaneTextLength(HWND ed);
// Embedded objects (pictures) in the control.
int PaneObjectCount(HWND ed);

// The control's RTF, appended to `out`; false when the stream failed (out
// of memory), and `out` is then incomplete.
bool StreamOutRtf(HWND ed, std::string* out);
// Streams `bytes` into `ed` as `format` (SF_RTF or SF_TEXT, with
// SF_UNICODE and SFF_SELECTION as wanted); the stream's error code (0:
// none).
DWORD StreamInBytes(HWND ed, std::string_view bytes, WPARAM format);
// Text in the code page `code_page` (CP_UTF8 included), streamed in as
// UTF-16: not every rich-edit control honours SF_USECODEPAGE (Wine's reads
// such bytes in the system's code page). `flags`: SFF_SELECTION or 0.
DWORD StreamInConverted(HWND ed, std::string_view bytes, UINT code_page, WPARAM flags);
// The control's plain text in UTF-16 little-endian (paragraphs ended by CR
// LF), appended to `out`; false as above.
bool StreamOutUnicodeText(HWND ed, std::string* out);
// The number of RTF bytes the control writes, counted without keeping them.
std::int64_t MeasureRtfSize(HWND ed);

// The whole text in the control's own positions (a paragraph ends in "\r").
std::wstring PaneText(HWND ed);

// The text of [from, to) (a paragraph ends in "\r"), read into a buffer
// sized from the range.
std::wstring TextRange(HWND ed, long from, long to);

// True when nothing is selected.
bool SelectedTextEmpty(HWND ed);
// The selection's text, however long (sized from the selection).
std::wstring SelectedText(HWND ed);

// The clipboard's Unicode text (empty when it holds none), and `text` put
// on it as Unicode text, the clipboard opened by `owner`.
std::wstring ClipboardText(HWND owner);
void PutTextOnClipboard(HWND owner, const std::wstring& text);

// Text typed right after a music glyph stays in the music font.
void CarryMusicFont(HWND ed);

}  // namespace lw
