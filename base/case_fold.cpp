#include "base/case_fold.h"

#include <algorithm>
#include <iterator>

namespace lw {

namespace {

struct CasePair {
  char16_t upper;
  char16_t lower;
};

constexpr CasePair kPairs[] = {
#include "base/case_fold_table.inc"
};

}  // namespace

char16_t LowerCase(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  const auto* hit = std::lower_bound(std::begin(kPairs), std::end(kPairs), c,
                                     [](const CasePair& p, char16_t v) { return p.upper < v; });
  return hit != std::end(kPairs) && hit->upper == c ? hit->lower : c;
}

}  // namespace lw
