#include "store/password_box_win.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <utility>
#include <string>

#include "app/app_win.h"
#include "app/commands.h"
#include "app/layout.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "res/resource.h"
#include "store/cipher_key.h"
#include "store/cipher_password.h"
#include "store/library_win.h"

namespace lw {

namespace {

// At most this many characters can be typed; the first 19 are used.
constexpr int kTypedLimit = 20;
constexpr int kIndicatorSize = 20;

struct PasswordBox {
  HWND label = nullptr;
  HWND edit = nullptr;
  HWND indicator = nullptr;
  // The indicator's own tooltip; the shell's one belongs to the strip.
  HWND tooltip = nullptr;
  HICON valid = nullptr;
  HICON invalid = nullptr;
  // The password in use when the box was shown: confirming re-keys only
  // when the typed one differs from it.
  std::u16string previous;
  // What the label says, so that a change of language can say it again.
  PasswordLabel shown_label = PasswordLabel::kPassword;
};

PasswordBox g_box;

// The re-key the box started, shared by the worker and its done step.
struct RekeyJob {
  std::u16string path;
  std::u16string old_password;
  std::u16string new_password;
  bool encrypted_before = false;
  RekeyOutcome outcome;
};

bool Romanian() { return UiLanguage() == kLanguageRomanian; }

void SetLabel(PasswordLabel label) {
  g_box.shown_label = label;
  SetWindowTextW(g_box.label, ToWide(PasswordLabelText(label, Romanian())).c_str());
}

std::u16string TypedPassword() {
  const int length = GetWindowTextLengthW(g_box.edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(g_box.edit, text.data(), length + 1)));
  return ToU16(text);
}

void SetTypedPassword(const std::u16string& text) {
  SetWindowTextW(g_box.edit, ToWide(text).c_str());
  SendMessageW(g_box.edit, EM_SETSEL, text.size(), text.size());
}

void SetIndicatorTip(const std::wstring& text) {
  if (!g_box.tooltip) return;
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = g_mainWindow;
  ti.uId = reinterpret_cast<UINT_PTR>(g_box.indicator);
  ti.lpszText = const_cast<wchar_t*>(text.c_str());  // the tooltip keeps a copy
  TOOLINFOW probe = ti;
  probe.lpszText = nullptr;
  const bool known =
      SendMessageW(g_box.tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe)) != 0;
  SendMessageW(g_box.tooltip, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
               reinterpret_cast<LPARAM>(&ti));
}

// The indicator and its tooltip for what the edit holds now.
void ShowValidity() {
  const PasswordValidity validity = CheckTypedPassword(TypedPassword(), Romanian());
  SendMessageW(g_box.indicator, STM_SETICON,
               reinterpret_cast<WPARAM>(validity.valid ? g_box.valid : g_box.invalid), 0);
  SetIndicatorTip(ToWide(validity.tooltip));
}

void ShowBox() {
  if (PasswordBoxShown()) return;
  g_box.previous = Store().password();
  if (g_settings.treeWidth < kMinTreeWidthWithPassword) g_settings.treeWidth = kMinTreeWidthWithPassword;
  SetLabel(PasswordLabel::kPassword);
  SetTypedPassword(Store().password());
  ShowValidity();
  g_shell.passwordShown = true;
  LayoutChildren();
  LayoutPasswordBox();
  SetFocus(g_box.edit);
}

void HideBox() {
  const bool had_focus = GetFocus() == g_box.edit;
  g_shell.passwordShown = false;
  LayoutChildren();
  LayoutPasswordBox();
  // A hidden edit would go on taking the keys.
  if (had_focus) SetFocus(g_shell.tree);
}

// The open flow's prompt, after the user said yes to typing the password of
// an enciphered file: the box, empty, in front.
void PromptForPassword() {
  if (!g_box.edit) return;
  ShowBox();
  SetTypedPassword(u"");
  ShowValidity();
  SetForegroundWindow(g_mainWindow);
  for (HWND control : {g_box.label, g_box.edit, g_box.indicator})
    SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetFocus(g_box.edit);
}

// The worker has ended: the store takes what the file now is. On failure
// the outcome holds the old password and flag (the file kept its key), and
// the reason was shown from the worker through the store's error sink.
void FinishRekey(const RekeyJob& job) {
  NodeStore& store = Store();
  store.set_password(job.outcome.password);
  store.set_encrypted(job.outcome.encrypted);
  SetLabel(PasswordLabel::kPassword);
  HideBox();
  // Not even the old key reopened the file (its reason was shown): the
  // window lets the library go rather than show a tree it cannot read.
  if (!job.outcome.library_open) CloseLibrary(true);
  ShowLibraryState();
}

void StartRekey(const std::u16string& typed) {
  NodeStore& store = Store();
  SetLabel(typed.empty() ? PasswordLabel::kDecrypting : PasswordLabel::kEncrypting);
  WorkClaim claim = store.ClaimWork();
  // The copy is made from the file on disk, so edited pages go in first.
  if (!claim || !SaveModifiedPages()) {
    SetLabel(PasswordLabel::kPassword);
    return;
  }
  auto job = std::make_shared<RekeyJob>();
  job->path = store.current_path();
  job->old_password = store.password();
  job->new_password = typed;
  job->encrypted_before = store.encrypted();
  const bool started = RunWorker(
      std::move(claim),
      [job](WorkClaim) {
        job->outcome = RunRekeyWorker(Store().db(), job->path, job->old_password,
                                      job->new_password, job->encrypted_before, nullptr);
      },
      [job] { FinishRekey(*job); }, true);
  if (!started) SetLabel(PasswordLabel::kPassword);
}

