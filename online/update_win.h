// The update check (the menu's Update): one request to the maker's site,
// described by online/update.h, sent by WinHTTP on a worker thread so the
// command returns at once. The worker never shows anything: it posts the
// outcome to the main window, which says it on the user-interface thread.
#pragma once

#include <windows.h>

#include <winhttp.h>

#include <string>

namespace lw {

void UpdateCheckRoutine(int id);

// Posted to the main window when a check ends (wParam: UpdateAnswer,
// lParam: UpdateFailure); the main window hands it to OnUpdateMessage.
inline constexpr UINT kMsgUpdateAnswer = WM_APP + 60;
bool OnUpdateMessage(UINT msg, WPARAM wp, LPARAM lp);

// Each of resolving, connecting, sending and receiving may take this long:
// a site that does not answer must not keep a check going for minutes.
inline constexpr int kUpdateTimeoutMs = 5000;

// The WinHTTP call that failed before anything was sent.
enum class UpdateFailure { kNone, kOpen, kConnect, kOpenRequest };

// True from the command until its worker has posted its outcome; a second
// command meanwhile is ignored.
bool UpdateCheckRunning();

// --- Test seams ------------------------------------------------------------------

// The server asked instead of the site (empty host: the site again).
void SetUpdateServerForTest(const std::wstring& host, INTERNET_PORT port);

// The calls that make and close handles, so that a test can make one fail
// or count what was closed. Null: the system's.
struct WinHttpCalls {
  decltype(&WinHttpOpen) open;
  decltype(&WinHttpConnect) connect;
  decltype(&WinHttpOpenRequest) open_request;
  decltype(&WinHttpCloseHandle) close;
};
void SetWinHttpCallsForTest(const WinHttpCalls* calls);

}  // namespace lw
