// The rules pictures follow before they reach a page: which picture a typed
// code or an Alt+digit names, the size limit of a picture taken from a file
// or the clipboard, and a clipboard bitmap (CF_DIB: a header, its colour
// table or masks, the pixels) turned into a BMP file the imaging component
// can decode. Portable: the header is read from bytes, not from the
// platform's structures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lw {

// --- The program's pictures ----------------------------------------------------

// Resource ids of the program's pictures (type "IMAGE", PNG).
inline constexpr int kFirstProgramPicture = 779;
inline constexpr int kLastProgramPicture = 792;

// The picture a colon followed by `c` names (":)" is 779 ... ":}" is 792),
// or 0 when `c` is no code character.
int PictureOfCode(char16_t c);

// The picture of Alt+1 .. Alt+0 (command ids 44 .. 53 give 779 .. 788), or 0.
int PictureOfCommand(int command_id);

// --- The size limit --------------------------------------------------------------

// Pixels per side a picture from a file or the clipboard may have.
inline constexpr std::int64_t kPictureSideLimit = 1111;

// True when a picture of `width` x `height` pixels may be inserted. A
// bitmap stored top-down has a negative height: its size is the absolute
// value.
bool WithinPictureLimit(std::int64_t width, std::int64_t height);

// --- A clipboard bitmap as a BMP file ----------------------------------------

// The fields of a bitmap's information header that tell how long the
// block is (BITMAPINFOHEADER and its longer versions share them).
struct DibHeader {
  std::uint32_t size = 0;         // of the header itself: 40, 52, 56, 108, 124
  std::int32_t width = 0;
  std::int32_t height = 0;        // negative: the rows run top-down
  std::uint16_t planes = 0;
  std::uint16_t bit_count = 0;
  std::uint32_t compression = 0;  // BI_RGB 0, BI_RLE8 1, BI_RLE4 2, BI_BITFIELDS 3, ...
  std::uint32_t size_image = 0;
  std::uint32_t colors_used = 0;
};

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;
inline constexpr std::uint32_t kBiAlphaBitfields = 6;

// The header at the start of `block`, or nothing when the block is shorter
// than 40 bytes or says its header is.
std::optional<DibHeader> ReadDibHeader(std::string_view block);

// Where the parts of a well-formed block lie.
struct DibLayout {
  std::uint64_t colour_table = 0;  // bytes of palette entries after the header
  std::uint64_t masks = 0;         // bytes of colour masks after a 40-byte header
  std::uint64_t image = 0;         // bytes of pixels the header needs
  std::uint64_t bits_offset = 0;   // of the pixels in the BMP file (14 + header + table + masks)
};

enum class DibVerdict {
  kOk,
  kMalformed,  // no header, no sensible size or depth
  kTruncated,  // shorter than its header, colour table, masks and pixels
  kTooLarge,   // a side over kPictureSideLimit
};

// Checks a CF_DIB block and, when it is sound, says where its parts lie.
DibVerdict CheckDib(std::string_view block, DibLayout* layout);

// The BMP file of a block CheckDib accepted: a 14-byte file header ("BM",
// the file's size, the offset of the pixels) followed by the whole block.
std::string BmpFileOfDib(std::string_view block, const DibLayout& layout);

}  // namespace lw
