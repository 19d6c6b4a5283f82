// RC4, the stream cipher of enciphered libraries.
//
// Only the key stream matters to the page cipher: every page of a library is
// XORed with the same first page-size bytes of it (see cipher_key.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace lw {

class Rc4 {
 public:
  // `key` is 1 to 256 bytes; a longer key is cut to 256 bytes, as the key
  // schedule never looks further.
  Rc4(const uint8_t* key, size_t size);

  // Writes the next `size` bytes of the key stream to `out`.
  void Generate(uint8_t* out, size_t size);
  // XORs the next `size` bytes of the key stream into `data` (enciphering
  // and deciphering are the same operation).
  void Apply(uint8_t* data, size_t size);

 private:
  template <bool kXor>
  void Run(uint8_t* data, size_t size);

  uint8_t s_[256];
  uint8_t i_ = 0;
  uint8_t j_ = 0;
};

}  // namespace lw