void Confirm() {
  if (!PasswordBoxShown() || Store().busy()) return;
  const std::u16string typed = TypedPassword();
  ShowValidity();
  NodeStore& store = Store();
  switch (ConfirmPassword(typed, g_box.previous, store.decryption_pending(), store.library_open())) {
    case PasswordConfirm::kStay:
      return;
    case PasswordConfirm::kOpenPending: {
      const std::u16string path = store.pending_path();
      store.set_password(std::u16string(UsedPassword(typed)));
      HideBox();
      OpenLibraryPath(path);
      return;
    }
    case PasswordConfirm::kRekey:
      StartRekey(typed);
      return;
    case PasswordConfirm::kHide:
      HideBox();
      return;
  }
}

// The backtick is a character too: in a tree label or a page being edited
// it is typed, as the accelerator took the key before the control saw it.
bool TypeBacktickInEditor() {
  HWND focus = GetFocus();
  if (!focus) return false;
  HWND label_editor = g_shell.tree ? TreeView_GetEditControl(g_shell.tree) : nullptr;
  if (focus != label_editor && focus != g_shell.editor1 && focus != g_shell.editor2) return false;
  // The key goes through the keyboard layout as if it had not been taken:
  // the control receives the character (or dead key) the user typed.
  const UINT scan = MapVirtualKeyW(VK_OEM_3, MAPVK_VK_TO_VSC);
  MSG key{focus, WM_KEYDOWN, VK_OEM_3, static_cast<LPARAM>(1 | (scan << 16)), 0, {}};
  TranslateMessage(&key);
  return true;
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) {
  switch (msg) {
    case WM_KEYDOWN:
      if (wp == VK_RETURN) {
        Confirm();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == L'\r' || wp == L'\n') return 0;  // a single-line edit would beep
      break;
    case WM_KEYUP:
      if (wp != VK_RETURN && wp != VK_OEM_3) ShowValidity();
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditProc, id);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

HWND MakeControl(DWORD ex_style, const wchar_t* cls, DWORD style, int id) {
  return CreateWindowExW(ex_style, cls, L"", WS_CHILD | style, 0, 0, 0, 0, g_mainWindow,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
}

HICON LoadIndicatorIcon(int id) {
  return static_cast<HICON>(LoadImageW(g_instance, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                       kIndicatorSize, kIndicatorSize, 0));
}

}  // namespace

void CreatePasswordBox() {
  // A second start in the same process (tests) makes everything anew.
  for (HICON icon : {g_box.valid, g_box.invalid})
    if (icon) DestroyIcon(icon);
  g_box = PasswordBox{};
  g_box.label = MakeControl(0, L"STATIC", SS_LEFT | SS_NOPREFIX, kPasswordLabelId);
  g_box.edit = MakeControl(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                           kPasswordEditId);
  // SS_NOTIFY: the indicator takes the mouse, for its tooltip and its click.
  g_box.indicator = MakeControl(0, L"STATIC", SS_ICON | SS_NOTIFY, kPasswordIndicatorId);
  g_box.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                  0, 0, 0, 0, g_mainWindow, nullptr, g_instance, nullptr);
  g_box.valid = LoadIndicatorIcon(IDI_VALID);
  g_box.invalid = LoadIndicatorIcon(IDI_INVALID);
  if (!g_box.label || !g_box.edit || !g_box.indicator) {
    g_box.edit = nullptr;  // the commands then leave the box alone
    return;
  }
  for (HWND control : {g_box.label, g_box.edit})
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.uiFont), FALSE);
  SendMessageW(g_box.edit, EM_LIMITTEXT, kTypedLimit, 0);
  SetWindowSubclass(g_box.edit, EditProc, 1, 0);
  SetLabel(PasswordLabel::kPassword);
  ShowValidity();
  SetPasswordPrompt(PromptForPassword);
}

void PasswordKeyCommand(int id) {
  if (!g_box.edit) return;
  if (id == kCmdPassword && TypeBacktickInEditor()) return;
  if (Store().busy()) return;
  if (PasswordBoxShown()) {
    Confirm();
  } else {
    ShowBox();
  }
}

void PasswordButtonCommand(int) {
  if (g_box.edit) Confirm();
}

void RefreshPasswordBoxLanguage() {
  if (g_box.label) SetLabel(g_box.shown_label);
}

bool PasswordBoxShown() { return g_box.edit && g_shell.passwordShown; }

void LayoutPasswordBox() {
  if (!g_box.edit) return;
  if (!g_shell.passwordShown) {
    for (HWND control : {g_box.label, g_box.edit, g_box.indicator}) ShowWindow(control, SW_HIDE);
    return;
  }
  RECT rc;
  GetClientRect(g_mainWindow, &rc);
  const MainLayout m = ComputeMainLayout(g_settings.treeWidth, rc.right, rc.bottom, true,
                                         g_shell.splitView, g_shell.splitY);
  const std::pair<HWND, Box> places[] = {
      {g_box.label, m.passwordLabel}, {g_box.edit, m.passwordEdit}, {g_box.indicator, m.passwordButton}};
  for (const auto& [control, box] : places) {
    SetWindowPos(control, nullptr, box.x, box.y, box.w, box.h,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

}  // namespace lw
