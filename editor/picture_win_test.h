// What the picture and drop tests share: the pictures handed to the control
// (recorded through the EM_INSERTIMAGE seam), a WIC decoder of their bytes,
// bitmaps written by hand, and a page to insert into.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wintest/harness_win.h"

namespace lw::wintest {

struct SentImage {
  HWND pane = nullptr;
  LONG x = 0, y = 0;  // HIMETRIC
  LONG ascent = 0, type = 0;
  bool alt_text = false;
  std::string bytes;  // the whole stream
};

// Every picture sent since RecordImages, which installs the seam.
std::vector<SentImage>& SentImages();
void RecordImages();

struct Decoded {
  UINT width = 0, height = 0;
  std::string pixels;  // 32-bit BGRA rows, top-down
};
// The picture in `bytes` as WIC reads it; empty when it cannot.
Decoded Decode(const std::string& bytes);

// The colour (B, G, R) of pixel (x, y) in the bitmaps below.
std::string Pixel(int x, int y);
// A 24-bit CF_DIB block of `w` x `h` pixels with a `header_size` header.
std::string Dib(int w, int h, bool top_down, int header_size);
// The same as a BMP file.
std::string Bmp(int w, int h, bool top_down);
void WriteFile(const std::wstring& path, const std::string& bytes);

// A library with an editable page (kPage) and a read-only one (kLocked),
// the page shown and focused, pictures recorded.
class PicturePage : public AppTest {
 protected:
  static constexpr int kPage = 504, kLocked = 604;
  void SetUp() override;
  void TearDown() override;
  void Open(int id);
  // `s` went to the primary pane at the HIMETRIC size of w x h pixels and
  // decodes to that size.
  void ExpectPicture(const SentImage& s, UINT w, UINT h);
};

}  // namespace lw::wintest
