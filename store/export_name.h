// The file name an export offers for a node.
#pragma once

#include <string>
#include <string_view>

namespace lw {

// The node's title as a file name: without the trailing backtick of a
// read-only page, and with each space and each of | ? : / \ < > * "
// replaced by '_'. No extension is added (the save dialog adds its own).
std::u16string ExportFileName(std::u16string_view title);

}  // namespace lw
