// std::wstring <-> std::u16string for the Windows layer: both hold UTF-16
// code units there, so the conversion is a plain copy.
#pragma once

#include <string>
#include <string_view>

namespace lw {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Windows layer has a 16-bit wchar_t");

inline std::wstring ToWide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string ToU16(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

}  // namespace lw
