// The rules the page panes apply to what a page holds: how big a page may
// grow, when its size must be measured, the zoom steps, and how stored bytes
// are handed to the rich-edit control. Portable: the window layer asks.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

namespace lw {

// Keeps the size check off the typing path. Streaming a whole page out to
// count its RTF costs as much as the page is long (100 ms for 5 MB under
// Wine); the text's length and the number of embedded objects cost nothing.
// From the last measured size, the RTF can grow by at most a bounded number
// of bytes for each character typed; only objects (pictures) grow it without
// bound, so a change in their number is measured at once.
class PageSizeGuard {
 public:
  // RTF bytes one character can add at most: the character escaped
  // ("\u-12345?") inside a group that gives it every format of its own.
  static constexpr std::int64_t kBytesPerChar = 64;
  // Room kept for the font and colour tables a change may add.
  static constexpr std::int64_t kTableRoom = 64 * 1024;

  explicit PageSizeGuard(std::int64_t limit = 0) : limit_(limit) {}

  std::int64_t limit() const { return limit_; }
  void set_limit(std::int64_t limit) { limit_ = limit; }

  // The page measured (loaded, saved or counted) at `rtf_bytes` with
  // `chars` characters and `objects` embedded objects.
  void Measured(std::int64_t rtf_bytes, std::int64_t chars, int objects);

  // True when the page, now `chars` long with `objects` objects, may have
  // reached the limit and must be measured before the change is accepted.
  bool NeedsMeasure(std::int64_t chars, int objects) const;

  // True when a page of `rtf_bytes` can be stored.
  bool Fits(std::int64_t rtf_bytes) const { return rtf_bytes <= limit_; }

 private:
  std::int64_t limit_;
  std::int64_t rtf_bytes_ = 0;
  std::int64_t chars_ = 0;
  int objects_ = 0;
};

// The zoom after one Ctrl+wheel step: `up` enlarges. The control reports
// 0/0 for no zoom; the result is a ratio the control accepts (between 1/64
// and 64, both terms positive), unchanged at the bounds.
std::pair<int, int> NextZoom(int numerator, int denominator, bool up);

// How stored bytes are read into the control.
enum class PageBytes {
  kRtf,      // an RTF document
  kDeepRtf,  // RTF nested deeper than the control's reader survives
  kUtf8,     // plain text in UTF-8 (ASCII included)
  kAnsi,     // plain text in the system's code page
};
// Groups nested deeper than this are never handed to the control: some
// readers overrun their stack (Wine's crashes at about a thousand). The
// control itself never writes more than a few levels.
inline constexpr int kMaxRtfDepth = 200;
// The deepest group nesting of `rtf` (escaped braces and \bin data do not
// count).
int RtfGroupDepth(std::string_view rtf);
PageBytes KindOfPageBytes(std::string_view bytes);

// True when the RTF names the music font (in its font table).
bool UsesMusicFont(std::string_view rtf);

}  // namespace lw
