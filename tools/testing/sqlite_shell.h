// Reads a database with the sqlite3 command-line shell, as a check that is
// independent of the code under test. Native builds only.
#pragma once

#ifndef _WIN32

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace lw::testing {

inline bool HaveSqliteShell() { return std::filesystem::exists("/usr/bin/sqlite3"); }

// The shell's standard output for `sql` run against `db` (one value a line),
// or nothing when the shell could not be run or failed.
inline std::optional<std::string> RunSqliteShell(const std::filesystem::path& db,
                                                  const std::string& sql) {
  auto quote = [](const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  };
  const std::string command =
      "/usr/bin/sqlite3 -batch " + quote(db.string()) + " " + quote(sql) + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  if (pclose(pipe) != 0) return std::nullopt;
  return out;
}

}  // namespace lw::testing

#endif  // _WIN32
