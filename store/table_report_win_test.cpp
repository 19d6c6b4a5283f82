// The table report as a rich-edit control reads it: the RTF must come out as
// a five-column table with its header and three example rows.
#include <windows.h>

#include <richedit.h>

#include <string>

#include "store/transfer.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

struct Source {
  const std::string* text;
  size_t pos;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buf, LONG size, LONG* done) {
  auto* src = reinterpret_cast<Source*>(cookie);
  size_t n = std::min(static_cast<size_t>(size), src->text->size() - src->pos);
  memcpy(buf, src->text->data() + src->pos, n);
  src->pos += n;
  *done = static_cast<LONG>(n);
  return 0;
}

TEST(TableReport, OpensInARichEditControlAsAFiveColumnTable) {
  ASSERT_TRUE(LoadLibraryW(L"msftedit.dll"));
  HWND edit = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_POPUP | WS_VISIBLE | ES_MULTILINE, 200,
                              200, 520, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(edit);
  const std::string& rtf = TableReportRtf();
  Source src{&rtf, 0};
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
  es.pfnCallback = ReadRtf;
  LRESULT chars = SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  EXPECT_EQ(es.dwError, 0u);
  EXPECT_GT(chars, 0);
  EXPECT_EQ(src.pos, rtf.size()) << "the control read the whole document";

  std::wstring text = WindowText(edit);
  for (const wchar_t* cell : {L"id", L"4200", L"1846802", L"1745704", L"New folder", L"New book",
                              L"New file"}) {
    EXPECT_NE(text.find(cell), std::wstring::npos) << "missing cell text";
  }
  // A table is read as cells: no RTF control word leaks into the text.
  EXPECT_EQ(text.find(L"\\"), std::wstring::npos);
  EXPECT_EQ(text.find(L"cellx"), std::wstring::npos);

  // Rich edit reports a table row at the caret when the document starts
  // with one.
  SendMessageW(edit, EM_SETSEL, 0, 0);
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_TABLE;
  SendMessageW(edit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  EXPECT_TRUE(pf.wEffects & PFE_TABLE) << "the first paragraph is a table cell";
  SaveScreenshot(edit, "table-report");
  DestroyWindow(edit);
}

}  // namespace
}  // namespace lw::wintest
