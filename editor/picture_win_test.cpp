// Pictures on a real page: the program's own (typed codes, Alt+digit), a
// picture file and a clipboard bitmap. Wine's control accepts
// EM_INSERTIMAGE and shows nothing, so these tests read what the program
// hands the control: the HIMETRIC size and the stream, decoded again with
// WIC to the same pixels.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>
#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/ole_callback_win.h"
#include "editor/pane_win.h"
#include "editor/picture_win.h"
#include "editor/picture_win_test.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {

using Microsoft::WRL::ComPtr;

std::vector<SentImage>& SentImages() {
  static std::vector<SentImage> sent;
  return sent;
}

void RecordImages() {
  SentImages().clear();
  SetImageSenderForTest([](HWND pane, const RICHEDIT_IMAGE_PARAMETERS& p) -> HRESULT {
    SentImage s{pane, p.xWidth, p.yHeight, p.Ascent, p.Type, p.pwszAlternateText != nullptr, {}};
    char chunk[4096];
    ULONG got = 0;
    while (SUCCEEDED(p.pIStream->Read(chunk, sizeof chunk, &got)) && got > 0) s.bytes.append(chunk, got);
    SentImages().push_back(s);
    return S_OK;
  });
}

Decoded Decode(const std::string& bytes) {
  Decoded d;
  ComPtr<IWICImagingFactory> f;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> bgra;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&f))) ||
      !stream || FAILED(f->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&d.width, &d.height)) ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &bgra)))
    return Decoded{};
  d.pixels.resize(static_cast<size_t>(d.width) * d.height * 4);
  if (FAILED(bgra->CopyPixels(nullptr, d.width * 4, static_cast<UINT>(d.pixels.size()),
                                 reinterpret_cast<BYTE*>(d.pixels.data()))))
    return Decoded{};
  return d;
}

LONG Himetric(UINT px, bool vertical) {
  HDC screen = GetDC(nullptr);
  const LONG h = MulDiv(static_cast<int>(px), 2540, GetDeviceCaps(screen, vertical ? LOGPIXELSY : LOGPIXELSX));
  ReleaseDC(nullptr, screen);
  return h;
}

std::string Pixel(int x, int y) {
  return {static_cast<char>(40 * x), static_cast<char>(90 + 50 * y), static_cast<char>(200 - 30 * x)};
}

std::string Dib(int w, int h, bool top_down, int header_size) {
  const int stride = (w * 3 + 3) & ~3;
  std::string b(static_cast<size_t>(header_size), '\0');
  auto put = [&b](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  put(0, static_cast<uint32_t>(header_size), 4);
  put(4, static_cast<uint32_t>(w), 4);
  put(8, static_cast<uint32_t>(top_down ? -h : h), 4);
  put(12, 1, 2);
  put(14, 24, 2);
  for (int row = 0; row < h; ++row) {
    const int y = top_down ? row : h - 1 - row;  // bottom-up rows start at the last line
    std::string line;
    for (int x = 0; x < w; ++x) line += Pixel(x, y);
    line.resize(static_cast<size_t>(stride), '\0');
    b += line;
  }
  return b;
}

std::string Bmp(int w, int h, bool top_down) {
  const std::string dib = Dib(w, h, top_down, 40);
  std::string f = "BM";
  for (uint32_t v : {static_cast<uint32_t>(14 + dib.size()), 0u, 54u})
    for (int i = 0; i < 4; ++i) f += static_cast<char>(v >> (8 * i));
  return f + dib;
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary);
  out << bytes;
}

void PicturePage::SetUp() {
  AppTest::SetUp();
  lw::testing::WriteLibrary(ToU16(Path("pictures.db")),
                            {{100, 0, 0, "F", std::nullopt},
                             {302, 100, 0, "B", std::nullopt},
                             {kPage, 302, 0, "page", "{\\rtf1 abc\\par}"},
                             {kLocked, 302, 1, "locked`", "{\\rtf1 fixed\\par}"}});
  StartOptions o;
  o.libraryPath = Path("pictures.db");
  ASSERT_EQ(Start(o), 0);
  WaitForWorker();
  Open(kPage);
  RecordImages();
}

void PicturePage::TearDown() {
  SetImageSenderForTest(nullptr);
  AppTest::TearDown();
}

void PicturePage::Open(int id) {
  TreeView_SelectItem(g_shell.tree, View()->Show(Model().ItemOf(id)));
  ASSERT_TRUE(PumpUntil([&] { return PaneNodeId(g_shell.editor1) == id; }));
  SetForegroundWindow(g_mainWindow);
  SetFocus(g_shell.editor1);
  Pump(20);
}

