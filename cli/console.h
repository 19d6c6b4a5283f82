// The console side of lorewell-cli: the password prompt without echo.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lw::cli {

// Shows `prompt` on the error stream and reads one line from the terminal
// with echo off. Nothing when there is no terminal to ask.
std::optional<std::u16string> AskSecret(std::string_view prompt);

}  // namespace lw::cli
