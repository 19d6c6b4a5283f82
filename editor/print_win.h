// Ctrl+P: the active pane's selection, or its whole page, on a printer the
// user chooses, laid out by the control's own page formatting.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <functional>
#include <memory>
#include <string>

#include "editor/print.h"

namespace lw {

// The routine of Ctrl+P.
void PrintRoutine(int id);

// The printer of one job. The program's wraps the device context that the
// print dialog returns and deletes it at the end of the job.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  virtual HDC dc() const = 0;
  virtual PrinterMetrics Metrics() const = 0;
  virtual bool BeginJob(const std::wstring& document) = 0;
  virtual bool BeginPage() = 0;
  virtual bool FinishPage() = 0;
  virtual void FinishJob() = 0;
  virtual void CancelJob() = 0;
};

// Test seams. Wine has no printers and its EM_FORMATRANGE neither measures
// nor renders, so a test gives its own device in place of the dialog's and
// records the FORMATRANGE records sent to the pane; null restores each.
using PrinterChooser = std::function<std::unique_ptr<PrintDevice>()>;
void SetPrinterChooserForTest(PrinterChooser chooser);
using FormatRangeSender = std::function<LRESULT(HWND pane, BOOL render, FORMATRANGE* range)>;
void SetFormatRangeSenderForTest(FormatRangeSender sender);

}  // namespace lw
