// Import, export, conversion and the table report run as commands over real
// library files. The file dialogs are replaced by a function that records
// what it was asked for and answers a chosen path.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <filesystem>
#include <map>

#include "app/commands_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "store/cipher_test_library.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/rekey.h"
#include "store/transfer_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::ReadRows;
using lw::testing::Row;
using lw::testing::WriteLibrary;
using namespace std::string_literals;

constexpr DWORD kEveryDialog =
    OFN_EXPLORER | OFN_ENABLESIZING | OFN_LONGNAMES | OFN_NONETWORKBUTTON | OFN_HIDEREADONLY;
const std::wstring kDbFilter = L"Lorewell files (*.db)\0*.db\0"s;

FileDialogRequest g_asked;
int g_dialogs = 0;
std::wstring g_answer;

FileDialogResult AnswerDialog(const FileDialogRequest& request) {
  g_asked = request;
  ++g_dialogs;
  return FileDialogResult{FileDialogResult::Answer::kChosen, g_answer, 0};
}

std::string Text(const std::optional<std::string>& page) {
  return page ? std::string(page->c_str()) : "-";
}

class Transfer : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetFileDialogForTest(AnswerDialog);
    g_dialogs = 0;
  }
  void TearDown() override {
    WaitForWorker();
    AppTest::TearDown();
    SetFileDialogForTest(nullptr);
  }
  // Starts with `library` open (none when empty).
  void StartWith(const std::wstring& library) {
    StartOptions options;
    options.libraryPath = library;
    options.makeDemoOnFirstRun = false;
    ASSERT_EQ(Start(options), 0);
    WaitForWorker();
  }
  // Runs command `id` as its menu item or key does, the dialog answering
  // `path`, and waits for the worker.
  void Run(int id, const std::wstring& path = L"") {
    g_answer = path;
    EXPECT_EQ(DispatchCommand(id), CommandOutcome::kRan) << "command " << id;
    WaitForWorker();
    Pump(20);
  }
  void Select(int id) {
    TreeView_SelectItem(g_shell.tree, View()->Show(Model().ItemOf(id)));
    ASSERT_EQ(Model().selected_id(), id);
  }
  std::wstring LastBox(UINT* icon = nullptr) const {
    if (Boxes().empty()) return L"(no box)";
    if (icon) *icon = Boxes().back().type & MB_ICONMASK;
    return Boxes().back().text;
  }
};

const std::vector<Row> kHome = {{100, 0, 0, "Acasă", {}}, {202, 100, 0, "Carte", {}},
                                 {304, 202, 0, "Fișă", "{\\rtf1 acasa}"s}};

