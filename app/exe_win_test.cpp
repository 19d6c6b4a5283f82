// lorewell.exe itself, started as a child process from a copy in a temporary
// folder so that its settings file lands there.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

namespace fs = std::filesystem;

fs::path BuiltExecutable() {
  wchar_t self[MAX_PATH * 4];
  GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
  return fs::path(self).parent_path() / L"lorewell.exe";
}

// The text of a message box, which may arrive after the box is shown.
std::wstring BoxText(HWND box) {
  wchar_t text[512] = L"";
  for (int i = 0; i < 50 && !text[0]; ++i) {
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    if (!text[0]) Sleep(20);
  }
  return text;
}

struct Child {
  PROCESS_INFORMATION pi{};
  bool started = false;

  explicit Child(const fs::path& exe, const std::wstring& args = L"") {
    std::wstring cmd = L"\"" + exe.wstring() + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started = CreateProcessW(exe.wstring().c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                             exe.parent_path().wstring().c_str(), &si, &pi) != 0;
    EXPECT_TRUE(started) << "could not start the copied executable";
  }
  ~Child() {
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  // The first visible top-level window of the child with class `cls`,
  // looked for at least once, also with ms = 0.
  HWND FindWindowOfClass(const wchar_t* cls, int ms) {
    struct Search {
      DWORD pid;
      const wchar_t* cls;
      HWND found;
    } search{pi.dwProcessId, cls, nullptr};
    auto match = [](HWND hwnd, LPARAM lp) -> BOOL {
      auto* s = reinterpret_cast<Search*>(lp);
      DWORD pid = 0;
      wchar_t name[64] = L"";
      GetWindowThreadProcessId(hwnd, &pid);
      GetClassNameW(hwnd, name, 64);
      if (pid != s->pid || !IsWindowVisible(hwnd) || lstrcmpW(name, s->cls) != 0) return TRUE;
      s->found = hwnd;
      return FALSE;
    };
    for (const DWORD start = GetTickCount();; Sleep(50)) {
      EnumWindows(match, reinterpret_cast<LPARAM>(&search));
      if (search.found || GetTickCount() - start >= static_cast<DWORD>(ms)) return search.found;
    }
  }
  // Waits for the main window. Start-up shows "!midiOutOpen" when the system
  // has no MIDI output (always under Wine); that box is answered on the way
  // and noted in `midiBoxes`.
  HWND WaitForMainWindow(int ms = 15000) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < static_cast<DWORD>(ms); Sleep(50)) {
      if (HWND main = FindWindowOfClass(L"appW", 0)) return main;
      HWND box = FindWindowOfClass(L"#32770", 0);
      if (!box) continue;
      if (BoxText(box) != L"!midiOutOpen") {
        ADD_FAILURE() << "unexpected box at start-up";
        return nullptr;
      }
      ++midiBoxes;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      while (IsWindow(box) && GetTickCount() - start < static_cast<DWORD>(ms)) Sleep(20);
    }
    return nullptr;
  }
  // Closes the main window `w` and returns the exit code.
  DWORD Close(HWND w) {
    PostMessageW(w, WM_CLOSE, 0, 0);
    return Wait(10000);
  }
  int midiBoxes = 0;
  DWORD Wait(int ms) {
    if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return 9999;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
};

class Executable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(BuiltExecutable())) << "lorewell.exe is built beside the tests";
    exe_ = dir_.path() / L"lorewell.exe";
    fs::copy_file(BuiltExecutable(), exe_);
  }
  lw::testing::TempDir dir_;
  fs::path exe_;
};

TEST_F(Executable, StartsShowsTheMainWindowAndExitsCleanlyOnClose) {
  Child child(exe_);
  HWND main = child.WaitForMainWindow();
  ASSERT_TRUE(main) << "no appW window appeared";
  EXPECT_LE(child.midiBoxes, 1) << "the missing MIDI output is reported once";
  // The demo library opens on a worker; until it has, a close would be
  // refused (message 33). The taskbar label then names it.
  wchar_t text[32] = L"";
  for (int k = 0; k < 300 && lstrcmpW(text, L"Lorewell demo.db") != 0; ++k) {
    Sleep(50);
    GetWindowTextW(main, text, 32);
  }
  EXPECT_STREQ(text, L"Lorewell demo.db");
  EXPECT_EQ(child.Close(main), 0u);
  EXPECT_EQ(fs::file_size(dir_.path() / L"lorewell.set"), 1772u);
  EXPECT_TRUE(fs::exists(dir_.path() / L"Lorewell demo.db"));
}

