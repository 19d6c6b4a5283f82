#include "store/transfer_win.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/utf.h"
#include "base/wide_win.h"
#include "base/win_error_win.h"
#include "editor/page_export_win.h"
#include "editor/pane_win.h"
#include "store/export_name.h"
#include "store/library_win.h"
#include "store/statements.h"
#include "store/transfer.h"

namespace lw {

namespace {

// Texts of the string table: one per file dialog ("title|label|pattern"),
// then the messages of this file.
constexpr int kTextImportDialog = 77;
constexpr int kTextExportDialog = 78;
constexpr int kTextConvertDialog = 79;
constexpr int kTextPageExportDialog = 80;
constexpr int kMsgConvertTargetExists = 82;
constexpr int kMsgConverted = 83;
constexpr int kMsgClipboardFailed = 84;
constexpr int kMsgBusy = 33;
constexpr int kMsgNoLibrary = 34;
constexpr int kMsgExportEnciphered = 65;
constexpr int kMsgReportQuestion = 45;

int Say(int message, UINT icon, const std::wstring& arg = std::wstring()) {
  return ShowLocalMessage(g_mainWindow, UiLanguage(), message, icon, arg);
}


// The claim for a worker; empty, and the user told, while another one runs.
WorkClaim ClaimOrSay() {
  WorkClaim claim = Store().ClaimWork();
  if (!claim) Say(kMsgBusy, MB_ICONINFORMATION);
  return claim;
}

// The message of a refused or failed transfer; nothing for one that was
// done or whose failure the store has reported already.
void SayTransferOutcome(TransferOutcome outcome, bool import, const std::u16string& path) {
  const int message = TransferMessage(outcome, import);
  if (message == 0) return;
  Say(message, outcome == TransferOutcome::kEnciphered ? MB_ICONERROR : MB_ICONINFORMATION,
      ToWide(path));
}

// The node whose page is shown: the selected node, or the node of a
// selected favourites entry; nullptr for a root or no selection.
ModelItem* ShownNode() {
  ModelItem* item = Model().selected();
  if (item && item->role() == ItemRole::kFavouriteEntry) return Model().ItemOf(item->id());
  return item && item->is_node() ? item : nullptr;
}

// The page of node `id` as the editor holds it: the pages on screen were
// saved just before, so that is the stored page. False when it could not be
// read (SQLite's text was shown).
bool ReadOwnPage(int id, std::optional<std::string>* page) {
  Statement st = Store().db().Prepare(FormatSql16(kSqlSelectPage, {id}));
  const bool row = st.Step();
  if (st.failed() || !st.ok()) return false;
  *page = row ? std::optional<std::string>(st.ColumnPage(0)) : std::nullopt;
  return true;
}

void SayExported(const ExportResult& result, const std::u16string& target) {
  if (result.outcome == TransferOutcome::kDone) {
    if (result.enciphered) Say(kMsgExportEnciphered, MB_ICONINFORMATION);
    return;
  }
  SayTransferOutcome(result.outcome, false, target);
}

void SayConverted(const ConvertResult& result, const std::u16string& path) {
  switch (result.outcome) {
    case TransferOutcome::kDone:
      Say(kMsgConverted, MB_ICONINFORMATION, ToWide(result.new_path));
      break;
    case TransferOutcome::kTargetExists:
      Say(kMsgConvertTargetExists, MB_ICONINFORMATION, ToWide(ConvertedPath(path)));
      break;
    default:
      SayTransferOutcome(result.outcome, false, path);
  }
}

// Puts `rtf` on the clipboard as "Rich Text Format"; false with the
// system's error code when the clipboard could not take it.
bool PutRtfOnClipboard(const std::string& rtf, DWORD* error) {
  const UINT format = RegisterClipboardFormatW(L"Rich Text Format");
  if (!format || !OpenClipboard(g_mainWindow)) {
    *error = GetLastError();
    return false;
  }
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, rtf.size() + 1);
  char* bytes = memory ? static_cast<char*>(GlobalLock(memory)) : nullptr;
  if (bytes) {
    std::memcpy(bytes, rtf.data(), rtf.size());
    bytes[rtf.size()] = '\0';
    GlobalUnlock(memory);
  }
  const bool ok = bytes && EmptyClipboard() && SetClipboardData(format, memory);
  if (!ok) {
    *error = GetLastError();
    if (memory) GlobalFree(memory);  // the clipboard did not take it
  }
  CloseClipboard();
  return ok;
}

}  // namespace