void PicturePage::ExpectPicture(const SentImage& s, UINT w, UINT h) {
  EXPECT_EQ(s.pane, g_shell.editor1);
  EXPECT_EQ(s.x, Himetric(w, false));
  EXPECT_EQ(s.y, Himetric(h, true));
  EXPECT_EQ(s.ascent, 0);
  EXPECT_EQ(s.type, 0);
  EXPECT_FALSE(s.alt_text);
  const Decoded d = Decode(s.bytes);
  EXPECT_EQ(d.width, w);
  EXPECT_EQ(d.height, h);
}

namespace {

std::string ResourceBytes(int id) {
  HRSRC r = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), L"IMAGE");
  if (!r) return std::string();
  return std::string(static_cast<const char*>(LockResource(LoadResource(GetModuleHandleW(nullptr), r))),
                     SizeofResource(GetModuleHandleW(nullptr), r));
}

struct Size {
  int id;
  UINT w, h;
};
constexpr Size kSizes[] = {{779, 16, 16}, {780, 16, 16}, {781, 16, 16}, {782, 29, 17}, {783, 16, 16},
                           {784, 16, 16}, {785, 16, 15}, {786, 16, 12}, {787, 15, 15}, {788, 12, 12},
                           {789, 13, 13}, {790, 13, 13}, {791, 13, 13}, {792, 13, 13}};

std::wstring Message(int n, const std::wstring& arg = std::wstring()) { return LoadMessage(409, n, arg); }

TEST_F(PicturePage, EachProgramPictureGoesInAsItsOwnPngAtItsSize) {
  SendMessageW(g_shell.editor1, EM_SETSEL, 3, 3);  // after "abc": Alt+digit must not take the "c"
  for (const Size& s : kSizes) {
    SentImages().clear();
    if (s.id <= 788) {
      ASSERT_TRUE(RunCommand(44 + s.id - 779)) << s.id;  // Alt+1 .. Alt+0
    } else {
      ASSERT_TRUE(InsertProgramPicture(g_shell.editor1, s.id)) << s.id;
    }
    ASSERT_EQ(SentImages().size(), 1u) << s.id;
    ExpectPicture(SentImages()[0], s.w, s.h);
    EXPECT_EQ(SentImages()[0].bytes, ResourceBytes(s.id)) << s.id;
    EXPECT_EQ(SentImages()[0].bytes.substr(1, 3), "PNG") << s.id;
  }
  EXPECT_EQ(WindowText(g_shell.editor1).substr(0, 3), L"abc") << "Alt+digit removes no character";
  EXPECT_TRUE(PaneModified(g_shell.editor1));
}

TEST_F(PicturePage, TypedCodesBecomePicturesAndOtherCharactersPass) {
  HWND ed = g_shell.editor1;
  SendMessageW(ed, EM_SETSEL, 3, 3);
  for (wchar_t c : std::wstring(L" :)")) SendMessageW(ed, WM_CHAR, c, 1);
  ASSERT_EQ(SentImages().size(), 1u);
  EXPECT_EQ(SentImages()[0].bytes, ResourceBytes(779));
  EXPECT_EQ(WindowText(ed).substr(0, 4), L"abc ") << "no colon, no parenthesis";
  EXPECT_EQ(WindowText(ed).find_first_of(L":)"), std::wstring::npos);
  for (wchar_t c : std::wstring(L":x:")) SendMessageW(ed, WM_CHAR, c, 1);
  EXPECT_EQ(WindowText(ed).substr(0, 7), L"abc :x:");
  // The caret moved away from the colon: the next code character is text.
  SendMessageW(ed, EM_SETSEL, 0, 0);
  SendMessageW(ed, WM_CHAR, L'(', 1);
  EXPECT_EQ(WindowText(ed).substr(0, 8), L"(abc :x:");
  EXPECT_EQ(SentImages().size(), 1u);
  Open(kLocked);  // a read-only page takes no picture, typed or by Alt+digit
  RunCommand(44);
  EXPECT_FALSE(OnPictureCodeChar(g_shell.editor1, L':') || OnPictureCodeChar(g_shell.editor1, L')'));
  EXPECT_EQ(SentImages().size(), 1u);
}

TEST_F(PicturePage, FilesUpTo1111PixelsASideGoInAndLargerOnesAreRefused) {
  struct Case { int w, h; bool ok; };
  for (const Case& c : {Case{1111, 1, true}, Case{1, 1111, true}, Case{1112, 1, false}, Case{1, 1112, false}}) {
    SentImages().clear();
    const std::wstring path = Path("limit " + std::to_string(c.w) + "x" + std::to_string(c.h) + ".bmp");
    WriteFile(path, Bmp(c.w, c.h, false));
    if (!c.ok) AnswerNextBox(IDOK);
    EXPECT_EQ(InsertPictureFile(g_shell.editor1, path), c.ok) << c.w << "x" << c.h;
    EXPECT_EQ(SentImages().size(), c.ok ? 1u : 0u) << c.w << "x" << c.h;
    if (c.ok) ExpectPicture(SentImages()[0], c.w, c.h);
  }
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, Message(29));
}

