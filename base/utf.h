// UTF-8 <-> UTF-16 conversion for the portable core.
//
// The core keeps text as UTF-16 (std::u16string), as the Windows layer and
// SQLite's *16 calls do; on Windows a char16_t buffer is a wchar_t buffer.
#pragma once

#include <string>
#include <string_view>

namespace lw {

// Invalid input (a lone surrogate, a broken UTF-8 sequence) becomes U+FFFD;
// nothing is silently dropped.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// Whether `s` is well-formed UTF-8: no broken or overlong sequence, no
// encoded surrogate, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view s);

// UTF-8 for a terminal or a one-line message: control characters (C0, DEL,
// C1), the invisible direction marks and overrides, and lone surrogates are
// written as \xNN or \uNNNN, so a title or a file name can neither move the
// cursor nor pass for another text.
std::string DisplayText(std::u16string_view s);
// The same for bytes meant to be UTF-8: each byte of a broken sequence is
// written as \xNN.
std::string DisplayBytes(std::string_view s);

// Length of a NUL-terminated UTF-16 buffer, never reading past `capacity`.
size_t Utf16Length(const char16_t* s, size_t capacity);

}  // namespace lw
