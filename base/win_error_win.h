// The one place a Win32 error code becomes the user's text.
#pragma once

#include <string>

namespace lw {

// The system's own words for `code` (FormatMessageW, without the line break
// they end with), or "Error N" when the system has none.
std::u16string Win32ErrorText(unsigned long code);

}  // namespace lw
