// The options panel in the running window: where it opens and what closes
// it, its controls and the choices they make, and the registry changes
// read back from the registry itself.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <tuple>
#include <utility>

#include "app/commands.h"
#include "app/options_win.h"
#include "app/registry_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "editor/find_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

std::tuple<int, int, int, int> ScreenBox(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

HWND Control(int id) { return GetDlgItem(g_shell.options, id); }
bool Shown() { return IsWindowVisible(g_shell.options) && IsWindowVisible(g_shell.overlay); }
bool Ticked(int id) { return IsDlgButtonChecked(g_shell.options, id) == BST_CHECKED; }
void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }

// The overlay covers the main window 1 pixel in; the panel sits in the middle.
void ExpectPlacedOver(HWND main) {
  const auto [x, y, w, h] = ScreenBox(main);
  EXPECT_EQ(ScreenBox(g_shell.overlay), std::make_tuple(x + 1, y + 1, w - 2, h - 2));
  EXPECT_EQ(ScreenBox(g_shell.options), std::make_tuple(x + (w - 333) / 2, y + (h - 300) / 2, 333, 300));
}

class OptionsPanel : public AppTest {
 protected:
  void StartBare() {
    StartOptions none;
    none.makeDemoOnFirstRun = false;
    ASSERT_EQ(Start(none), 0);
  }
};

TEST_F(OptionsPanel, OpensOverTheWindowFollowsItAndClosesOnlyByOkOrEsc) {
  StartBare();
  SetWindowPos(g_mainWindow, nullptr, 100, 80, 800, 600, SWP_NOZORDER);
  EXPECT_EQ(GetWindow(g_shell.options, GW_OWNER), g_shell.overlay);
  EXPECT_EQ(GetWindow(g_shell.overlay, GW_OWNER), g_mainWindow);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(g_shell.overlay, nullptr, &alpha, &flags));
  EXPECT_EQ(std::make_tuple(alpha, flags & LWA_ALPHA), std::make_tuple(BYTE{99}, DWORD{LWA_ALPHA}));

  struct Way {
    int command;  // Ctrl+Q or the menu item
    bool by_ok;   // else Esc
  };
  for (const Way way : {Way{kCmdOptions, true}, Way{kCmdMenuOptions, false}}) {
    SCOPED_TRACE(way.command);
    ShowWindow(FindWindowHandle(), SW_SHOWNOACTIVATE);
    SetReadingMode(true);
    ASSERT_TRUE(RunCommand(way.command));
    Pump(20);
    EXPECT_TRUE(Shown());
    EXPECT_FALSE(IsWindowVisible(FindWindowHandle()));
    EXPECT_EQ(g_shell.readingStep, 0);
    ExpectPlacedOver(g_mainWindow);

    SetWindowPos(g_mainWindow, nullptr, 160, 120, 700, 520, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(20);
    ExpectPlacedOver(g_mainWindow);
    SendMessageW(g_shell.options, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Shown()) << "the panel ignores WM_CLOSE";

    if (way.by_ok) {
      Click(kOptionsOkId);
    } else {
      SetForegroundWindow(g_shell.options);
      PressKeys({VK_ESCAPE});
    }
    Pump(20);
    EXPECT_FALSE(IsWindowVisible(g_shell.options));
    EXPECT_FALSE(IsWindowVisible(g_shell.overlay));
    ShowWindow(g_mainWindow, SW_RESTORE);
    SetWindowPos(g_mainWindow, nullptr, 100, 80, 800, 600, SWP_NOZORDER);
    Pump(20);
  }
}

// The boxes and the instrument list start from the settings and change
// them at once.
TEST_F(OptionsPanel, ChoicesShowTheSettingsAndChangeThemAtOnce) {
  StartBare();
  g_settings.storeLastLibrary = 0;
  g_settings.storeLastPassword = g_settings.pinDialogs = 1;
  g_settings.instrumentIndex = 5;
  RunCommand(kCmdOptions);
  EXPECT_EQ(SendMessageW(Control(kOptionsInstrumentId), CB_GETCURSEL, 0, 0), 5);
  for (auto [id, setting] : {std::pair{kOptionsStoreLibraryId, &g_settings.storeLastLibrary},
                             std::pair{kOptionsStorePasswordId, &g_settings.storeLastPassword},
                             std::pair{kOptionsPinId, &g_settings.pinDialogs}}) {
    EXPECT_EQ(Ticked(id), *setting != 0) << id;
    const int32_t before = *setting;
    Click(id);
    EXPECT_EQ(*setting, before ? 0 : 1) << id;
  }
  SendMessageW(Control(kOptionsInstrumentId), CB_SETCURSEL, 2, 0);
  SendMessageW(g_shell.options, WM_COMMAND, MAKEWPARAM(kOptionsInstrumentId, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Control(kOptionsInstrumentId)));
  EXPECT_EQ(g_settings.instrumentIndex, 2);
}

