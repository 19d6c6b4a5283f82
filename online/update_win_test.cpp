// The update check against a stand-in site on 127.0.0.1
// (tools/testing/update_server.py, started once for the suite): what the
// server received, the answer said for each reply, the timeouts, a closed
// port, and WinHTTP calls that fail.
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/commands_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "online/help_win.h"
#include "online/update_win.h"
#include "version.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

namespace fs = std::filesystem;

fs::path BuildDir() {
  wchar_t self[MAX_PATH * 4] = L"";
  GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
  return fs::path(self).parent_path();
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The stand-in site, started with the suite from the source tree the
// build names (LOREWELL_SOURCE_DIR), stopped after it.
struct Site {
  fs::path dir = BuildDir() / "update-server";
  INTERNET_PORT port = 0, closedPort = 0;

  bool Start() {
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    const std::string source = LOREWELL_SOURCE_DIR;
    std::string unixDir = dir.string().substr(2);  // Wine shows the Unix root as Z:
    for (char& c : unixDir)
      if (c == '\\') c = '/';
    const std::string cmd = "/bin/sh -c \"exec python3 '" + source + "/tools/testing/update_server.py' '" + unixDir + "'\"";
    std::wstring wcmd(cmd.begin(), cmd.end());
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &wcmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    PumpUntil([&] { return fs::exists(dir / "port"); }, 20000);
    std::istringstream(ReadAll(dir / "port")) >> port >> closedPort;
    return port != 0;
  }
  void Reply(int status, double delay, const std::string& body) {
    std::ofstream(dir / "reply", std::ios::binary) << status << " " << delay << "\n" << body;
  }
  // What the site received: per request "verb", "path", "header Name: value"
  // lines, "body" and "end".
  std::string Log() const { return ReadAll(dir / "requests"); }
  size_t Requests() const {
    size_t n = 0;
    for (size_t at = 0; (at = Log().find("\nend\n", at)) != std::string::npos; ++at) ++n;
    return n;
  }
};

Site g_site;
bool g_siteUp = false;

// Handles made and closed, through the table the check calls; the stage
// named by g_failAt fails instead of reaching the system.
std::atomic<int> g_opened{0}, g_closed{0};
UpdateFailure g_failAt = UpdateFailure::kNone;

HINTERNET Counted(HINTERNET h) {
  if (h) ++g_opened;
  return h;
}
bool Fails(UpdateFailure stage) {
  if (g_failAt == stage) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return g_failAt == stage;
}
HINTERNET WINAPI OpenCounted(LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags) {
  return Fails(UpdateFailure::kOpen) ? nullptr : Counted(WinHttpOpen(agent, access, proxy, bypass, flags));
}
HINTERNET WINAPI ConnectCounted(HINTERNET session, LPCWSTR host, INTERNET_PORT port, DWORD reserved) {
  return Fails(UpdateFailure::kConnect) ? nullptr : Counted(WinHttpConnect(session, host, port, reserved));
}
HINTERNET WINAPI OpenRequestCounted(HINTERNET c, LPCWSTR verb, LPCWSTR path, LPCWSTR version, LPCWSTR referrer,
                                    LPCWSTR* types, DWORD flags) {
  return Fails(UpdateFailure::kOpenRequest)
             ? nullptr
             : Counted(WinHttpOpenRequest(c, verb, path, version, referrer, types, flags));
}
BOOL WINAPI CloseCounted(HINTERNET h) {
  ++g_closed;
  return WinHttpCloseHandle(h);
}
const WinHttpCalls kCounted = {OpenCounted, ConnectCounted, OpenRequestCounted, CloseCounted};

std::vector<std::wstring> g_opens;
void RecordOpen(const std::wstring& url) { g_opens.push_back(url); }

class UpdateCheck : public AppTest {
 protected:
  static void SetUpTestSuite() { g_siteUp = g_site.Start(); }
  static void TearDownTestSuite() { std::ofstream(g_site.dir / "stop") << "\n"; }

  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(g_siteUp) << "the stand-in site did not start (python3 and tools/testing/update_server.py)";
    std::error_code ec;
    fs::remove(g_site.dir / "requests", ec);
    g_opened = g_closed = 0;
    g_failAt = UpdateFailure::kNone;
    g_opens.clear();
    SetWinHttpCallsForTest(&kCounted);
    SetShellOpenSinkForTest(RecordOpen);
    SetUpdateServerForTest(L"127.0.0.1", g_site.port);
    ASSERT_EQ(Start(), 0);
  }
  void TearDown() override {
    PumpUntil([] { return !UpdateCheckRunning(); }, 30000);
    SetWinHttpCallsForTest(nullptr);
    SetShellOpenSinkForTest(nullptr);
    SetUpdateServerForTest(L"", 0);
    g_settings.language = 409;
    AppTest::TearDown();
  }

  // Runs the command; true when it returned within `ms` and a box came
  // within `wait` milliseconds after.
  bool Check(int wait = 10000, int ms = 500) {
    const size_t before = Boxes().size();
    const DWORD start = GetTickCount();
    EXPECT_EQ(DispatchCommand(kCmdMenuUpdate), CommandOutcome::kRan);
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, static_cast<DWORD>(ms)) << "the command waited for the site";
    return PumpUntil([&] { return Boxes().size() > before; }, wait);
  }
};

