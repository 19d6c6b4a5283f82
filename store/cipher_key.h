// Passwords, keys and the key stream of enciphered libraries.
//
// The format, which files already written depend on:
//  - key material: the first N bytes of the password's UTF-16LE encoding,
//    where N is the number of characters (UTF-16 units) of the password, so
//    only about its first half counts (a four-character password contributes
//    its first two characters with their high bytes);
//  - key: the first 16 bytes of the SHA-1 digest of the key material, no
//    salt (what CryptDeriveKey gives for a 128-bit RC4 key from a SHA-1
//    hash with the Enhanced provider);
//  - every page of the file, page 1 and its header included, is the plain
//    page XOR the first page-size bytes of the RC4 key stream of that key.
// Passwords have 0 characters (no cipher) or 4 to 19; a longer one is cut to
// its first 19.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lw {

inline constexpr size_t kPasswordMinChars = 4;
inline constexpr size_t kPasswordMaxChars = 19;
// SQLite's largest page size: the key stream is kept this long.
inline constexpr size_t kMaxPageSize = 65536;

using CipherKey = std::array<uint8_t, 16>;

// The part of a typed password that is used: its first 19 UTF-16 units.
std::u16string_view UsedPassword(std::u16string_view typed);
// 0 characters (no password) or at least 4; 1 to 3 are refused.
bool IsAcceptablePassword(std::u16string_view typed);
// The bytes hashed into the key (see above), from the used password.
std::string KeyMaterial(std::u16string_view password);
// The key of a password; none for the empty password.
std::optional<CipherKey> DeriveCipherKey(std::u16string_view password);

// dst[n] = src[n] ^ mask[n] for n < size; `dst` may be `src`.
void XorBytes(uint8_t* dst, const uint8_t* src, const uint8_t* mask, size_t size);

// The first kMaxPageSize bytes of a key's RC4 key stream: the one mask every
// page is XORed with.
class PageKeystream {
 public:
  explicit PageKeystream(const CipherKey& key);
  const CipherKey& key() const { return key_; }
  const uint8_t* bytes() const { return bytes_.get(); }
  // XORs `size` bytes from `src` into `dst` (which may be `src`) with the
  // key stream from `pos` on: the bytes lie at `pos` within their page.
  // pos + size must not pass kMaxPageSize.
  void Apply(uint8_t* dst, const uint8_t* src, size_t size, size_t pos) const;

 private:
  CipherKey key_;
  std::unique_ptr<uint8_t[]> bytes_;
};

}  // namespace lw
