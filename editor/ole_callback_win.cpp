#include "editor/ole_callback_win.h"

#include <richedit.h>

namespace lw {

namespace {

// The drop effects a drag from another program offers: copy, move and link.
constexpr DWORD kOutsideDrag = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// A COM interface has no virtual destructor by design: objects end through
// Release, and this one never ends.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class PageCallback final : public IRichEditOleCallback {
 public:
  // The one object lives as long as the program: nothing to count.
  STDMETHODIMP QueryInterface(REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  // No storage: the control makes no OLE objects of its own (a picture is
  // inserted by the program, without one).
  STDMETHODIMP GetNewStorage(LPSTORAGE*) override { return STG_E_ACCESSDENIED; }
  STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*, LPOLEINPLACEFRAMEINFO) override {
    return S_OK;
  }
  STDMETHODIMP ShowContainerUI(BOOL) override { return S_OK; }
  STDMETHODIMP QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return S_OK; }
  STDMETHODIMP DeleteObject(LPOLEOBJECT) override { return S_OK; }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }

  // A drag from outside offers every effect: its data is not inserted by
  // the control (S_FALSE), because the drop routine inserts it. The record
  // is used once.
  STDMETHODIMP QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) override {
    if (effects_ == kOutsideDrag) {
      effects_ = 0;
      return S_FALSE;
    }
    return S_OK;
  }
  STDMETHODIMP GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) override { return E_NOTIMPL; }
  // Only watches: the control keeps its own choice of effect.
  STDMETHODIMP GetDragDropEffect(BOOL, DWORD, LPDWORD effect) override {
    if (effect) effects_ = *effect;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU* menu) override {
    if (menu) *menu = nullptr;  // the page menu is the program's (WM_RBUTTONUP)
    return S_OK;
  }

 private:
  DWORD effects_ = 0;
};
#pragma GCC diagnostic pop

PageCallback g_callback;

}  // namespace

IRichEditOleCallback* PageOleCallback() { return &g_callback; }

void AttachOleCallback(HWND pane) {
  if (pane) SendMessageW(pane, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(PageOleCallback()));
}

}  // namespace lw
