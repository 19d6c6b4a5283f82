// Finding a text in pages: the matching rules of the page's own search
// (match case, whole word) over the text a page shows, and the search of
// every page of a library in one pass. Portable: the window and
// lorewell-cli search with the same rules.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "store/db.h"

namespace lw {

struct FindFlags {
  bool match_case = false;
  bool whole_word = false;
};

// The start of the first hit of `what` in `text` that starts at or after
// `from` (down), or of the last one that ends at or before `from` (up);
// nothing when there is none or `what` is empty. Without match case,
// letters compare by their lower case (base/case_fold.h); a whole word is
// a hit with no letter, digit or underscore right before or after it.
std::optional<size_t> FindInText(std::u16string_view text, std::u16string_view what, FindFlags flags,
                                 size_t from, bool down);

// The text a stored page shows: RTF read as the control reads it, other
// bytes as UTF-8 text, or in the Windows Western code page when they are
// not UTF-8.
std::u16string PageShownText(std::string_view stored);

// The pages of the library on `db` that hold `what`, read in one pass over
// the table. `stop` is asked now and then; when it answers true the scan
// ends with `stopped` set. `progress` hears the share of rows read, in
// percent. A failing query is reported to the connection's sink.
struct PageScan {
  std::unordered_set<int> ids;  // node ids whose page holds the text
  bool stopped = false;
  bool failed = false;
};
PageScan ScanPages(Db& db, std::u16string_view what, FindFlags flags,
                   const std::function<bool()>& stop = nullptr,
                   const std::function<void(int percent)>& progress = nullptr);

// The first id after `from` in `order` (down) or the last before it (up)
// that is in `hits`; an id not in `order` counts as before the first.
std::optional<int> NextHit(const std::vector<int>& order, const std::unordered_set<int>& hits, int from,
                           bool down);

}  // namespace lw
