// The information report: what the main pane shows when no node is
// selected (the version, where the program lives, the library's size, the
// user's system folders), in the interface language, read-only.
#pragma once

#include <string>

namespace lw {

// The report's title while it is on screen (exports and printing name it so).
inline constexpr wchar_t kInfoReportTitle[] = L"Info-Lorewell";

// The report's text, built now in the current language.
std::wstring InfoReportText();
// Builds the report and shows it in the primary pane.
void ShowInfoReport();
// True while the primary pane shows the report.
bool InfoReportShown();

}  // namespace lw
