#include "store/cipher_sha1.h"

#include <cstring>

namespace lw {

namespace {

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

Sha1::Sha1() : h_{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u} {}

void Sha1::Block(const uint8_t* block) {
  uint32_t w[80];
  for (int t = 0; t < 16; ++t) {
    w[t] = static_cast<uint32_t>(block[4 * t]) << 24 |
           static_cast<uint32_t>(block[4 * t + 1]) << 16 |
           static_cast<uint32_t>(block[4 * t + 2]) << 8 | block[4 * t + 3];
  }
  for (int t = 16; t < 80; ++t) w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

  uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4];
  for (int t = 0; t < 80; ++t) {
    uint32_t f, k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const uint32_t temp = Rotl(a, 5) + f + e + k + w[t];
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = temp;
  }
  h_[0] += a;
  h_[1] += b;
  h_[2] += c;
  h_[3] += d;
  h_[4] += e;
}

void Sha1::Update(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  total_ += size;
  if (buffered_) {
    const size_t take = size < 64 - buffered_ ? size : 64 - buffered_;
    std::memcpy(buffer_ + buffered_, p, take);
    buffered_ += take;
    p += take;
    size -= take;
    if (buffered_ < 64) return;
    Block(buffer_);
    buffered_ = 0;
  }
  for (; size >= 64; p += 64, size -= 64) Block(p);
  std::memcpy(buffer_, p, size);
  buffered_ = size;
}

Sha1Digest Sha1::Finish() {
  const uint64_t bits = total_ * 8;
  // Padding: one 1 bit, zeros up to 56 bytes into a block, the length.
  uint8_t pad[72] = {0x80};
  const size_t pad_size = (buffered_ < 56 ? 56 : 120) - buffered_;
  for (int n = 0; n < 8; ++n) pad[pad_size + n] = static_cast<uint8_t>(bits >> (56 - 8 * n));
  Update(pad, pad_size + 8);

  Sha1Digest digest;
  for (int n = 0; n < 5; ++n) {
    digest[4 * n] = static_cast<uint8_t>(h_[n] >> 24);
    digest[4 * n + 1] = static_cast<uint8_t>(h_[n] >> 16);
    digest[4 * n + 2] = static_cast<uint8_t>(h_[n] >> 8);
    digest[4 * n + 3] = static_cast<uint8_t>(h_[n]);
  }
  return digest;
}

Sha1Digest Sha1::Of(const void* data, size_t size) {
  Sha1 sha;
  sha.Update(data, size);
  return sha.Finish();
}

}  // namespace lw
