// Letter case without a locale: the lower case of a UTF-16 code unit by
// Unicode's simple mapping (a generated table), so that a search ignores
// case in Romanian, Cyrillic or Greek text the same on every platform.
#pragma once

namespace lw {

char16_t LowerCase(char16_t c);

}  // namespace lw
