// RC4 and SHA-1 against the standards' known answers (RFC 6229, FIPS 180;
// around the padding edges coreutils' sha1sum), and the key rule on top.
#include "store/cipher_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "store/cipher_rc4.h"
#include "store/cipher_sha1.h"

namespace lw {
namespace {

std::vector<uint8_t> Hex(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  std::vector<uint8_t> bytes;
  for (size_t n = 0; n + 1 < text.size(); n += 2)
    bytes.push_back(std::stoi(text.substr(n, 2), nullptr, 16));
  return bytes;
}

TEST(CipherRc4, KeyStreamMatchesRfc6229WholeAndInPieces) {
  const struct {
    const char* key;
    size_t offset;
    const char* stream;
  } kRfc6229[] = {
      {"0102030405", 0, "b2 39 63 05 f0 3d c0 27 cc c3 52 4a 0a 11 18 a8"},
      {"0102030405060708090a0b0c0d0e0f10", 4080, "ff 38 26 5c 16 42 c1 ab e8 d3 c2 fe 5e 57 2b f8"},
  };
  for (const auto& v : kRfc6229) {
    const std::vector<uint8_t> key = Hex(v.key);
    const size_t total = v.offset + 16;
    std::vector<uint8_t> whole(total), pieces(total, 0);
    Rc4(key.data(), key.size()).Generate(whole.data(), total);
    EXPECT_EQ(std::vector<uint8_t>(whole.begin() + v.offset, whole.end()), Hex(v.stream)) << v.key;
    // The state carries over between calls; enciphering zeros gives the stream.
    Rc4 rc4(key.data(), key.size());
    for (size_t at = 0, step = 1; at < total; at += step, step = step * 3 % 97 + 1) {
      rc4.Apply(pieces.data() + at, std::min(step, total - at));
    }
    EXPECT_EQ(pieces, whole) << v.key;
  }
  // The page mask is that stream, also from unaligned positions.
  const std::vector<uint8_t> key = Hex("0102030405060708090a0b0c0d0e0f10");
  CipherKey k;
  std::copy(key.begin(), key.end(), k.begin());
  std::vector<uint8_t> stream(kMaxPageSize);
  Rc4(key.data(), key.size()).Generate(stream.data(), stream.size());
  for (size_t pos : {size_t{3}, size_t{4080}, kMaxPageSize - 1001}) {
    std::vector<uint8_t> span(1001, 0x5A);
    PageKeystream(k).Apply(span.data(), span.data(), span.size(), pos);
    for (size_t n = 0; n < span.size(); ++n) ASSERT_EQ(span[n], stream[pos + n] ^ 0x5A) << pos;
  }
}

TEST(CipherSha1, DigestsMatchFips180AndThePaddingEdges) {
  const auto hex = [](const Sha1Digest& d) {
    std::string s;
    for (uint8_t b : d) s += "0123456789abcdef"[b >> 4], s += "0123456789abcdef"[b & 15];
    return s;
  };
  const std::pair<std::string, const char*> kCases[] = {
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {std::string(55, 'q'), "7b271259bf2d2d3311f75d398745f5309ff76e09"},
      {std::string(56, 'q'), "cc30d5bc02bd26f3da6c5801880078dad9a63032"},
  };
  for (const auto& [text, digest] : kCases)
    EXPECT_EQ(hex(Sha1::Of(text.data(), text.size())), digest);
  // One million "a", fed in pieces that straddle the blocks.
  const std::string a(1000000, 'a');
  Sha1 sha;
  for (size_t at = 0, step = 1; at < a.size(); at += step, step = step % 150 + 7) {
    sha.Update(a.data() + at, std::min(step, a.size() - at));
  }
  EXPECT_EQ(hex(sha.Finish()), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(CipherKeyMaterial, IsAsManyBytesOfTheUtf16LeTextAsItHasCharacters) {
  const auto bytes = [](std::initializer_list<int> values) {
    return std::string(values.begin(), values.end());
  };
  EXPECT_EQ(KeyMaterial(u"abcde"), bytes({'a', 0, 'b', 0, 'c'}));
  EXPECT_EQ(KeyMaterial(u"țară"), bytes({0x1B, 0x02, 'a', 0}));
  // Outside the basic plane a character is two UTF-16 units, and counts so.
  EXPECT_EQ(KeyMaterial(u"\U0001F600\U0001F600"), bytes({0x3D, 0xD8, 0x00, 0xDE}));
  const std::u16string long_password = u"abcdefghijklmnopqrstuvwxyz";  // 19 count
  EXPECT_EQ(KeyMaterial(long_password), KeyMaterial(long_password.substr(0, 19)));
  EXPECT_NE(KeyMaterial(long_password.substr(0, 19)), KeyMaterial(long_password.substr(0, 18)));

  // The key heads the material's SHA-1 (digest by sha1sum), so passwords
  // that share the used half agree.
  const CipherKey abcd = {0x5b, 0x40, 0x85, 0x40, 0x1e, 0x25, 0x9f, 0x39,
                          0x18, 0xfb, 0x17, 0x01, 0xd3, 0xd9, 0x39, 0x9c};
  EXPECT_EQ(DeriveCipherKey(u"abcd"), abcd);
  EXPECT_EQ(DeriveCipherKey(u"abXY"), abcd);
  EXPECT_NE(DeriveCipherKey(u"axcd"), abcd);
  EXPECT_FALSE(DeriveCipherKey(u"").has_value());
  EXPECT_TRUE(IsAcceptablePassword(u"") && IsAcceptablePassword(u"abcd"));
  EXPECT_FALSE(IsAcceptablePassword(u"a") || IsAcceptablePassword(u"abc"));
}

}  // namespace
}  // namespace lw
