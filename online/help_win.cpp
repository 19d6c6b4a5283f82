#include "online/help_win.h"

#include <windows.h>

#include <shellapi.h>

#include "app/app_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "online/update.h"

namespace lw {

namespace {
ShellOpenSink g_sink = nullptr;
}  // namespace

void OpenInShell(const std::wstring& url) {
  if (g_sink) {
    g_sink(url);
    return;
  }
  // The shell answers at once for an address; the browser starts on its own.
  ShellExecuteW(g_mainWindow, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void HelpRoutine(int) { OpenInShell(ToWide(HelpUrl(UiLanguage()))); }

void FeedbackRoutine(int) { OpenInShell(ToWide(FeedbackUrl(UiLanguage()))); }

void SetShellOpenSinkForTest(ShellOpenSink sink) { g_sink = sink; }

}  // namespace lw