TEST_F(Transfer, ImportFromTheMenuAddsTheSourceAfterASeparatorAndRefusesAnEncipheredFile) {
  const std::wstring lib = Path("lib.db"), src = Path("sursă.db"), secret = Path("secret.db");
  WriteLibrary(ToU16(lib), kHome);
  WriteLibrary(ToU16(src), {{500, 0, 1, "Sursă B", {}}, {600, 0, 0, "Sursă A", "{\\rtf1 a}"s},
                            {702, 600, 0, "Carte A", {}}, {804, 702, 0, "Fila A", "{\\rtf1 f}"s}});
  WriteLibrary(ToU16(secret), kHome);
  ASSERT_TRUE(RekeyLibraryFile(ToU16(secret), u"", u"parolă", nullptr));
  StartWith(lib);

  // What the rows become is
  // TransferTest.ImportOfTwoFoldersAddsThreeAtTheEndWithNewIdsAndOrders; here
  // the dialog, the silence of a done import and the tree view rebuilt.
  Run(kCmdMenuImport, src);
  EXPECT_FALSE(g_asked.save);
  EXPECT_EQ(g_asked.title, L"Import db file");
  EXPECT_EQ(g_asked.filter, kDbFilter);
  EXPECT_EQ(g_asked.flags, kEveryDialog | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  EXPECT_TRUE(Boxes().empty()) << "a done import says nothing";
  EXPECT_EQ(TreeLabels(g_shell.tree),
            (std::vector<std::wstring>{L"Favorites", L"lib.db", L"  Acasă", L"  --separator--",
                                       L"  Sursă A", L"  Sursă B"}));
  SaveScreenshot(g_mainWindow, "transfer-imported");
  const std::vector<Row> imported = ReadRows(ToU16(lib));
  EXPECT_EQ(imported.size(), 8u);

  AnswerNextBox(IDOK);
  Run(kCmdMenuImport, secret);
  UINT icon = 0;
  EXPECT_EQ(LastBox(&icon), LoadMessage(409, 19));
  EXPECT_EQ(icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(ReadRows(ToU16(lib)), imported);
}

TEST_F(Transfer, ExportOfABookWritesItUnderItsFolderWithIdsAndOrders) {
  const std::wstring lib = Path("lib.db"), target = Path("export.db");
  WriteLibrary(ToU16(lib), {{100, 0, 0, "Ana: notițe", "{\\rtf1 dosar}"s},
                            {202, 100, 0, "Carte <unu>`", "{\\rtf1 carte}"s},
                            {404, 202, 1, "f2", {}},
                            {304, 202, 0, "f1", "{\\rtf1 f1}"s}});
  StartWith(lib);

  Select(202);
  Run(kCmdMenuExport, target);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(g_asked.save);
  EXPECT_EQ(g_asked.title, L"Export to db file");
  EXPECT_EQ(g_asked.filter, kDbFilter);
  EXPECT_EQ(g_asked.default_extension, L"db");
  EXPECT_EQ(g_asked.file_name, L"Carte__unu_");
  EXPECT_EQ(g_asked.flags, kEveryDialog | OFN_OVERWRITEPROMPT);
  // The rows are
  // TransferTest.AnExportedBookHasItsFolderAndItsFilesWithTheirIdsAndOrders;
  // here the book's page is the one the window read for it.
  std::map<int, Row> rows = lw::testing::RowsById(ToU16(target));
  EXPECT_EQ(rows.size(), 4u);
  EXPECT_EQ(Text(rows[202].page), "{\\rtf1 carte}");
  EXPECT_EQ(rows[100].page, std::nullopt) << "the folder goes with its title only";

  // A file has no branch: its page leaves as an RTF or text file instead.
  Select(304);
  Run(kCmdMenuExport, Path("page.rtf"));
  EXPECT_EQ(g_dialogs, 2);
  EXPECT_EQ(g_asked.default_extension, L"rtf");
  EXPECT_GT(std::filesystem::file_size(Path("page.rtf")), 0u);
}

TEST_F(Transfer, ExportFromAnEncipheredLibraryIsEncipheredAndNeverWritesOverTheLibrary) {
  const std::wstring lib = Path("secret.db"), target = Path("export.db");
  WriteLibrary(ToU16(lib), kHome);
  ASSERT_TRUE(RekeyLibraryFile(ToU16(lib), u"", u"parolă", nullptr));
  StartWith(L"");
  Store().set_password(u"parolă");
  OpenLibraryPath(ToU16(lib));
  WaitForWorker();
  ASSERT_TRUE(Store().library_open() && Store().encrypted());

  Select(100);
  AnswerNextBox(IDOK);
  Run(kCmdExport, lib);
  EXPECT_EQ(LastBox(), LoadMessage(409, 32));

  AnswerNextBox(IDOK);
  Run(kCmdExport, target);
  UINT icon = 0;
  EXPECT_EQ(LastBox(&icon), LoadMessage(409, 65));
  EXPECT_EQ(icon, static_cast<UINT>(MB_ICONINFORMATION));
  // The whole library went, under its password; the library itself is whole.
  const std::string whole = "100|0|Acasă|\n202|0|Carte|\n304|0|Fișă|{\\rtf1 acasa}\n";
  EXPECT_EQ(lw::testing::DumpWith(ToU16(target), u"parolă"), whole);
  EXPECT_EQ(lw::testing::DumpWith(ToU16(lib), u"parolă"), whole);
  EXPECT_FALSE(lw::testing::ReadableWith(ToU16(target), u""));
}

TEST_F(Transfer, ConvertRenamesAnIdbFileWithConvertedIdsUnlessTheNewNameIsTaken) {
  const std::vector<Row> legacy = {{100, 0, 0, "Dosar", {}}, {201, 100, 0, "Carte", {}},
                                   {302, 201, 0, "Fișă", "{\\rtf1 f}"s}};
  const std::wstring old = Path("vechi.idb"), taken = Path("ocupat.idb");
  WriteLibrary(ToU16(old), legacy, 0);
  WriteLibrary(ToU16(taken), legacy, 0);
  WriteLibrary(ToU16(Path("ocupat.db")), kHome);
  StartWith(L"");

  AnswerNextBox(IDOK);
  Run(kCmdConvertLibrary, old);
  EXPECT_EQ(g_asked.title, L"Convert idb file");
  EXPECT_EQ(g_asked.filter, L"Lorewell files (*.idb)\0*.idb\0"s);
  EXPECT_EQ(g_asked.flags, kEveryDialog | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  EXPECT_EQ(LastBox(), LoadMessage(409, 83, Path("vechi.db")));
  EXPECT_FALSE(std::filesystem::exists(old));
  // The ids: TransferTest.ConversionTurnsLegacyDigitsIntoCurrentOnesAndRenamesTheFile.
  EXPECT_EQ(ReadRows(ToU16(Path("vechi.db"))).at(1).id, 202);

  AnswerNextBox(IDOK);
  Run(kCmdConvertLibrary, taken);
  EXPECT_EQ(LastBox(), LoadMessage(409, 82, Path("ocupat.db")));
  EXPECT_EQ(ReadRows(ToU16(taken)), legacy);

  // A path the program cannot hold is refused before anything is read.
  AnswerNextBox(IDOK);
  Run(kCmdConvertLibrary, Path(std::string(260, 'a') + ".idb"));
  EXPECT_EQ(LastBox(), LoadMessage(409, 81));
}

TEST_F(Transfer, TableReportGoesToTheClipboardAsRichTextOnlyWhenAskedFor) {
  StartWith(L"");
  const UINT rtf = RegisterClipboardFormatW(L"Rich Text Format");
  ASSERT_TRUE(OpenClipboard(g_mainWindow) && EmptyClipboard() && CloseClipboard());
  AnswerNextBox(IDNO);
  Run(kCmdTableReport);
  EXPECT_EQ(LastBox(), LoadMessage(409, 45));
  EXPECT_EQ(Boxes().back().type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_FALSE(IsClipboardFormatAvailable(rtf));

  AnswerNextBox(IDYES);
  Run(kCmdTableReport);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(rtf);
  const char* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  EXPECT_EQ(bytes ? std::string(bytes) : "(none)", TableReportRtf());
  if (bytes) GlobalUnlock(data);
  CloseClipboard();

  // Another window holds the clipboard open: the box gives the system's reason.
  HWND holder = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(OpenClipboard(holder));
  AnswerNextBox(IDYES);
  AnswerNextBox(IDOK);
  Run(kCmdTableReport);
  CloseClipboard();
  DestroyWindow(holder);
  UINT icon = 0;
  const std::wstring prefix = LoadMessage(409, 84);
  EXPECT_EQ(LastBox(&icon).rfind(prefix, 0), 0u) << LastBox();
  EXPECT_GT(LastBox().size(), prefix.size() + 3) << "the reason follows";
  EXPECT_EQ(icon, static_cast<UINT>(MB_ICONERROR));
}

}  // namespace
}  // namespace lw::wintest
