// 8-bit and double-byte text of a Windows code page as UTF-16, by the
// platform's own converter (MultiByteToWideChar on Windows, iconv
// elsewhere), so that every code page a page may be written in is read the
// same on both, without tables of our own.
#pragma once

#include <string>
#include <string_view>

namespace lw {

// `bytes` in code page `code_page` (1250, 1251, 932, ...). A code page the
// platform does not know is read as Windows-1252; bytes that are no
// character of the code page become U+FFFD.
std::u16string DecodeCodePage(int code_page, std::string_view bytes);

// The platform's converter. The native build has iconv's from the start;
// the Windows layer installs MultiByteToWideChar at start-up (without one,
// bytes are read as Latin-1).
using CodePageDecoder = std::u16string (*)(int code_page, std::string_view bytes);
void SetCodePageDecoder(CodePageDecoder decoder);

// The code page of an RTF font's \fcharset, or 0 when the charset names no
// code page of its own (ANSI, default, symbol): the document's \ansicpg.
int CodePageOfCharset(int charset);

}  // namespace lw