AppSettings ReadSettingsFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  AppSettings s{};
  EXPECT_EQ(ParseSettings(bytes.data(), bytes.size(), &s), SettingsParse::kOk);
  return s;
}

void WriteSettingsFile(const fs::path& path, const AppSettings& s) {
  std::vector<uint8_t> bytes = SerializeSettings(s);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// Two instances from one folder share one settings file: the second opens
// 33 px lower right of a visible first one, with its size, and forgets the
// last node so it does not reselect it; beside a minimised first one it
// takes the stored placement.
TEST_F(Executable, SecondInstanceOpensOffsetFromTheFirstAndForgetsTheLastNode) {
  const fs::path settings = dir_.path() / L"lorewell.set";
  AppSettings seed = DefaultSettings();
  seed.windowX = 150, seed.windowY = 100, seed.windowWidth = 820, seed.windowHeight = 610;
  seed.storeLastLibrary = 1;
  seed.lastNodeId = 314;
  WriteSettingsFile(settings, seed);
  Child first(exe_);
  HWND a = first.WaitForMainWindow();
  ASSERT_TRUE(a);
  const RECT ra = WindowRect(a);
  EXPECT_EQ(std::pair(ra.left, ra.top), std::pair(150L, 100L));

  Child second(exe_);
  HWND b = second.WaitForMainWindow();
  ASSERT_TRUE(b && a != b);
  const RECT rb = WindowRect(b);
  EXPECT_EQ(std::tuple(rb.left, rb.top, rb.right - rb.left, rb.bottom - rb.top),
            std::tuple(ra.left + 33, ra.top + 33, ra.right - ra.left, ra.bottom - ra.top));
  ASSERT_EQ(second.Close(b), 0u);
  const AppSettings s = ReadSettingsFile(settings);
  EXPECT_EQ(s.windowX, 183);
  EXPECT_EQ(s.lastNodeId, 0) << "the second instance does not reselect the last node";

  // Beside a minimised instance the stored placement and node are used.
  seed.windowX = 200, seed.windowY = 140;
  WriteSettingsFile(settings, seed);
  ShowWindow(a, SW_MINIMIZE);
  for (int i = 0; i < 100 && !IsIconic(a); ++i) Sleep(20);
  ASSERT_TRUE(IsIconic(a));
  Child third(exe_);
  HWND c = third.WaitForMainWindow();
  ASSERT_TRUE(c);
  EXPECT_EQ(std::pair(WindowRect(c).left, WindowRect(c).top), std::pair(200L, 140L));
  ASSERT_EQ(third.Close(c), 0u);
  EXPECT_EQ(ReadSettingsFile(settings).lastNodeId, 314);
  ASSERT_EQ(first.Close(a), 0u);
  EXPECT_EQ(ReadSettingsFile(settings).lastNodeId, 314) << "the first instance keeps its last node";
}

// A start that is refused ends the process with code 1 (an incompatible
// settings file is refused in-process, by
// ShellStart.IncompatibleSettingsFileIsReportedAndLeftUntouched). Wine can pretend to be an older Windows for one executable
// name; on real Windows the key is ignored and the test is skipped.
TEST_F(Executable, RefusesWindowsOlderThan8InTheStoredLanguage) {
  HKEY wine = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, KEY_READ, &wine) != ERROR_SUCCESS)
    GTEST_SKIP() << "not running under Wine";
  RegCloseKey(wine);
  const wchar_t* key = L"Software\\Wine\\AppDefaults\\lorewell-win7.exe";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Version", REG_SZ, L"win7", 10), ERROR_SUCCESS);
  fs::path old = dir_.path() / L"lorewell-win7.exe";
  fs::rename(exe_, old);
  AppSettings romanian = DefaultSettings();
  romanian.language = 418;
  WriteSettingsFile(dir_.path() / L"lorewell.set", romanian);
  Child child(old);
  HWND box = child.FindWindowOfClass(L"#32770", 15000);
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
  ASSERT_TRUE(box) << "no message box appeared";
  EXPECT_EQ(BoxText(box), L"Acest program necesită cel puțin Windows 8 !");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(child.Wait(10000), 1u);
}

}  // namespace
}  // namespace lw::wintest
