#include "editor/picture_win.h"

#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "editor/pane_win.h"
#include "editor/picture.h"
#include "editor/rich_edit_win.h"
#include "store/library_win.h"

namespace lw {

namespace {

using Microsoft::WRL::ComPtr;

constexpr int kMsgTooLarge = 29;
constexpr int kMsgNotAPicture = 102;

ImageSender g_sender;
HWND g_typedIn = nullptr;  // the pane and the character typed last
wchar_t g_typed = 0;

struct PixelSize {
  UINT width = 0;
  UINT height = 0;
};

ComPtr<IWICImagingFactory> Factory() {
  // The user-interface thread's apartment, kept for the rest of the run;
  // S_FALSE and RPC_E_CHANGED_MODE mean there is one already.
  static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)com;
  ComPtr<IWICImagingFactory> factory;
  CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
  return factory;
}

// The size of the decoder's first frame; with `decode_all`, only when every
// pixel of it can be decoded too (a truncated file fails here, not later in
// the control).
std::optional<PixelSize> FrameSize(IWICBitmapDecoder* decoder, bool decode_all) {
  ComPtr<IWICBitmapFrameDecode> frame;
  PixelSize size;
  if (FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&size.width, &size.height)) ||
      size.width == 0 || size.height == 0)
    return std::nullopt;
  if (!decode_all || !WithinPictureLimit(size.width, size.height)) return size;
  ComPtr<IWICBitmapSource> pixels;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(), &pixels))) return std::nullopt;
  std::vector<BYTE> buffer(static_cast<size_t>(size.width) * size.height * 4);
  if (FAILED(pixels->CopyPixels(nullptr, size.width * 4, static_cast<UINT>(buffer.size()), buffer.data())))
    return std::nullopt;
  return size;
}

std::optional<PixelSize> StreamSize(IWICImagingFactory* factory, IStream* stream) {
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
    return std::nullopt;
  return FrameSize(decoder.Get(), true);
}

// The one place a picture enters a page: its size in HIMETRIC at the
// screen's resolution, the stream from its start.
bool SendImage(HWND pane, IStream* stream, PixelSize size) {
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  HDC screen = GetDC(nullptr);
  RICHEDIT_IMAGE_PARAMETERS params{};
  params.xWidth = MulDiv(static_cast<int>(size.width), 2540, GetDeviceCaps(screen, LOGPIXELSX));
  params.yHeight = MulDiv(static_cast<int>(size.height), 2540, GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  params.pIStream = stream;
  HRESULT hr;
  {
    ProgramChange ours;
    hr = g_sender ? g_sender(pane, params)
                  : static_cast<HRESULT>(SendMessageW(pane, EM_INSERTIMAGE, 0, reinterpret_cast<LPARAM>(&params)));
  }
  if (FAILED(hr)) return false;
  NotePageChanged(pane);  // the control does not announce an object
  return true;
}

bool PaneEditable(HWND pane) { return pane && pane == g_shell.currentEditor && ActivePageEditable(); }

void SayNotAPicture(const std::wstring& path) {
  ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgNotAPicture, MB_ICONERROR, path);
}

// The bytes of the clipboard's `format`, copied so that the clipboard is
// closed again at once; empty when it holds none.
std::string ClipboardBytes(UINT format) {
  std::string bytes;
  if (!OpenClipboard(g_mainWindow)) return bytes;
  if (HGLOBAL mem = GetClipboardData(format)) {
    if (const void* data = GlobalLock(mem)) {
      bytes.assign(static_cast<const char*>(data), GlobalSize(mem));
      GlobalUnlock(mem);
    }
  }
  CloseClipboard();
  return bytes;
}

}  // namespace

bool LibraryAndNodeOrSay() {
  if (!Store().library_open()) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), 34, MB_ICONINFORMATION);
    return false;
  }
  if (Model().selected_id() == 0) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), 42, MB_ICONINFORMATION);
    return false;
  }
  return true;
}

