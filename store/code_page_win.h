// The Windows converter for the code pages of pages (store/code_page.h).
#pragma once

namespace lw {

void InstallWindowsCodePages();

}  // namespace lw
