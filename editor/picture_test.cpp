#include "editor/picture.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

void Put32(std::string* b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<char>(v >> (8 * i));
}

void Put16(std::string* b, std::size_t at, std::uint16_t v) {
  (*b)[at] = static_cast<char>(v);
  (*b)[at + 1] = static_cast<char>(v >> 8);
}

// A block of `header_size` header bytes with the given fields, followed by
// `tail` bytes (table, masks and pixels).
std::string Dib(std::int32_t w, std::int32_t h, std::uint16_t bits, std::uint32_t compression,
                std::size_t tail, std::uint32_t used = 0, std::uint32_t header_size = 40) {
  std::string b(header_size + tail, '\0');
  Put32(&b, 0, header_size);
  Put32(&b, 4, static_cast<std::uint32_t>(w));
  Put32(&b, 8, static_cast<std::uint32_t>(h));
  Put16(&b, 12, 1);
  Put16(&b, 14, bits);
  Put32(&b, 16, compression);
  Put32(&b, 32, used);
  return b;
}

std::uint32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

TEST(PictureCodes, EveryCodeAndAltDigitNamesItsPictureAndNothingElseDoes) {
  const std::u16string codes = u")(;=-fabni[]{}";
  for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(PictureOfCode(codes[i]), 779 + static_cast<int>(i));
  for (char16_t c : {u'x', u':', u'F', u'A', u' ', u'0', u'\0'}) EXPECT_EQ(PictureOfCode(c), 0) << int(c);
  EXPECT_EQ(PictureOfCommand(44), 779);  // Alt+1
  EXPECT_EQ(PictureOfCommand(53), 788);  // Alt+0
  EXPECT_EQ(PictureOfCommand(43), 0);
  EXPECT_EQ(PictureOfCommand(54), 0);
}

TEST(PictureLimit, SidesUpTo1111PassInEitherDirectionAndNegativeHeightsCountWhole) {
  struct Case { std::int64_t w, h; bool ok; };
  for (const Case& c : {Case{1111, 1111, true}, Case{1112, 1, false}, Case{1, 1112, false},
                        Case{1111, -1111, true}, Case{20, -1112, false}, Case{30000, 30000, false}})
    EXPECT_EQ(WithinPictureLimit(c.w, c.h), c.ok) << c.w << "x" << c.h;
}

TEST(ClipboardBitmap, TheLayoutFollowsDepthPaletteAndMasks) {
  struct Case {
    const char* what;
    std::string block;
    std::uint64_t table, masks, image;
  };
  const Case cases[] = {
      // 24-bit rows padded to 4 bytes: 3 pixels = 9 bytes -> 12.
      {"24-bit", Dib(3, 2, 24, kBiRgb, 24), 0, 0, 24},
      // 8-bit with no count: a full palette of 256 entries.
      {"8-bit palette", Dib(4, 4, 8, kBiRgb, 1024 + 16), 1024, 0, 16},
      // A palette of 2 entries the header names.
      {"8-bit, 2 colours", Dib(4, 1, 8, kBiRgb, 8 + 4, 2), 8, 0, 4},
      {"1-bit", Dib(9, 2, 1, kBiRgb, 8 + 8), 8, 0, 8},
      // Bit fields after a 40-byte header: three masks of 4 bytes.
      {"16-bit fields", Dib(2, 2, 16, kBiBitfields, 12 + 8), 0, 12, 8},
      {"32-bit alpha fields", Dib(1, 1, 32, kBiAlphaBitfields, 16 + 4), 0, 16, 4},
      // A version-5 header holds its masks itself.
      {"32-bit fields, 124-byte header", Dib(1, 3, 32, kBiBitfields, 12, 0, 124), 0, 0, 12},
      {"top-down 32-bit", Dib(2, -3, 32, kBiRgb, 24), 0, 0, 24},
  };
  for (const Case& c : cases) {
    DibLayout l;
    ASSERT_EQ(CheckDib(c.block, &l), DibVerdict::kOk) << c.what;
    EXPECT_EQ(l.colour_table, c.table) << c.what;
    EXPECT_EQ(l.masks, c.masks) << c.what;
    EXPECT_EQ(l.image, c.image) << c.what;
    const std::string bmp = BmpFileOfDib(c.block, l);
    EXPECT_EQ(bmp.substr(0, 2), "BM") << c.what;
    EXPECT_EQ(Get32(bmp, 2), bmp.size()) << c.what;
    EXPECT_EQ(Get32(bmp, 10), 14 + Get32(c.block, 0) + c.table + c.masks) << c.what;
    EXPECT_EQ(bmp.substr(14), c.block) << c.what;
  }
}

TEST(ClipboardBitmap, ShortOddAndOversizedBlocksAreRefusedForTheirReason) {
  struct Case {
    const char* what;
    std::string block;
    DibVerdict verdict;
  };
  std::string wrong_header = Dib(1, 1, 24, kBiRgb, 4);
  Put32(&wrong_header, 0, 12);  // the old core header
  const Case cases[] = {
      {"header only", Dib(3, 2, 24, kBiRgb, 0), DibVerdict::kTruncated},
      {"one byte short", Dib(3, 2, 24, kBiRgb, 23), DibVerdict::kTruncated},
      {"masks missing", Dib(2, 2, 16, kBiBitfields, 8), DibVerdict::kTruncated},
      {"palette missing", Dib(4, 4, 8, kBiRgb, 16), DibVerdict::kTruncated},
      {"shorter than a header", std::string(39, '\0'), DibVerdict::kMalformed},
      {"12-byte header", wrong_header, DibVerdict::kMalformed},
      {"no width", Dib(0, 2, 24, kBiRgb, 24), DibVerdict::kMalformed},
      {"no height", Dib(2, 0, 24, kBiRgb, 24), DibVerdict::kMalformed},
      {"7 bits", Dib(2, 2, 7, kBiRgb, 24), DibVerdict::kMalformed},
      {"1112 wide", Dib(1112, 1, 24, kBiRgb, 4 * 1112), DibVerdict::kTooLarge},
      {"1112 high, top-down", Dib(1, -1112, 24, kBiRgb, 4 * 1112), DibVerdict::kTooLarge},
      {"30000 square, header only", Dib(30000, 30000, 32, kBiRgb, 0), DibVerdict::kTooLarge},
      {"lowest height", Dib(1, INT32_MIN, 24, kBiRgb, 4), DibVerdict::kTooLarge},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckDib(c.block, nullptr), c.verdict) << c.what;
  EXPECT_EQ(CheckDib(Dib(1111, -1111, 8, kBiRgb, 1024 + 1112 * 1111), nullptr), DibVerdict::kOk);
}

}  // namespace
}  // namespace lw
