#include "online/update_win.h"

#include <atomic>
#include <memory>
#include <string_view>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "online/help_win.h"
#include "online/update.h"

namespace lw {

namespace {

constexpr int kMsgNewer = 40;
constexpr int kMsgLatest = 41;
constexpr int kMsgUnreachable = 120;

const WinHttpCalls kSystemCalls = {WinHttpOpen, WinHttpConnect, WinHttpOpenRequest, WinHttpCloseHandle};
const WinHttpCalls* g_calls = &kSystemCalls;
std::wstring g_testHost;
INTERNET_PORT g_testPort = 0;
std::atomic<bool> g_running{false};

// A WinHTTP handle closed through the same table that made it, whichever
// way the request ends.
class Handle {
 public:
  Handle(HINTERNET h, const WinHttpCalls& calls) : h_(h), calls_(calls) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (h_) calls_.close(h_);
  }
  HINTERNET get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
  const WinHttpCalls& calls_;
};

struct Outcome {
  UpdateAnswer answer = UpdateAnswer::kUnreachable;
  UpdateFailure failure = UpdateFailure::kNone;
};

// Sends the request and reads the status and the body's first byte; no
// reply within the timeouts is no answer.
UpdateAnswer Exchange(HINTERNET request, const UpdateRequest& r) {
  // Some WinHTTP versions wait for the status line by this option rather
  // than by the receive timeout.
  DWORD timeout = kUpdateTimeoutMs;
  WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &timeout, sizeof timeout);
  const std::wstring headers = ToWide(r.headers);
  const DWORD length = static_cast<DWORD>(r.body.size());
  if (!WinHttpSendRequest(request, headers.c_str(), static_cast<DWORD>(-1), const_cast<char*>(r.body.data()),
                          length, length, 0) ||
      !WinHttpReceiveResponse(request, nullptr))
    return UpdateAnswer::kUnreachable;
  DWORD status = 0, size = sizeof status;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    return UpdateAnswer::kUnreachable;
  char first = 0;
  DWORD read = 0;
  if (status == 200 && !WinHttpReadData(request, &first, 1, &read)) read = 0;
  return InterpretUpdateReply(static_cast<int>(status), std::string_view(&first, read));
}

Outcome RunCheck(const std::wstring& host, INTERNET_PORT port, const WinHttpCalls& calls) {
  const UpdateRequest r = MakeUpdateRequest();
  Handle session(calls.open(ToWide(r.agent).c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0),
                 calls);
  if (!session) return {UpdateAnswer::kUnreachable, UpdateFailure::kOpen};
  WinHttpSetTimeouts(session.get(), kUpdateTimeoutMs, kUpdateTimeoutMs, kUpdateTimeoutMs, kUpdateTimeoutMs);
  Handle connection(calls.connect(session.get(), host.c_str(), port, 0), calls);
  if (!connection) return {UpdateAnswer::kUnreachable, UpdateFailure::kConnect};
  Handle request(calls.open_request(connection.get(), ToWide(r.verb).c_str(), ToWide(r.path).c_str(), nullptr,
                                    WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0),
                 calls);
  if (!request) return {UpdateAnswer::kUnreachable, UpdateFailure::kOpenRequest};
  return {Exchange(request.get(), r), UpdateFailure::kNone};
}

void SayFailure(UpdateFailure failure) {
  static const wchar_t* const kCalls[] = {L"", L"! WinHttpOpen", L"! WinHttpConnect", L"! WinHttpOpenRequest"};
  ShowMessage(g_mainWindow, kCalls[static_cast<int>(failure)], MB_ICONERROR);
}

void SayAnswer(UpdateAnswer answer) {
  switch (answer) {
    case UpdateAnswer::kLatest:
      ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgLatest, MB_ICONINFORMATION);
      break;
    case UpdateAnswer::kNewer:
      if (ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgNewer, MB_YESNO | MB_ICONQUESTION) == IDYES)
        OpenInShell(ToWide(ProductPageUrl()));
      break;
    case UpdateAnswer::kUnreachable:
      ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgUnreachable, MB_ICONINFORMATION);
      break;
  }
}

struct Job {
  std::wstring host;
  INTERNET_PORT port;
  WinHttpCalls calls;
  HWND window;
};

DWORD WINAPI CheckThread(void* param) {
  std::unique_ptr<Job> job(static_cast<Job*>(param));
  const Outcome outcome = RunCheck(job->host, job->port, job->calls);
  PostMessageW(job->window, kMsgUpdateAnswer, static_cast<WPARAM>(outcome.answer),
               static_cast<LPARAM>(outcome.failure));
  g_running = false;
  return 0;
}

}  // namespace

void UpdateCheckRoutine(int) {
  // One check at a time: a second click while the first waits for the site
  // would only stack a second answer on the first.
  if (g_running.exchange(true)) return;
  // Copied now: the worker must not read what the user-interface thread may
  // change meanwhile.
  auto* job = new Job{g_testHost.empty() ? ToWide(kSiteHost) : g_testHost,
                      g_testHost.empty() ? static_cast<INTERNET_PORT>(kSitePort) : g_testPort, *g_calls,
                      g_mainWindow};
  HANDLE thread = CreateThread(nullptr, 0, CheckThread, job, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
    return;
  }
  delete job;
  g_running = false;
  SayAnswer(UpdateAnswer::kUnreachable);
}

bool OnUpdateMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kMsgUpdateAnswer) return false;
  // The check may have been asked from the options panel; the answer must
  // not sit behind it.
  if (g_shell.options && IsWindowVisible(g_shell.options)) {
    ShowWindow(g_shell.options, SW_HIDE);
    ShowWindow(g_shell.overlay, SW_HIDE);
  }
  const auto failure = static_cast<UpdateFailure>(lp);
  if (failure != UpdateFailure::kNone) SayFailure(failure);
  else SayAnswer(static_cast<UpdateAnswer>(wp));
  return true;
}

bool UpdateCheckRunning() { return g_running; }

void SetUpdateServerForTest(const std::wstring& host, INTERNET_PORT port) {
  g_testHost = host;
  g_testPort = port;
}

void SetWinHttpCallsForTest(const WinHttpCalls* calls) { g_calls = calls ? calls : &kSystemCalls; }

}  // namespace lw
