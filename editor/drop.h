// What a file dropped on a page becomes, told by its extension alone, and
// how the bytes of a dropped text file are read. Portable: the window layer
// finds the extension (PathFindExtensionW) and acts on the answer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lw {

enum class DropKind {
  kShortcut,  // resolved first; its target is classified in its place
  kLibrary,   // opened as the library; the rest of the drop is ignored
  kSound,     // attached to the library as a sound clip
  kPicture,   // inserted as a picture
  kRtf,       // its formatted text inserted at the caret
  kText,      // its plain text inserted at the caret
  kOther,     // a folder opens; anything else is inserted as its path
};

// The kind of a file whose extension (from its last dot, dot included) is
// `extension`. The lists are exact: an extension matches in the spellings
// listed (".jpg" and ".JPG"), not in mixed case (".Jpg" is kOther).
DropKind KindOfExtension(std::u16string_view extension);

// How a text file's bytes are to be read, told by its first bytes.
enum class TextEncoding {
  kAnsi,     // no signature: the system's code page
  kUtf8,     // EF BB BF
  kUtf16Le,  // FF FE
  kUtf16Be,  // FE FF
};

struct TextSignature {
  TextEncoding encoding = TextEncoding::kAnsi;
  std::size_t length = 0;  // bytes of signature to skip
};

// The encoding `start` (the file's first bytes, at least three when the
// file has them) announces.
TextSignature DetectTextSignature(std::string_view start);

// Exchanges the bytes of each pair in `bytes`, for big-endian UTF-16 read
// in pieces: `*carry` holds the odd byte a piece ended on (-1: none), which
// pairs with the first byte of the next piece. Returns the bytes whose pairs
// are complete, swapped.
std::string SwapPairs(std::string_view bytes, int* carry);

}  // namespace lw
