#include "editor/picture.h"

#include <cstdlib>
#include <limits>

namespace lw {

namespace {

constexpr char16_t kCodes[] = u")(;=-fabni[]{}";
static_assert(sizeof kCodes / sizeof kCodes[0] - 1 == kLastProgramPicture - kFirstProgramPicture + 1);

constexpr int kFirstPictureCommand = 44;  // Alt+1
constexpr int kLastPictureCommand = 53;   // Alt+0

constexpr std::size_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER
constexpr std::size_t kV2HeaderSize = 52;     // the first header that holds the masks
constexpr std::uint64_t kFileHeaderSize = 14; // BITMAPFILEHEADER

std::uint32_t Le32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

std::uint16_t Le16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

void PutLe32(std::string* out, std::uint64_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool Uncompressed(std::uint32_t c) { return c == kBiRgb || c == kBiBitfields || c == kBiAlphaBitfields; }

bool SensibleDepth(const DibHeader& h) {
  switch (h.bit_count) {
    case 1: case 24: return h.compression == kBiRgb;
    case 4: return h.compression == kBiRgb || h.compression == 2;  // BI_RLE4
    case 8: return h.compression == kBiRgb || h.compression == 1;  // BI_RLE8
    case 16: case 32: return Uncompressed(h.compression);
    case 0: return h.compression == 4 || h.compression == 5;  // JPEG or PNG inside
    default: return false;
  }
}

// Palette entries (4 bytes each): as many as the header says it uses, else
// the full palette of a depth of 8 bits or less.
std::uint64_t ColourTableBytes(const DibHeader& h) {
  if (h.colors_used != 0) return 4ull * h.colors_used;
  return h.bit_count <= 8 && h.bit_count > 0 ? 4ull << h.bit_count : 0;
}

// A 40-byte header is followed by its colour masks; the longer headers hold
// them inside.
std::uint64_t MaskBytes(const DibHeader& h) {
  if (h.size >= kV2HeaderSize) return 0;
  if (h.compression == kBiBitfields) return 12;
  if (h.compression == kBiAlphaBitfields) return 16;
  return 0;
}

std::uint64_t ImageBytes(const DibHeader& h) {
  if (!Uncompressed(h.compression)) return h.size_image;
  const std::uint64_t stride = (static_cast<std::uint64_t>(h.width) * h.bit_count + 31) / 32 * 4;
  return stride * static_cast<std::uint64_t>(std::llabs(static_cast<long long>(h.height)));
}

}  // namespace

int PictureOfCode(char16_t c) {
  for (int i = 0; kCodes[i]; ++i)
    if (kCodes[i] == c) return kFirstProgramPicture + i;
  return 0;
}

int PictureOfCommand(int command_id) {
  if (command_id < kFirstPictureCommand || command_id > kLastPictureCommand) return 0;
  return kFirstProgramPicture + command_id - kFirstPictureCommand;
}

bool WithinPictureLimit(std::int64_t width, std::int64_t height) {
  return std::llabs(width) <= kPictureSideLimit && std::llabs(height) <= kPictureSideLimit;
}

std::optional<DibHeader> ReadDibHeader(std::string_view block) {
  if (block.size() < kInfoHeaderSize) return std::nullopt;
  DibHeader h;
  h.size = Le32(block, 0);
  if (h.size < kInfoHeaderSize) return std::nullopt;  // the old 12-byte core header is not taken
  h.width = static_cast<std::int32_t>(Le32(block, 4));
  h.height = static_cast<std::int32_t>(Le32(block, 8));
  h.planes = Le16(block, 12);
  h.bit_count = Le16(block, 14);
  h.compression = Le32(block, 16);
  h.size_image = Le32(block, 20);
  h.colors_used = Le32(block, 32);
  return h;
}

DibVerdict CheckDib(std::string_view block, DibLayout* layout) {
  const std::optional<DibHeader> h = ReadDibHeader(block);
  if (!h || h->width <= 0 || h->height == 0 || h->planes != 1 || !SensibleDepth(*h))
    return DibVerdict::kMalformed;
  // The size is judged first: a header claiming a huge picture is refused
  // for its size, whatever follows it.
  if (!WithinPictureLimit(h->width, h->height)) return DibVerdict::kTooLarge;
  DibLayout l;
  l.colour_table = ColourTableBytes(*h);
  l.masks = MaskBytes(*h);
  l.image = ImageBytes(*h);
  if (l.image == 0) return DibVerdict::kMalformed;
  const std::uint64_t needed = h->size + l.colour_table + l.masks + l.image;
  if (block.size() < needed) return DibVerdict::kTruncated;
  if (kFileHeaderSize + block.size() > std::numeric_limits<std::uint32_t>::max()) return DibVerdict::kMalformed;
  l.bits_offset = kFileHeaderSize + h->size + l.colour_table + l.masks;
  if (layout) *layout = l;
  return DibVerdict::kOk;
}

std::string BmpFileOfDib(std::string_view block, const DibLayout& layout) {
  std::string out = "BM";
  out.reserve(kFileHeaderSize + block.size());
  PutLe32(&out, kFileHeaderSize + block.size());
  PutLe32(&out, 0);  // two reserved words
  PutLe32(&out, layout.bits_offset);
  out.append(block);
  return out;
}

}  // namespace lw