void ImportCommand(int) {
  if (!Store().library_open()) {
    Say(kMsgNoLibrary, MB_ICONINFORMATION);
    return;
  }
  if (Store().busy()) {
    Say(kMsgBusy, MB_ICONINFORMATION);
    return;
  }
  const std::optional<std::u16string> source = AskForFile(DialogOf(kTextImportDialog, false));
  if (!source || !SaveModifiedPages()) return;
  WorkClaim claim = ClaimOrSay();
  if (!claim) return;
  TransferOptions options;
  options.progress = WorkerProgress();
  auto result = std::make_shared<ImportResult>();
  const std::u16string path = *source;
  RunWorker(
      std::move(claim),
      [result, path, options](WorkClaim c) {
        *result = ImportLibrary(std::move(c), Store(), Model(), path, options);
      },
      [result, path] { SayTransferOutcome(result->outcome, true, path); }, false);
}

namespace {

// A node without children (or none selected) leaves as the page on screen,
// an RTF or text file. Only the path the user confirmed is written.
void ExportPage() {
  FileDialogRequest request = DialogOf(kTextPageExportDialog, true);
  request.default_extension = L"rtf";
  request.file_name = ToWide(ExportFileName(ToU16(ActivePageTitle())));
  const std::optional<std::u16string> target = AskForFile(request);
  std::string error;
  if (target && !WritePanePage(g_shell.currentEditor, *target, &error)) {
    ShowMessage(g_mainWindow, ToWide(Utf8ToUtf16(error)), MB_ICONERROR);
  }
}

}  // namespace

void ExportCommand(int) {
  if (!Store().library_open()) {
    Say(kMsgNoLibrary, MB_ICONINFORMATION);
    return;
  }
  if (Store().busy()) {
    Say(kMsgBusy, MB_ICONINFORMATION);
    return;
  }
  if (!SaveModifiedPages()) return;
  const ModelItem* node = ShownNode();
  if (!node || node->child_count() == 0) {
    ExportPage();
    return;
  }
  FileDialogRequest request = DialogOf(kTextExportDialog, true);
  request.default_extension = L"db";
  request.file_name = ToWide(ExportFileName(node->text()));
  const std::optional<std::u16string> target = AskForFile(request);
  std::optional<std::string> page;
  if (!target || !ReadOwnPage(node->id(), &page)) return;
  WorkClaim claim = ClaimOrSay();
  if (!claim) return;
  TransferOptions options;
  options.progress = WorkerProgress();
  auto result = std::make_shared<ExportResult>();
  const std::u16string path = *target;
  RunWorker(
      std::move(claim),
      [result, node, path, page, options](WorkClaim c) {
        *result = ExportBranch(std::move(c), Store(), node, path, page, options);
      },
      [result, path] { SayExported(*result, path); }, false);
}

void ConvertCommand(int) {
  if (Store().busy()) {
    Say(kMsgBusy, MB_ICONINFORMATION);
    return;
  }
  const std::optional<std::u16string> source = AskForFile(DialogOf(kTextConvertDialog, false));
  if (!source) return;
  WorkClaim claim = ClaimOrSay();
  if (!claim) return;
  auto result = std::make_shared<ConvertResult>();
  const std::u16string path = *source;
  RunWorker(
      std::move(claim),
      [result, path](WorkClaim c) {
        *result = ConvertLegacyLibrary(std::move(c), path, ReportStoreError);
      },
      [result, path] { SayConverted(*result, path); }, true);
}

void TableReportCommand(int) {
  if (Say(kMsgReportQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  DWORD error = 0;
  if (!PutRtfOnClipboard(TableReportRtf(), &error))
    Say(kMsgClipboardFailed, MB_ICONERROR, ToWide(Win32ErrorText(error)));
}

}  // namespace lw
