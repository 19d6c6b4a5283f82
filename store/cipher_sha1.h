// SHA-1, which turns a password's key material into the RC4 key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lw {

using Sha1Digest = std::array<uint8_t, 20>;

class Sha1 {
 public:
  Sha1();
  void Update(const void* data, size_t size);
  // The digest of everything given so far. The object must not be used
  // afterwards.
  Sha1Digest Finish();

  static Sha1Digest Of(const void* data, size_t size);

 private:
  void Block(const uint8_t* block);

  uint32_t h_[5];
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t total_ = 0;  // bytes
};

}  // namespace lw
