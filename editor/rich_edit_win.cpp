#include "editor/rich_edit_win.h"

#include <richedit.h>
#include <richole.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace lw {

namespace {

DWORD CALLBACK AppendBytes(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  try {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer),
                                                   static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return 1;  // ends the stream with an error
  }
  *done = size;
  return 0;
}

DWORD CALLBACK CountBytes(DWORD_PTR cookie, LPBYTE, LONG size, LONG* done) {
  *reinterpret_cast<std::int64_t*>(cookie) += size;
  *done = size;
  return 0;
}

}  // namespace

const wchar_t* DefaultFaceName() { return L"Verdana"; }

std::int64_t PaneTextLength(HWND ed) {
  GETTEXTLENGTHEX gl{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return SendMessageW(ed, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
}

int PaneObjectCount(HWND ed) {
  IRichEditOle* ole = nullptr;
  if (!SendMessageW(ed, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) || !ole) return 0;
  const int n = static_cast<int>(ole->GetObjectCount());
  ole->Release();
  return n;
}

bool StreamOutRtf(HWND ed, std::string* out) {
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(out), 0, AppendBytes};
  SendMessageW(ed, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
  return es.dwError == 0;
}

namespace {

struct MemoryReader {
  std::string_view bytes;
  size_t pos;
};

DWORD CALLBACK ReadMemory(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* r = reinterpret_cast<MemoryReader*>(cookie);
  const size_t n = std::min(r->bytes.size() - r->pos, static_cast<size_t>(size));
  std::memcpy(buffer, r->bytes.data() + r->pos, n);
  r->pos += n;
  *done = static_cast<LONG>(n);
  return 0;
}

}  // namespace

DWORD StreamInBytes(HWND ed, std::string_view bytes, WPARAM format) {
  MemoryReader reader{bytes, 0};
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&reader), 0, ReadMemory};
  SendMessageW(ed, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
  return es.dwError;
}

DWORD StreamInConverted(HWND ed, std::string_view bytes, UINT code_page, WPARAM flags) {
  const int n = MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  const std::string_view units(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return StreamInBytes(ed, units, SF_TEXT | SF_UNICODE | flags);
}

bool StreamOutUnicodeText(HWND ed, std::string* out) {
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(out), 0, AppendBytes};
  SendMessageW(ed, EM_STREAMOUT, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&es));
  return es.dwError == 0;
}

std::int64_t MeasureRtfSize(HWND ed) {
  std::int64_t total = 0;
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&total), 0, CountBytes};
  SendMessageW(ed, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
  return total;
}

std::wstring PaneText(HWND ed) {
  const std::int64_t n = PaneTextLength(ed);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GETTEXTEX get{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
  const LRESULT got = SendMessageW(ed, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

std::wstring TextRange(HWND ed, long from, long to) {
  if (to <= from) return std::wstring();
  std::wstring text(static_cast<size_t>(to - from) + 1, L'\0');
  TEXTRANGEW range{{from, to}, text.data()};
  const LRESULT n = SendMessageW(ed, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  text.resize(static_cast<size_t>(n < 0 ? 0 : n > to - from ? to - from : n));
  return text;
}

bool SelectedTextEmpty(HWND ed) {
  CHARRANGE cr{};
  SendMessageW(ed, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  return cr.cpMax <= cr.cpMin;
}

std::wstring SelectedText(HWND ed) {
  CHARRANGE cr{};
  SendMessageW(ed, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  if (cr.cpMax <= cr.cpMin) return {};
  std::wstring text(static_cast<size_t>(cr.cpMax - cr.cpMin) + 1, L'\0');
  const LRESULT n = SendMessageW(ed, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.assign(p, wcsnlen(p, GlobalSize(data) / sizeof(wchar_t)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void PutTextOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, bytes)) {
    memcpy(GlobalLock(mem), text.c_str(), bytes);
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

void CarryMusicFont(HWND ed) {
  CHARRANGE cr{};
  SendMessageW(ed, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  if (cr.cpMin != cr.cpMax || cr.cpMin < 2) return;
  // The insertion format just before the typed character is the format of
  // the character before it.
  CHARRANGE before{cr.cpMin - 1, cr.cpMin - 1};
  SendMessageW(ed, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&before));
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(ed, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  if ((cf.dwMask & CFM_FACE) && lstrcmpiW(cf.szFaceName, L"Cantoria") == 0) {
    CHARRANGE typed{cr.cpMin - 1, cr.cpMin};
    SendMessageW(ed, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&typed));
    SendMessageW(ed, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  }
  SendMessageW(ed, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}

}  // namespace lw
