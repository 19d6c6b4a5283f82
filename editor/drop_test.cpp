#include "editor/drop.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

TEST(DropKind, ExtensionsMatchWholeAndOnlyInTheirListedSpellings) {
  struct Case { std::u16string_view ext; DropKind kind; };
  const Case cases[] = {
      {u".lnk", DropKind::kShortcut}, {u".LNK", DropKind::kShortcut}, {u".Lnk", DropKind::kOther},
      {u".db", DropKind::kLibrary},   {u".IDB", DropKind::kLibrary},  {u".DB", DropKind::kOther},
      {u".idb", DropKind::kOther},    {u".wav", DropKind::kSound},    {u".WAV", DropKind::kSound},
      {u".jpg", DropKind::kPicture},  {u".JPG", DropKind::kPicture},  {u".Jpg", DropKind::kOther},
      {u".png", DropKind::kPicture},  {u".HDP", DropKind::kPicture},  {u".jfif", DropKind::kPicture},
      {u".rtf", DropKind::kRtf},      {u".RTF", DropKind::kRtf},      {u".Rtf", DropKind::kOther},
      {u".txt", DropKind::kText},     {u".TXT", DropKind::kText},     {u".c", DropKind::kText},
      {u".C", DropKind::kText},       {u".htaccess", DropKind::kText}, {u".sln", DropKind::kText},
      // Listed in lower case only.
      {u".log", DropKind::kText},     {u".LOG", DropKind::kOther},    {u".SLN", DropKind::kOther},
      // Whole extensions only: no prefix, no suffix, no missing dot.
      {u".tx", DropKind::kOther},     {u".txtx", DropKind::kOther},   {u"txt", DropKind::kOther},
      {u".pngx", DropKind::kOther},   {u"", DropKind::kOther},        {u".", DropKind::kOther},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KindOfExtension(c.ext), c.kind) << std::string(c.ext.begin(), c.ext.end());
}

TEST(DroppedText, TheSignatureTellsTheEncodingAndHowManyBytesToSkip) {
  struct Case { std::string start; TextEncoding encoding; std::size_t skip; };
  const Case cases[] = {
      {"\xEF\xBB\xBFh", TextEncoding::kUtf8, 3},   {"\xFF\xFEh\0", TextEncoding::kUtf16Le, 2},
      {"\xFE\xFF\0h", TextEncoding::kUtf16Be, 2},  {"hello", TextEncoding::kAnsi, 0},
      {"\xEF\xBB", TextEncoding::kAnsi, 0},        {"", TextEncoding::kAnsi, 0},
      {"\xFF", TextEncoding::kAnsi, 0},
  };
  for (const Case& c : cases) {
    const TextSignature s = DetectTextSignature(c.start);
    EXPECT_EQ(s.encoding, c.encoding) << c.start;
    EXPECT_EQ(s.length, c.skip) << c.start;
  }
}

TEST(DroppedText, BigEndianPairsSwapAcrossPiecesOfAnyLength) {
  // "aă€" in UTF-16BE: 00 61 01 03 20 AC.
  const std::string be("\x00\x61\x01\x03\x20\xAC", 6);
  const std::string le("\x61\x00\x03\x01\xAC\x20", 6);
  for (std::size_t piece = 1; piece <= be.size(); ++piece) {
    int carry = -1;
    std::string out;
    for (std::size_t at = 0; at < be.size(); at += piece) out += SwapPairs(be.substr(at, piece), &carry);
    EXPECT_EQ(out, le) << "pieces of " << piece;
    EXPECT_EQ(carry, -1) << piece;
  }
  int carry = -1;
  EXPECT_EQ(SwapPairs(std::string("\x00\x61\x00", 3), &carry), std::string("\x61\x00", 2));
  EXPECT_EQ(carry, 0) << "an odd last byte waits for its partner";
}

}  // namespace
}  // namespace lw
