// Files dropped on the window, made by each test in its own folder: text in
// every encoding, RTF, pictures, shortcuts, folders, a library, and the
// files no rule takes.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/utf.h"
#include "base/wide_win.h"
#include "editor/drop_win.h"
#include "editor/pane_win.h"
#include "editor/picture_win_test.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"

namespace lw::wintest {
namespace {

struct Opened {
  HWND owner;
  std::wstring verb, path;
};
std::vector<Opened> g_opened;

void MakeShortcut(const std::wstring& link_path, const std::wstring& target) {
  Microsoft::WRL::ComPtr<IShellLinkW> link;
  Microsoft::WRL::ComPtr<IPersistFile> file;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
  ASSERT_HRESULT_SUCCEEDED(link->SetPath(target.c_str()));
  ASSERT_HRESULT_SUCCEEDED(link.As(&file));
  ASSERT_HRESULT_SUCCEEDED(file->Save(link_path.c_str(), TRUE));
}

std::string Utf16(const std::wstring& text, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    out += big_endian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

class Drop : public PicturePage {
 protected:
  void SetUp() override {
    PicturePage::SetUp();
    g_opened.clear();
    SetShellOpenerForTest([](HWND owner, const std::wstring& verb, const std::wstring& path) {
      g_opened.push_back({owner, verb, path});
    });
    Clear();
  }
  void TearDown() override {
    SetShellOpenerForTest(nullptr);
    SetSoundDropHandler(nullptr);
    PicturePage::TearDown();
  }
  void Clear() {
    SetWindowTextW(g_shell.editor1, L"");
    SendMessageW(g_shell.editor1, EM_SETMODIFY, FALSE, 0);
  }
  // Dropped on the primary pane, as the shell delivers it to the window.
  void DropFiles(const std::vector<std::wstring>& paths) {
    RECT r{};
    GetWindowRect(g_shell.editor1, &r);
    MapWindowPoints(nullptr, g_mainWindow, reinterpret_cast<POINT*>(&r), 2);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    PostMessageW(g_mainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(centre, paths)), 0);
    Pump(50);
  }
  std::wstring Page() { return WindowText(g_shell.editor1); }
};

TEST_F(Drop, TextArrivesInItsEncodingWithoutItsSignature) {
  const std::wstring text = L"Țară și încă ăî €\r\nline 2";
  struct Case { const char* name; std::string bytes; };
  const Case cases[] = {
      {"utf8 ăîșț.txt", "\xEF\xBB\xBF" + Utf16ToUtf8(ToU16(text))},
      {"utf16le.TXT", Utf16(text, false)},
      {"utf16be.log", Utf16(text, true)},
  };
  for (const Case& c : cases) {
    Clear();
    WriteFile(Path(c.name), c.bytes);
    DropFiles({Path(c.name)});
    EXPECT_EQ(Page().substr(0, 25), L"Țară și încă ăî €\r\nline 2") << c.name;
    EXPECT_EQ(Page().find(L'\xFEFF'), std::wstring::npos) << c.name;
  }
  Clear();
  WriteFile(Path("plain.c"), "int x;\r\n");
  DropFiles({Path("plain.c")});
  EXPECT_EQ(Page().substr(0, 6), L"int x;");
  Clear();
  WriteFile(Path("empty.txt"), "");
  DropFiles({Path("empty.txt")});
  EXPECT_EQ(Page(), L"") << "an empty file inserts nothing";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Drop, RtfGoesInFormattedAndOnlyItsOwnLastParagraphMarkIsRemoved) {
  WriteFile(Path("doc.rtf"), "{\\rtf1\\ansi{\\fonttbl{\\f0 Verdana;}}\\f0 one \\b two\\b0\\par\n}");
  SetWindowTextW(g_shell.editor1, L"abcXYZ");
  SendMessageW(g_shell.editor1, EM_SETSEL, 3, 3);
  DropFiles({Path("doc.rtf")});
  EXPECT_EQ(Page(), L"abcone twoXYZ") << "the page's own text stays whole";
  SendMessageW(g_shell.editor1, EM_SETSEL, 7, 8);
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(g_shell.editor1, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_TRUE(cf.dwEffects & CFE_BOLD);
  // At the very end of a page ending in a paragraph mark: that mark stays.
  SetWindowTextW(g_shell.editor1, L"end\r");
  SendMessageW(g_shell.editor1, EM_SETSEL, -1, -1);
  DropFiles({Path("doc.rtf")});
  EXPECT_EQ(Page(), L"end\r\none two");
  // A document without a closing paragraph mark takes nothing with it.
  WriteFile(Path("bare.rtf"), "{\\rtf1\\ansi bare}");
  SetWindowTextW(g_shell.editor1, L"ab\r");
  SendMessageW(g_shell.editor1, EM_SETSEL, 2, 2);
  DropFiles({Path("bare.rtf")});
  EXPECT_EQ(Page(), L"abbare\r\n");
}

TEST_F(Drop, PicturesGoInAndOtherNamesBecomeText) {
  const std::wstring picture = Path("imagine ăîșț.bmp");
  WriteFile(picture, Bmp(5, 4, false));
  const std::wstring odd = Path("photo.Jpg");
  WriteFile(odd, Bmp(5, 4, false));
  DropFiles({picture, odd});
  ASSERT_EQ(SentImages().size(), 1u);
  ExpectPicture(SentImages()[0], 5, 4);
  EXPECT_EQ(Page().substr(0, odd.size()), odd) << "a mixed-case extension is no picture: its path is text";
  Clear();
  const std::wstring sound = Path("note.wav");
  WriteFile(sound, "RIFF");
  SetSoundDropHandler(nullptr);  // the clips' routine is placed at start-up
  DropFiles({sound});
  EXPECT_EQ(Page().substr(0, sound.size()), sound) << "with no sound routine a .wav is any file";
  std::vector<std::wstring> sounds;
  SetSoundDropHandler([&sounds](const std::wstring& p) { sounds.push_back(p); return true; });
  Clear();
  DropFiles({sound});
  EXPECT_EQ(sounds, std::vector<std::wstring>{sound});
  EXPECT_EQ(Page(), L"");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Drop, FoldersAndShortcutsToThemOpenInTheShell) {
  const std::wstring folder = Path("dosar ăî");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring dotted = Path("folder.txt");
  ASSERT_TRUE(CreateDirectoryW(dotted.c_str(), nullptr));
  MakeShortcut(Path("to folder.lnk"), folder);
  MakeShortcut(Path("to nothing.lnk"), Path("gone.txt"));
  AnswerNextBox(IDOK);
  DropFiles({folder, dotted, Path("to folder.lnk"), Path("to nothing.lnk")});
  ASSERT_EQ(g_opened.size(), 3u);
  for (const Opened& o : g_opened) {
    EXPECT_EQ(o.owner, g_mainWindow);
    EXPECT_EQ(o.verb, L"open");
  }
  EXPECT_EQ(g_opened[0].path, folder);
  EXPECT_EQ(g_opened[1].path, dotted) << "a folder named like a text file is still a folder";
  EXPECT_EQ(lstrcmpiW(g_opened[2].path.c_str(), folder.c_str()), 0) << g_opened[2].path;
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, LoadMessage(409, 36, Path("gone.txt"))) << "named with every letter of its path";
  EXPECT_EQ(Page(), L"");
}

TEST_F(Drop, ALibraryOpensAndTheRestOfItsDropIsIgnored) {
  lw::testing::WriteLibrary(ToU16(Path("other.db")),
                            {{100, 0, 0, "G", std::nullopt}, {302, 100, 0, "C", std::nullopt},
                             {704, 302, 0, "there", "{\\rtf1 there\\par}"}});
  WriteFile(Path("after.txt"), "AFTER");
  DropFiles({Path("other.db"), Path("after.txt")});
  WaitForWorker();
  EXPECT_EQ(Store().current_path(), ToU16(Path("other.db")));
  Open(704);
  EXPECT_EQ(Page().find(L"AFTER"), std::wstring::npos);
  Pump(50);
  DropFiles({Path("after.txt")});  // the next drop is taken again
  EXPECT_NE(Page().find(L"AFTER"), std::wstring::npos) << Page();
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Drop, WithoutALibraryOrANodeTheUserIsTold) {
  WriteFile(Path("a.txt"), "text");
  TreeView_SelectItem(g_shell.tree, View()->Show(Model().library_root()));
  PumpUntil([] { return Model().selected_id() == 0; });
  AnswerNextBox(IDOK);
  EXPECT_FALSE(InsertTextFile(g_shell.editor1, Path("a.txt"), false));
  CloseLibrary(false);
  AnswerNextBox(IDOK);
  EXPECT_FALSE(InsertTextFile(g_shell.editor1, Path("a.txt"), false));
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, LoadMessage(409, 42));
  EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(Boxes()[1].text, LoadMessage(409, 34));
}

TEST_F(Drop, APaneNotifyingADropBecomesActiveAndTakesTheFiles) {
  WriteFile(Path("a.txt"), "pane text");
  g_shell.currentEditor = nullptr;
  ENDROPFILES nm{};
  nm.nmhdr.hwndFrom = g_shell.editor1;
  nm.nmhdr.idFrom = GetDlgCtrlID(g_shell.editor1);
  nm.nmhdr.code = EN_DROPFILES;
  nm.hDrop = MakeDrop(POINT{}, {Path("a.txt")});
  {
    WorkClaim worker = Store().ClaimWork();
    SendMessageW(g_mainWindow, WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
  }
  EXPECT_EQ(Page(), L"") << "not while a worker runs";
  GlobalFree(nm.hDrop);
  nm.hDrop = MakeDrop(POINT{}, {Path("a.txt")});
  SendMessageW(g_mainWindow, WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(g_shell.currentEditor, g_shell.editor1);
  EXPECT_EQ(Page().substr(0, 9), L"pane text");
}

}  // namespace
}  // namespace lw::wintest
