#include "editor/print_win.h"

#include <commdlg.h>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "base/win_error_win.h"
#include "editor/pane_win.h"
#include "store/title.h"

namespace lw {

namespace {

constexpr int kMsgNotPrinted = 99;

PrinterChooser g_chooser;
FormatRangeSender g_sender;

// The printer the print dialog returned.
class DialogPrinter : public PrintDevice {
 public:
  explicit DialogPrinter(HDC dc) : dc_(dc) {}
  ~DialogPrinter() override { DeleteDC(dc_); }
  HDC dc() const override { return dc_; }
  PrinterMetrics Metrics() const override {
    PrinterMetrics m;
    m.dpi_x = GetDeviceCaps(dc_, LOGPIXELSX);
    m.dpi_y = GetDeviceCaps(dc_, LOGPIXELSY);
    m.paper_width = GetDeviceCaps(dc_, PHYSICALWIDTH);
    m.paper_height = GetDeviceCaps(dc_, PHYSICALHEIGHT);
    m.offset_x = GetDeviceCaps(dc_, PHYSICALOFFSETX);
    m.offset_y = GetDeviceCaps(dc_, PHYSICALOFFSETY);
    return m;
  }
  bool BeginJob(const std::wstring& document) override {
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = document.c_str();
    return ::StartDocW(dc_, &info) > 0;
  }
  bool BeginPage() override { return ::StartPage(dc_) > 0; }
  bool FinishPage() override { return ::EndPage(dc_) > 0; }
  void FinishJob() override { ::EndDoc(dc_); }
  void CancelJob() override { ::AbortDoc(dc_); }

 private:
  HDC dc_;
};

// The print dialog; nothing when the user cancelled (or it could not show,
// which it says itself: no printer installed, say).
std::unique_ptr<PrintDevice> ChoosePrinter() {
  if (g_chooser) return g_chooser();
  PRINTDLGW pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = g_mainWindow;
  pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_DISABLEPRINTTOFILE;
  const bool chosen = PrintDlgW(&pd) && pd.hDC;
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames) GlobalFree(pd.hDevNames);
  if (!chosen) return nullptr;
  return std::make_unique<DialogPrinter>(pd.hDC);
}

LRESULT SendFormatRange(HWND pane, BOOL render, FORMATRANGE* range) {
  if (g_sender) return g_sender(pane, render, range);
  return SendMessageW(pane, EM_FORMATRANGE, render, reinterpret_cast<LPARAM>(range));
}

// The selection, or with none the whole page (the caret is put back at its
// start, as after a select-all the user would expect it there).
CHARRANGE RangeToPrint(HWND pane) {
  CHARRANGE range{};
  SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  if (range.cpMin != range.cpMax) return range;
  SendMessageW(pane, EM_SETSEL, 0, -1);
  SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  SendMessageW(pane, EM_SETSEL, 0, 0);
  return range;
}

void SayNotPrinted(const std::u16string& why) {
  ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgNotPrinted, MB_ICONERROR, ToWide(why));
}

// Lays the range out page by page on `device`; the control's cached
// formatting is released whatever happened. Empty when every page went to
// the printer, otherwise why not.
std::u16string PrintRange(HWND pane, PrintDevice& device, CHARRANGE range) {
  const TwipsRect rect = PrintTextRect(device.Metrics());
  if (rect.empty()) return u"the paper is smaller than its margins";
  FORMATRANGE fr{};
  fr.hdc = fr.hdcTarget = device.dc();
  fr.rc = RECT{rect.left, rect.top, rect.right, rect.bottom};
  bool stuck = false;
  const PageSteps steps{[&] { return device.BeginPage(); },
                        [&](long start, long end) {
                          fr.chrg = CHARRANGE{start, end};
                          const long next = static_cast<long>(SendFormatRange(pane, TRUE, &fr));
                          stuck = next <= start;
                          return next;
                        },
                        [&] { return device.FinishPage(); }};
  SetLastError(0);
  const bool printed = PrintPages(steps, range.cpMin, range.cpMax);
  const DWORD error = GetLastError();
  SendFormatRange(pane, FALSE, nullptr);
  if (printed) return {};
  if (stuck) return u"the text could not be laid out on the page";
  return Win32ErrorText(error ? error : ERROR_PRINTER_NOT_FOUND);
}

}  // namespace

void PrintRoutine(int) {
  HWND pane = g_shell.currentEditor;
  if (!pane) return;
  std::unique_ptr<PrintDevice> device = ChoosePrinter();
  if (!device) return;
  // The job is named after the page, without the read-only mark.
  if (!device->BeginJob(ToWide(FavouriteLabel(ToU16(ActivePageTitle()))))) {
    ShowMessage(g_mainWindow, L"!StartDocW", MB_ICONSTOP);
    return;
  }
  const std::u16string why = PrintRange(pane, *device, RangeToPrint(pane));
  if (why.empty()) {
    device->FinishJob();
    return;
  }
  device->CancelJob();
  SayNotPrinted(why);
}

void SetPrinterChooserForTest(PrinterChooser chooser) { g_chooser = std::move(chooser); }
void SetFormatRangeSenderForTest(FormatRangeSender sender) { g_sender = std::move(sender); }

}  // namespace lw
