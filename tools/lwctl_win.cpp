// lwctl: a small console helper for the run script, which cannot see Wine's
// windows from the X side.
//   lwctl wait-rect SECONDS  prints "x y width height" of the visible main window;
//                            on the way it answers the "!midiOutOpen" box that
//                            start-up shows on a system without MIDI output
//   lwctl close SECONDS      asks the main window to close and waits for it to go
#include <windows.h>

#include "version.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

static HWND FindMain() {
  HWND hwnd = FindWindowW(L"appW", nullptr);
  return hwnd && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

// Wine has no MIDI output, so start-up waits on this box until it is answered.
static void AnswerMidiBox() {
  HWND box = FindWindowW(L"#32770", L" Lorewell " LW_VERSION_WIDE);
  if (!box) return;
  wchar_t text[64] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 64);
  if (std::wcscmp(text, L"!midiOutOpen") == 0) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: lwctl wait-rect|close [SECONDS]\n");
    return 2;
  }
  DWORD limit = static_cast<DWORD>((argc > 2 ? std::atoi(argv[2]) : 10) * 1000);
  DWORD start = GetTickCount();
  if (std::strcmp(argv[1], "wait-rect") == 0) {
    for (;;) {
      if (HWND hwnd = FindMain()) {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        return 0;
      }
      AnswerMidiBox();
      if (GetTickCount() - start > limit) break;
      Sleep(100);
    }
    std::fprintf(stderr, "lwctl: no main window appeared\n");
    return 1;
  }
  if (std::strcmp(argv[1], "close") == 0) {
    HWND hwnd = FindMain();
    if (!hwnd) return 0;
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    while (IsWindow(hwnd)) {
      if (GetTickCount() - start > limit) return 1;
      Sleep(50);
    }
    return 0;
  }
  std::fprintf(stderr, "lwctl: unknown command %s\n", argv[1]);
  return 2;
}