TEST_F(PicturePage, AHeaderClaimingAHugePictureIsRefusedForItsSize) {
  std::string header = Bmp(1, 1, false).substr(0, 54);
  for (int i = 0; i < 4; ++i) header[18 + i] = header[22 + i] = static_cast<char>(30000 >> (8 * i));
  const std::wstring path = Path("huge.bmp");
  WriteFile(path, header);  // 54 bytes: nothing beyond the header exists to decode
  AnswerNextBox(IDOK);
  EXPECT_FALSE(InsertPictureFile(g_shell.editor1, path));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, Message(29));
  EXPECT_TRUE(SentImages().empty());
}

TEST_F(PicturePage, AFileThatIsNoPictureInsertsNothingAndSaysSo) {
  const std::string bmp = Bmp(8, 8, false);
  struct Case { const char* name; std::string bytes; };
  const Case cases[] = {{"empty.png", ""},
                        {"words.png", "just some words"},
                        {"cut.bmp", bmp.substr(0, 54 + 3 * 24)},
                        {"cut.png", ResourceBytes(779).substr(0, 40)}};
  for (const Case& c : cases) {
    WriteFile(Path(c.name), c.bytes);
    AnswerNextBox(IDOK);
    EXPECT_FALSE(InsertPictureFile(g_shell.editor1, Path(c.name))) << c.name;
  }
  ASSERT_EQ(Boxes().size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Boxes()[i].text, Message(102, Path(cases[i].name))) << i;
  EXPECT_TRUE(SentImages().empty());
  EXPECT_FALSE(PaneModified(g_shell.editor1));
}

void PutDib(const std::string& block) {
  ASSERT_TRUE(OpenClipboard(g_mainWindow));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, block.size());
  memcpy(GlobalLock(mem), block.data(), block.size());
  GlobalUnlock(mem);
  SetClipboardData(CF_DIB, mem);
  CloseClipboard();
}

TEST_F(PicturePage, AClipboardBitmapIsPastedWithItsPixelsAndTopDownHeightsCountWhole) {
  for (bool top_down : {false, true}) {
    SentImages().clear();
    PutDib(Dib(3, 2, top_down, 40));
    ASSERT_TRUE(RunCommand(kCmdPaste));
    ASSERT_EQ(SentImages().size(), 1u) << top_down;
    ExpectPicture(SentImages()[0], 3, 2);
    const Decoded d = Decode(SentImages()[0].bytes);
    ASSERT_EQ(d.pixels.size(), 3u * 2 * 4);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x)
        EXPECT_EQ(d.pixels.substr(static_cast<size_t>((y * 3 + x) * 4), 3), Pixel(x, y)) << x << "," << y;
  }
  SentImages().clear();
  PutDib(Dib(1, 1112, true, 40));
  AnswerNextBox(IDOK);
  RunCommand(kCmdPaste);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, Message(29));
  PutDib(Dib(3, 2, false, 40).substr(0, 40 + 8));  // rows missing
  RunCommand(kCmdPaste);
  EXPECT_EQ(Boxes().size(), 1u) << "a short block is dropped silently";
  EXPECT_TRUE(SentImages().empty());
  EXPECT_TRUE(OpenClipboard(g_mainWindow)) << "the clipboard was closed again";
  CloseClipboard();
}

TEST(PageOleCallback, AnOutsideDragIsRefusedToTheControlOnceAndOnlyThen) {
  IRichEditOleCallback* cb = PageOleCallback();
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  EXPECT_EQ(cb->GetDragDropEffect(TRUE, 0, &effect), E_NOTIMPL);
  EXPECT_EQ(effect, 7u) << "the control's effect is left alone";
  EXPECT_EQ(cb->QueryAcceptData(nullptr, nullptr, 0, TRUE, nullptr), S_FALSE);
  EXPECT_EQ(cb->QueryAcceptData(nullptr, nullptr, 0, TRUE, nullptr), S_OK) << "the record was used";
  effect = DROPEFFECT_MOVE;  // a drag inside the page
  cb->GetDragDropEffect(TRUE, 0, &effect);
  EXPECT_EQ(cb->QueryAcceptData(nullptr, nullptr, 0, TRUE, nullptr), S_OK);
  IStorage* storage = nullptr;
  EXPECT_TRUE(FAILED(cb->GetNewStorage(&storage))) << "the control makes no objects of its own";
}

}  // namespace
}  // namespace lw::wintest