bool InsertProgramPicture(HWND pane, int resource_id) {
  HRSRC found = FindResourceW(g_instance, MAKEINTRESOURCEW(resource_id), L"IMAGE");
  HGLOBAL loaded = found ? LoadResource(g_instance, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  ComPtr<IWICImagingFactory> factory = Factory();
  ComPtr<IWICStream> stream;
  if (!bytes || !factory || FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)),
                                          SizeofResource(g_instance, found))))
    return false;
  const std::optional<PixelSize> size = StreamSize(factory.Get(), stream.Get());
  return size && SendImage(pane, stream.Get(), *size);
}

bool InsertPictureFile(HWND pane, const std::wstring& path) {
  if (!LibraryAndNodeOrSay() || !PaneEditable(pane)) return false;
  ComPtr<IWICImagingFactory> factory = Factory();
  std::optional<PixelSize> size;
  {
    ComPtr<IWICBitmapDecoder> decoder;
    if (factory && SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                                WICDecodeMetadataCacheOnDemand, &decoder)))
      size = FrameSize(decoder.Get(), true);
  }  // the decoder lets the file go before the stream opens it
  if (size && !WithinPictureLimit(size->width, size->height)) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgTooLarge, MB_ICONINFORMATION);
    return false;
  }
  ComPtr<IStream> stream;
  if (!size || FAILED(SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE,
                                             FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &stream))) {
    SayNotAPicture(path);
    return false;
  }
  return SendImage(pane, stream.Get(), *size);
}

bool PasteClipboardPicture(HWND pane) {
  if (!IsClipboardFormatAvailable(CF_DIB)) return false;
  const std::string block = ClipboardBytes(CF_DIB);
  DibLayout layout;
  const DibVerdict verdict = CheckDib(block, &layout);
  if (verdict == DibVerdict::kTooLarge)
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgTooLarge, MB_ICONINFORMATION);
  if (verdict != DibVerdict::kOk) return false;
  const std::string bmp = BmpFileOfDib(block, layout);
  ComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bmp.data()), static_cast<UINT>(bmp.size())));
  ComPtr<IWICImagingFactory> factory = Factory();
  if (!stream || !factory || !StreamSize(factory.Get(), stream.Get())) return false;
  const DibHeader header = *ReadDibHeader(block);
  const PixelSize size{static_cast<UINT>(header.width),
                       static_cast<UINT>(header.height < 0 ? -static_cast<INT64>(header.height) : header.height)};
  return SendImage(pane, stream.Get(), size);
}

void InsertPictureRoutine(int id) {
  // Nothing is removed before the picture: the key typed no character.
  HWND pane = g_shell.currentEditor;
  const int picture = PictureOfCommand(id);
  if (picture && PaneEditable(pane)) InsertProgramPicture(pane, picture);
}

bool OnPictureCodeChar(HWND pane, wchar_t ch) {
  const bool after_colon = g_typedIn == pane && g_typed == L':';
  g_typedIn = pane;
  g_typed = ch;
  const int picture = after_colon ? PictureOfCode(ch) : 0;
  if (!picture || !PaneEditable(pane)) return false;
  // The colon must still stand right before the caret, with nothing
  // selected: the caret may have moved since it was typed.
  CHARRANGE sel{};
  SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  if (sel.cpMin != sel.cpMax || sel.cpMin < 1 || TextRange(pane, sel.cpMin - 1, sel.cpMin) != L":") return false;
  g_typed = 0;
  {
    // Exactly the colon goes, by the program's own edit rather than a
    // synthesised Backspace, which a held Ctrl would turn into "delete the
    // word".
    ProgramChange ours;
    SendMessageW(pane, EM_SETSEL, sel.cpMin - 1, sel.cpMin);
    SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
  }
  InsertProgramPicture(pane, picture);
  return true;
}

void SetImageSenderForTest(ImageSender sender) { g_sender = std::move(sender); }

}  // namespace lw
