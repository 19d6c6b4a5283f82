#include "store/library_win.h"

#include <commdlg.h>
#include <richedit.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <utility>

#include "app/app_win.h"
#include "app/info_report_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "store/file_dialog_win.h"
#include "store/file_safety.h"
#include "store/page_store.h"
#include "store/search_node_win.h"
#include "store/tree_ops.h"
#include "store/tree_view_win.h"

namespace lw {

namespace {

// Messages of the window's own texts.
constexpr int kMsgNotLibrary = 68;
constexpr int kMsgDamaged = 69;
constexpr int kMsgNotAFile = 70;
constexpr int kMsgPathTooLong = 71;
constexpr int kMsgRemovedCopies = 72;
constexpr int kTextNewTitle = 73;
constexpr int kTextOpenTitle = 74;
constexpr int kTextFilter = 75;

DWORD g_uiThread = 0;
HWND g_main = nullptr;
std::unique_ptr<TreeView> g_view;
std::function<void()> g_passwordPrompt;
bool g_workerRunning = false;
std::u16string g_shownPath;  // the library the window last showed

bool OnUiThread() { return GetCurrentThreadId() == g_uiThread; }

struct Job {
  std::function<void(WorkClaim)> work;
  std::function<void()> done;
  WorkClaim claim;
  bool marquee = false;
  bool reads_only = false;  // the view stayed attached
  HANDLE thread = nullptr;
};

DWORD WINAPI JobThread(void* arg) {
  auto* job = static_cast<Job*>(arg);
  job->work(std::move(job->claim));
  job->work = nullptr;
  PostMessageW(g_main, kMsgWorkDone, 0, reinterpret_cast<LPARAM>(job));
  return 0;
}

void FinishJob(Job* job) {
  WaitForSingleObject(job->thread, INFINITE);
  CloseHandle(job->thread);
  g_workerRunning = false;
  HideProgress();
  if (g_view && !job->reads_only) g_view->Attach();
  std::function<void()> done = std::move(job->done);
  delete job;
  if (done) done();
}

}  // namespace

NodeStore& Store() {
  static NodeStore store(ReportStoreError);
  return store;
}

TreeModel& Model() {
  static TreeModel model;
  return model;
}

TreeView* View() { return g_view.get(); }

HeldStoreErrors* g_held = nullptr;

HeldStoreErrors::HeldStoreErrors() : outer_(g_held) { g_held = this; }
HeldStoreErrors::~HeldStoreErrors() { g_held = outer_; }

void ReportStoreError(const std::u16string& text) {
  if (g_held && OnUiThread()) {
    g_held->text_ += (g_held->text_.empty() ? u"" : u"\n") + text;
    return;
  }
  if (!g_main) return;
  std::wstring wide = ToWide(text);
  if (OnUiThread()) {
    ShowMessage(g_main, wide, MB_ICONERROR);
  } else {
    // The worker waits while the user reads the box.
    SendMessageW(g_main, kMsgWorkReport, 0, reinterpret_cast<LPARAM>(&wide));
  }
}

// --- Workers -------------------------------------------------------------------

bool RunWorker(WorkClaim claim, std::function<void(WorkClaim)> work, std::function<void()> done,
               bool marquee, WorkerKind kind) {
  if (!claim || !g_main) return false;
  const bool reads_only = kind == WorkerKind::kReadsOnly;
  auto* job = new Job{std::move(work), std::move(done), std::move(claim), marquee, reads_only, nullptr};
  if (g_view && !reads_only) g_view->Detach();
  if (marquee) ShowProgressMarquee();
  g_workerRunning = true;
  job->thread = CreateThread(nullptr, 0, JobThread, job, 0, nullptr);
  if (!job->thread) {
    g_workerRunning = false;
    HideProgress();
    if (g_view && !reads_only) g_view->Attach();
    delete job;  // releases the claim
    return false;
  }
  return true;
}

ProgressSink WorkerProgress() {
  HWND main = g_main;
  return [main](int percent) { PostMessageW(main, kMsgWorkProgress, percent, 0); };
}

bool OnLibraryMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kMsgWorkDone:
      FinishJob(reinterpret_cast<Job*>(lp));
      return true;
    case kMsgWorkProgress:
      if (g_workerRunning) ShowProgressPercent(static_cast<int>(wp));
      return true;
    case kMsgWorkReport:
      ShowMessage(g_main, *reinterpret_cast<const std::wstring*>(lp), MB_ICONERROR);
      return true;
  }
  return false;
}