TEST_F(UpdateCheck, ServerReceivesTheExactRequest) {
  g_site.Reply(200, 0, "0");
  AnswerNextBox(IDOK);
  ASSERT_TRUE(Check());
  std::string log = g_site.Log();
  for (char& c : log) c = static_cast<char>(tolower(c));  // header names are any case
  const std::string version = std::to_string(LW_VERSION_MAJOR) + std::to_string(LW_VERSION_MINOR);
  const std::string body = "pa=k7rm4q&op=update&vers=" + version;
  EXPECT_EQ(log.rfind("verb post\npath /lorew/login" + version + ".php\n", 0), 0u) << log;
  const std::vector<std::string> lines = {"header content-type: application/x-www-form-urlencoded\n",
                                          "header user-agent: lorewell/" LW_VERSION_SHORT "\n",
                                          "header content-length: " + std::to_string(body.size()) + "\n",
                                          "body " + body + "\nend\n"};
  for (const std::string& line : lines)
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
  EXPECT_EQ(g_site.Requests(), 1u);
}

// Each reply, in each language, and a closed port: the box said, the
// button's effect, and every handle closed.
TEST_F(UpdateCheck, EachReplyGivesItsAnswer) {
  const UINT info = MB_ICONINFORMATION, question = MB_YESNO | MB_ICONQUESTION;
  const struct {
    int status;
    const char* body;
    int language, message;
    UINT type;
    int button = IDOK;
    bool closedPort = false;
  } cases[] = {
      {200, "0", 409, 41, info},          {200, "1abc", 409, 40, question, IDNO}, {200, "x", 409, 120, info},
      {200, "", 409, 120, info},          {404, "0", 409, 120, info},             {200, "0", 418, 41, info},
      {500, "1", 418, 120, info},         {200, "0", 409, 120, info, IDOK, true},
      {200, "1", 418, 40, question, IDYES},  // the last: Yes opens the product page
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.status) + " '" + c.body + "' " + std::to_string(c.language));
    g_settings.language = c.language;
    g_site.Reply(c.status, 0, c.body);
    SetUpdateServerForTest(L"127.0.0.1", c.closedPort ? g_site.closedPort : g_site.port);
    g_opened = g_closed = 0;
    AnswerNextBox(c.button);
    ASSERT_TRUE(Check());
    EXPECT_EQ(Boxes().back().text, LoadMessage(c.language, c.message));
    EXPECT_EQ(Boxes().back().type, c.type);
    EXPECT_EQ(g_opened, 3);
    EXPECT_EQ(g_closed, 3);
  }
  EXPECT_EQ(g_opens, std::vector<std::wstring>{L"http://www.lorewell.ro/?lorewell"});
  EXPECT_EQ(g_site.Requests(), 8u);
}

// The site answers "0" only after 12 s: the check gives up first, and the
// window went on meanwhile.
TEST_F(UpdateCheck, ASlowSiteTimesOut) {
  g_site.Reply(200, 12, "0");
  AnswerNextBox(IDOK);
  const DWORD start = GetTickCount();
  ASSERT_TRUE(Check(11000));
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(Boxes().back().text, LoadMessage(409, 120));
  EXPECT_GE(took, static_cast<DWORD>(kUpdateTimeoutMs - 500));
  EXPECT_EQ(g_closed, g_opened);
}

TEST_F(UpdateCheck, AFailedHandleIsNamedAndTheOthersClosed) {
  const struct {
    UpdateFailure at;
    const wchar_t* text;
    int opened;
  } cases[] = {
      {UpdateFailure::kOpen, L"! WinHttpOpen", 0},
      {UpdateFailure::kConnect, L"! WinHttpConnect", 1},
      {UpdateFailure::kOpenRequest, L"! WinHttpOpenRequest", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
    g_failAt = c.at;
    g_opened = g_closed = 0;
    AnswerNextBox(IDOK);
    ASSERT_TRUE(Check());
    EXPECT_EQ(Boxes().back().text, c.text);
    EXPECT_EQ(Boxes().back().type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(g_opened, c.opened);
    EXPECT_EQ(g_closed, c.opened);
  }
  EXPECT_EQ(g_site.Requests(), 0u);
}

TEST_F(UpdateCheck, OneCheckAtATime) {
  g_site.Reply(200, 1, "0");
  AnswerNextBox(IDOK);
  EXPECT_EQ(DispatchCommand(kCmdMenuUpdate), CommandOutcome::kRan);
  EXPECT_EQ(DispatchCommand(kCmdMenuUpdate), CommandOutcome::kRan);
  ASSERT_TRUE(PumpUntil([&] { return !Boxes().empty(); }, 10000));
  Pump(1500);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(g_site.Requests(), 1u);
}

TEST_F(UpdateCheck, TheAnswerHidesTheOptionsPanel) {
  ShowWindow(g_shell.overlay, SW_SHOWNOACTIVATE);
  ShowWindow(g_shell.options, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(IsWindowVisible(g_shell.options));
  g_site.Reply(200, 0, "0");
  AnswerNextBox(IDOK);
  ASSERT_TRUE(Check());
  EXPECT_FALSE(IsWindowVisible(g_shell.options));
  EXPECT_FALSE(IsWindowVisible(g_shell.overlay));
}

}  // namespace
}  // namespace lw::wintest