// The registry changes go to a key of the test's own standing for
// HKEY_CURRENT_USER, and are read back with the registry's own calls.
class OptionsRegistry : public OptionsPanel {
 protected:
  static constexpr wchar_t kRoot[] = L"Software\\LorewellTests\\Options";
  void SetUp() override {
    OptionsPanel::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr),
              ERROR_SUCCESS);
    SetRegistryRootForTest(root_);
  }
  void TearDown() override {
    OptionsPanel::TearDown();
    SetRegistryRootForTest(nullptr);
    RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LorewellTests");
  }
  std::wstring Read(const std::wstring& key, const wchar_t* name = nullptr) const {
    wchar_t data[1024] = L"";
    DWORD bytes = sizeof data;
    if (RegGetValueW(root_, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS)
      return L"<none>";
    return data;
  }
  bool KeyExists(const std::wstring& key) const {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root_, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
  HKEY root_ = nullptr;
};

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST_F(OptionsRegistry, ValuesAreWrittenQuotedAndTakenAwayLeavingOthers) {
  StartBare();
  RunCommand(kCmdOptions);
  EXPECT_FALSE(Ticked(kOptionsAssociateId));
  Click(kOptionsAssociateId);
  const std::wstring quoted = L"\"" + ModulePath() + L"\"";
  EXPECT_NE(ModulePath().find(L":\\"), std::wstring::npos) << "a full path: " << ModulePath();
  EXPECT_EQ(Read(kClasses + L".db"), L"dbdb");
  EXPECT_EQ(Read(kClasses + L"dbdb\\Shell\\Open\\Command"), quoted + L" \"%1\"");
  EXPECT_EQ(Read(kClasses + L"dbdb\\DefaultIcon"), quoted + L",1");
  EXPECT_EQ(Read(kClasses + L".set"), L"setset");
  EXPECT_EQ(Read(kClasses + L"setset\\DefaultIcon"), quoted + L",2");
  EXPECT_TRUE(Ticked(kOptionsAssociateId));

  Click(kOptionsAssociateId);
  EXPECT_FALSE(Ticked(kOptionsAssociateId));
  for (const wchar_t* gone : {L".db", L"dbdb", L".set", L"setset"}) EXPECT_FALSE(KeyExists(kClasses + gone)) << gone;

  // Another program took ".db" over after we wrote it: unticking leaves it.
  ASSERT_EQ(SetAssociations(true), 0);
  HKEY db = nullptr;
  ASSERT_EQ(RegOpenKeyExW(root_, (kClasses + L".db").c_str(), 0, KEY_SET_VALUE, &db), ERROR_SUCCESS);
  RegSetValueExW(db, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"OtherApp"), 9 * sizeof(wchar_t));
  RegCloseKey(db);
  ASSERT_EQ(SetAssociations(false), 0);
  EXPECT_EQ(Read(kClasses + L".db"), L"OtherApp");
  EXPECT_FALSE(KeyExists(kClasses + L"dbdb"));
  EXPECT_FALSE(KeyExists(kClasses + L".set"));

  Click(kOptionsStartupId);
  EXPECT_EQ(Read(kRun, L"Lorewell"), quoted);
  RunCommand(kCmdOptions);  // shown again: the state is read from the registry
  EXPECT_TRUE(Ticked(kOptionsStartupId));
  Click(kOptionsStartupId);
  EXPECT_EQ(Read(kRun, L"Lorewell"), L"<none>");
  EXPECT_TRUE(Boxes().empty());
}

// A root the registry refuses to write under (a volatile key takes no
// stable subkeys): each change is refused with the system's reason in a
// box, and the box stays as the registry is.
TEST_F(OptionsRegistry, ARefusedChangeIsSaidAndTheBoxShowsTheRealState) {
  StartBare();
  HKEY volatile_root = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root_, L"Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &volatile_root, nullptr),
            ERROR_SUCCESS);
  SetRegistryRootForTest(volatile_root);
  RunCommand(kCmdOptions);
  struct Case {
    int id;
    const wchar_t* said;
  };
  for (const Case c : {Case{kOptionsAssociateId, L"The file associations could not be changed: "},
                       Case{kOptionsStartupId, L"Launching at startup could not be changed: "}}) {
    const size_t before = Boxes().size();
    AnswerNextBox(IDOK);
    Click(c.id);
    ASSERT_EQ(Boxes().size(), before + 1) << c.said;
    const BoxRecord& box = Boxes().back();
    EXPECT_EQ(box.text.rfind(c.said, 0), 0u) << box.text;
    EXPECT_GT(box.text.size(), wcslen(c.said)) << "the system's reason follows";
    EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(Ticked(c.id));
  }
  EXPECT_FALSE(KeyExists(L"Volatile\\" + kClasses + L".db"));
  SetRegistryRootForTest(root_);
  RegCloseKey(volatile_root);
}

}  // namespace
}  // namespace lw::wintest