void WaitForWorker() {
  MSG msg;
  while (g_workerRunning && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// --- Pages ---------------------------------------------------------------------

namespace {

// The enabled state of the buttons that need a node.
void ShowNodeButtons(bool node) {
  const unsigned state = node ? kStateNormal : kStateDisabled;
  SetButtonState(kButtonExecute, state);
  SetButtonStates(kButtonFind, kButtonAlignRight, g_shell.readingStep ? kStateDisabled : state);
}

}  // namespace

void ShowShownPage(const ShownPage& page) {
  switch (page.what) {
    case ShownPage::What::kPage: LoadPrimaryPage(page.id); break;
    case ShownPage::What::kInformation: ShowInfoReport(); break;
    case ShownPage::What::kNothing: LoadPrimaryPage(0); break;
  }
  ShowNodeButtons(page.what == ShownPage::What::kPage);
}

void SetPasswordPrompt(std::function<void()> prompt) { g_passwordPrompt = std::move(prompt); }

// --- Life cycle ----------------------------------------------------------------

void ShowLibraryState() {
  const NodeStore& store = Store();
  if (store.current_path() != g_shownPath) {
    CloseSearchNode();
    CloseSecondPane();
    g_shownPath = store.current_path();
  }
  const std::u16string& path =
      store.library_open() ? store.current_path()
                           : (store.decryption_pending() ? store.pending_path() : std::u16string());
  SetPathLabel(ToWide(path));
  const std::wstring title = store.library_open() ? ToWide(FileNamePart(path)) : L"Lorewell";
  DefWindowProcW(g_main, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
  if (g_view) g_view->SetTint(store.library_open() && store.encrypted());
  if (!store.library_open()) ShowNodeButtons(false);
}

namespace {

int Language() { return UiLanguage(); }

void SayOutcome(OpenOutcome outcome, const std::u16string& path) {
  const std::wstring wide = ToWide(path);
  int message = 0;
  UINT icon = MB_ICONINFORMATION;
  switch (outcome) {
    case OpenOutcome::kAlreadyOpen: message = 35; break;
    case OpenOutcome::kMissing: message = 36; break;
    case OpenOutcome::kNotAFile: message = kMsgNotAFile; break;
    case OpenOutcome::kPathTooLong: message = kMsgPathTooLong; break;
    case OpenOutcome::kNotLibrary: message = kMsgNotLibrary, icon = MB_ICONERROR; break;
    case OpenOutcome::kDamaged: message = kMsgDamaged, icon = MB_ICONERROR; break;
    default: return;  // opened, busy, or SQLite's text was shown already
  }
  ShowLocalMessage(g_main, Language(), message, icon, wide);
}

void SayRemovedCopies(const std::vector<std::u16string>& copies) {
  if (copies.empty()) return;
  std::wstring list;
  for (const std::u16string& c : copies) list += L"\r\n" + ToWide(c);
  ShowMessage(g_main, LoadMessage(Language(), kMsgRemovedCopies) + list, MB_ICONINFORMATION);
}

// Message 44: Yes waits for the password, No closes the waiting file.
void AskForPassword() {
  ShowLibraryState();
  if (ShowLocalMessage(g_main, Language(), 44, MB_YESNO | MB_ICONQUESTION) == IDYES &&
      g_passwordPrompt) {
    g_passwordPrompt();
    return;
  }
  CloseLibrary(true);
}

void OpenFinished(const OpenResult& result, const std::u16string& path) {
  SayRemovedCopies(result.removed_copies);
  if (result.outcome == OpenOutcome::kNeedsPassword) {
    AskForPassword();
    return;
  }
  ShowLibraryState();
  SayOutcome(result.outcome, path);
  if (result.outcome != OpenOutcome::kOpened) {
    if (!Store().library_open()) ShowShownPage(ShownPage{ShownPage::What::kInformation, 0});
    return;
  }
  ShowShownPage(result.page);
  SetFocus(g_shell.tree);
}

// The request of the library dialogs: title `title`, the library filter.
FileDialogRequest LibraryRequest(bool save, int title) {
  FileDialogRequest request;
  request.save = save;
  request.title = LoadMessage(Language(), title);
  request.filter = LoadMessage(Language(), kTextFilter);
  request.filter.push_back(L'\0');
  request.filter += L"*.db";
  request.filter.push_back(L'\0');
  request.default_extension = L"db";
  if (save) request.file_name = LoadMessage(Language(), 18);
  request.flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_LONGNAMES | OFN_NONETWORKBUTTON |
                  OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                  (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  return request;
}

// The "lorew" folder beside the program, made on first use, in Explorer.
void ExploreLibraryFolder() {
  wchar_t exe[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder = exe;
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"lorew";
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    CreateDirectoryW(folder.c_str(), nullptr);
  ShellExecuteW(g_main, L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void OpenLibraryPath(const std::u16string& path) {
  NodeStore& store = Store();
  if (store.busy()) return;
  if (store.library_open() && path == store.current_path()) {
    SayOutcome(OpenOutcome::kAlreadyOpen, path);
    return;
  }
  // Saved here, on this thread: the worker closes the library it replaces.
  if (!SaveModifiedPages()) return;
  WorkClaim claim = store.ClaimWork();
  auto result = std::make_shared<OpenResult>();
  RunWorker(
      std::move(claim),
      [result, path](WorkClaim c) { *result = Store().OpenLibrary(std::move(c), path, Model()); },
      [result, path] { OpenFinished(*result, path); }, true);
}

void OpenLibraryCommand() {
  if (Store().busy()) return;
  if (GetKeyState(VK_CONTROL) < 0) {
    ExploreLibraryFolder();
    return;
  }
  const std::optional<std::u16string> path = AskForFile(LibraryRequest(false, kTextOpenTitle));
  if (!path) return;
  // Held by another program (or this one): the store's one test.
  if (Store().IsAlreadyOpen(*path)) {
    ShowLocalMessage(g_main, Language(), 35, MB_ICONINFORMATION, ToWide(*path));
    return;
  }
  OpenLibraryPath(*path);
}

void NewLibraryCommand() {
  NodeStore& store = Store();
  if (store.busy()) return;
  const std::optional<std::u16string> path = AskForFile(LibraryRequest(true, kTextNewTitle));
  if (!path) return;
  if (store.library_open() && *path == store.current_path()) {
    SayOutcome(OpenOutcome::kAlreadyOpen, *path);
    return;
  }
  if (!SaveModifiedPages()) return;
  const OpenResult result = store.NewLibrary(*path, Model());
  ShowLibraryState();
  SayOutcome(result.outcome, *path);
  ShowShownPage(result.outcome == OpenOutcome::kOpened ? result.page : ShownPage{});
  if (result.outcome == OpenOutcome::kOpened) SetFocus(g_shell.tree);
}

void CloseLibrary(bool information_page) {
  NodeStore& store = Store();
  if (store.busy() || !SaveModifiedPages()) return;
  store.Close(Model(), information_page);
  ShowLibraryState();
  ShowShownPage(information_page ? ShownPage{ShownPage::What::kInformation, 0} : ShownPage{});
}

// --- Start and end -------------------------------------------------------------

void StartLibraryWindow(HWND main_window, HWND tree, const LibraryMemory& memory,
                        const std::u16string& password) {
  g_uiThread = GetCurrentThreadId();
  g_main = main_window;
  Store().memory() = memory;
  Store().set_password(password);
  Model().SetTexts(TreeTexts{ToU16(LoadMessage(Language(), 76)), ToU16(LoadMessage(Language(), 18))});
  g_view = std::make_unique<TreeView>(tree, Model());
  g_view->Attach();
}

void EndLibraryWindow() {
  WaitForWorker();
  if (Store().db().is_open()) {
    SaveModifiedPages();
    Store().Close(Model(), false);
  }
  g_view.reset();
  g_passwordPrompt = nullptr;
  g_main = nullptr;
}

}  // namespace lw
