#include "cli/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "store/cipher_test_library.h"
#include "store/file_safety.h"
#include "store/library_fixture.h"

namespace lw::cli {
namespace {

using testing::ReadBytes;
using testing::ReadRows;
using testing::Row;

// Runs the tool's commands with a scripted environment and no terminal.
class CliTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::u16string> args) {
    out_.clear();
    err_.clear();
    Io io;
    io.out = [this](std::string_view s) { out_ += s; };
    io.err = [this](std::string_view s) { err_ += s; };
    io.env = [this](const char* name) -> std::optional<std::u16string> {
      auto it = env_.find(name);
      if (it == env_.end()) return std::nullopt;
      return it->second;
    };
    return RunCli(args, io);
  }
  // The command fails, and the error stream is one line naming `reason`.
  void ExpectFails(std::vector<std::u16string> args, const std::string& reason) {
    EXPECT_EQ(Run(std::move(args)), kExitFailed) << reason;
    EXPECT_NE(err_.find(reason), std::string::npos) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
  }
  // The standard output holds `part`.
  void ExpectOut(const std::string& part) {
    EXPECT_NE(out_.find(part), std::string::npos) << part << "\n" << out_;
  }
  std::u16string Library(const std::string& name, const std::vector<Row>& rows) {
    const std::u16string path = dir_.File16(name);
    testing::WriteLibrary(path, rows);
    return path;
  }
  const std::vector<Row> rows_ = {{100, 0, 0, "Folder ș", std::nullopt},
                                  {202, 100, 0, "Book", std::nullopt},
                                  {304, 202, 0, "File", std::string("{\\rtf1 Hi\\par}\0", 16)},
                                  {414, 202, 1, "Fav", std::nullopt}};
  testing::TempDir dir_;
  std::map<std::string, std::u16string> env_;
  std::string out_, err_;
};

TEST_F(CliTest, UsageAndArgumentErrors) {
  EXPECT_EQ(Run({}), kExitUsage);
  EXPECT_NE(err_.find("usage: lorewell-cli"), std::string::npos);
  EXPECT_EQ(Run({u"frobnicate", u"x"}), kExitUsage);
  EXPECT_EQ(Run({u"export", u"a.db"}), kExitUsage);
  EXPECT_EQ(Run({u"--help"}), kExitOk);
  ExpectOut("LOREWELL_PASSWORD");
  ExpectFails({u"info", dir_.File16("nu-există.db")}, "no such file");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("nu-există.db")));
}

TEST_F(CliTest, InfoAndTreeDescribeTheLibrary) {
  const std::u16string lib = Library("lib.db", rows_);
  ASSERT_EQ(Run({u"info", lib}), kExitOk) << err_;
  ExpectOut("4 rows; 1 folders, 1 books, 2 files, 1 favourites, 0 hidden");
  ExpectOut("enciphered:     no");
  ASSERT_EQ(Run({u"tree", lib}), kExitOk) << err_;
  EXPECT_EQ(out_, "lib.db\n  Folder ș  [folder 100]\n    Book  [book 202]\n"
                  "      File  [file 304]\n      Fav  [file 414, favourite]\n");
}

bool RefusingReplacer(const std::u16string&, const std::u16string&, std::u16string* error) {
  *error = u"Access is denied.";
  return false;
}

// The names in the test folder, sorted: a temporary left behind shows.
std::vector<std::string> NamesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.push_back(Utf16ToUtf8(e.path().filename().u16string()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// What the rows become is TransferTest.*; here the tool's arguments, its
// reasons, and the files beside the target (the bits an export keeps are
// FileSafety.TheNewFileKeepsTheBitsOwnerAndLinksOfTheOldOne).
TEST_F(CliTest, ImportAndExportBetweenFiles) {
  const std::u16string lib = Library("lib.db", rows_);
  const std::u16string other = Library("alta.db", {{700, 0, 0, "Other", std::nullopt}});
  ASSERT_EQ(Run({u"import", lib, other}), kExitOk) << err_;
  EXPECT_EQ(ReadRows(lib).size(), 6u);

  const std::u16string target = dir_.File16("carte.db");
  testing::WriteBytes(dir_.File("carte.db.part"), "the user's own notes");
  ASSERT_EQ(Run({u"export", lib, u"202", target}), kExitOk) << err_;
  EXPECT_EQ(ReadRows(target).size(), 4u);

  // Failures name the reason and change nothing.
  const std::vector<Row> before = ReadRows(lib);
  ExpectFails({u"import", lib, lib}, "You can not import the same db file !");
  testing::MakeLibrary(dir_.File16("cifrat.db"), u"parola1", 2);
  ExpectFails({u"import", lib, dir_.File16("cifrat.db")}, "You can't import an encrypted db file");
  ExpectFails({u"export", lib, u"304", dir_.File16("x.db")}, "page command");
  ExpectFails({u"export", lib, u"100", lib}, "You can not export in the same db file !");
  const std::string kept = ReadBytes(dir_.File("carte.db"));
  EXPECT_EQ(Run({u"export", lib, u"100", dir_.File16("nu există/x.db")}), kExitFailed);
  // The last step fails: the old export stays whole and the copy goes.
  SetFileReplacer(RefusingReplacer);
  ExpectFails({u"export", lib, u"100", target}, "carte.db': Access is denied.");
  SetFileReplacer(nullptr);
  EXPECT_EQ(ReadBytes(dir_.File("carte.db")), kept);
  EXPECT_EQ(ReadBytes(dir_.File("carte.db.part")), "the user's own notes");
  EXPECT_EQ(NamesIn(dir_.path()),
            (std::vector<std::string>{"alta.db", "carte.db", "carte.db.part", "cifrat.db", "lib.db"}));
  EXPECT_EQ(ReadRows(lib), before);
}

TEST_F(CliTest, PageIsWrittenAsRtfOrAsSignedUtf16Text) {
  const std::u16string lib = Library("lib.db", rows_);
  ASSERT_EQ(Run({u"page", lib, u"304", dir_.File16("p.rtf")}), kExitOk) << err_;
  EXPECT_EQ(ReadBytes(dir_.File("p.rtf")), "{\\rtf1 Hi\\par}");
  ASSERT_EQ(Run({u"page", lib, u"304", dir_.File16("p.txt")}), kExitOk) << err_;
  EXPECT_EQ(ReadBytes(dir_.File("p.txt")), std::string("\xFF\xFEH\0i\0\r\0\n\0", 10));
  ExpectFails({u"page", lib, u"999", dir_.File16("p.txt")}, "no node 999");
  // Never over the library it comes from (under another name:
  // FileSafety.RefusesHardLinksAndTheSourceUnderAnotherName).
  const std::string before = ReadBytes(dir_.File("lib.db"));
  ExpectFails({u"page", lib, u"304", lib}, "lib.db': it is the library itself");
  EXPECT_EQ(ReadBytes(dir_.File("lib.db")), before);
}

TEST_F(CliTest, RekeyTakesPasswordsFromTheEnvironmentOnly) {
  const std::u16string lib = Library("lib.db", rows_);
  env_["LOREWELL_NEW_PASSWORD"] = u"abc";
  ExpectFails({u"rekey", lib}, "0 or 4 to 19 characters");
  EXPECT_EQ(ClassifyLibraryFile(lib), LibraryFileKind::kPlain);

  env_["LOREWELL_NEW_PASSWORD"] = u"parolă1";
  ASSERT_EQ(Run({u"rekey", lib}), kExitOk) << err_;
  EXPECT_TRUE(testing::ReadableWith(lib, u"parolă1"));
  ExpectFails({u"info", lib}, "LOREWELL_PASSWORD");  // no password and no terminal
  env_["LOREWELL_PASSWORD"] = u"greșită";
  ExpectFails({u"tree", lib}, "the password does not open");
  env_["LOREWELL_PASSWORD"] = u"parolă1";
  ASSERT_EQ(Run({u"info", lib}), kExitOk) << err_;
  ExpectOut("enciphered:     yes");

  ASSERT_EQ(Run({u"export", lib, u"100", dir_.File16("e.db")}), kExitOk) << err_;
  EXPECT_TRUE(testing::ReadableWith(dir_.File16("e.db"), u"parolă1"));
  ASSERT_EQ(Run({u"vacuum", lib}), kExitOk) << err_;

  env_["LOREWELL_NEW_PASSWORD"] = u"";
  ASSERT_EQ(Run({u"rekey", lib}), kExitOk) << err_;
  EXPECT_EQ(ReadBytes(dir_.File("lib.db")).substr(0, 15), "SQLite format 3");
}

// Every row counts, those without an id or with an id too large for the
// tree included, and each row left out of the tree is named with the reason.
TEST_F(CliTest, CheckCountsDuplicatesAndNamesEveryHiddenRow) {
  const std::u16string clean = Library("lib.db", rows_);
  EXPECT_EQ(Run({u"check", clean}), kExitOk) << err_;
  ExpectOut("0 duplicates.\n");
  std::vector<Row> broken = rows_;
  broken.push_back({202, 100, 1, "twin", std::nullopt});
  broken.push_back({504, 9902, 0, "orphan", std::nullopt});
  broken.push_back({77, 0, 3, "odd", std::nullopt});
  const std::u16string lib = Library("stricat.db", broken);
  {
    Db db(nullptr);
    ASSERT_TRUE(db.Open(lib) && db.Exec("INSERT INTO tab VALUES (NULL, 0, 4, 'no id', NULL);"
                                        "INSERT INTO tab VALUES (NULL, 0, 5, 'no id', NULL);"
                                        "INSERT INTO tab VALUES (12345678901200, 0, 6, 'big', NULL);"
                                        "INSERT INTO tab VALUES (12345678901200, 0, 7, 'big', NULL)"));
  }
  EXPECT_EQ(Run({u"check", lib}), kExitProblems) << err_;
  ExpectOut("11 rows, 4 shown in the tree\n");
  ExpectOut("2 duplicates.\n  duplicate id 202\n  duplicate id 12345678901200\n");
  ExpectOut("7 hidden.\n");
  for (const char* line : {"(id 202, parent 100): another node has its number",
                           "(id 504, parent 9902): its parent is not in the tree",
                           "(id 77, parent 0): its id is not a node id",
                           "(id NULL, parent 0): its id is not an integer",
                           "(id 12345678901200, parent 0): its id is not a node id"})
    ExpectOut(line);
  ASSERT_EQ(Run({u"info", lib}), kExitOk) << err_;
  ExpectOut("11 rows; 1 folders, 1 books, 2 files, 1 favourites, 7 hidden");
}

// Titles and paths reach the terminal with control characters escaped.
TEST_F(CliTest, TitlesAndPathsCannotDriveTheTerminal) {
  std::vector<Row> rows = rows_;
  rows[1].title = "Book\x1B]0;pwned\x07\r\n";
  const std::u16string lib = Library("lib\x1B[31m.db", rows);
  ASSERT_EQ(Run({u"tree", lib}), kExitOk) << err_;
  ExpectOut("    Book\\x1B]0;pwned\\x07\\x0D\\x0A  [book 202]\n");
  EXPECT_EQ(out_.find('\x1B'), std::string::npos);
  ASSERT_EQ(Run({u"info", lib}), kExitOk) << err_;
  ExpectOut("lib\\x1B[31m.db");
  ExpectFails({u"info", dir_.File16("gone\x1B.db")}, "gone\\x1B.db");
}

// Each failure says what is wrong with the file, and leaves it as it was.
TEST_F(CliTest, MessagesSayWhatIsWrongWithTheFile) {
  const std::u16string text = dir_.File16("note.db");
  testing::WriteBytes(dir_.File("note.db"), std::string(2048, 'x'));
  ExpectFails({u"info", text}, "is damaged or is not a Lorewell library");

  std::vector<Row> many;
  for (int n = 1; n <= 200; ++n) many.push_back({n * 100, 0, n, "F", std::string(2000, 'r')});
  const std::u16string cut = Library("cut.db", many);
  std::filesystem::resize_file(dir_.File("cut.db"), std::filesystem::file_size(dir_.File("cut.db")) / 2);
  const std::string cut_bytes = ReadBytes(dir_.File("cut.db"));
  ExpectFails({u"tree", cut}, "is damaged: database disk image is malformed");
  EXPECT_EQ(ReadBytes(dir_.File("cut.db")), cut_bytes);

  // A damaged enciphered library read with its right password.
  const std::u16string secret = dir_.File16("secret.db");
  testing::MakeLibrary(secret, u"parola1", 60);
  std::string bytes = ReadBytes(dir_.File("secret.db"));
  std::fill(bytes.begin() + 4096, bytes.begin() + 8192, '\x5A');  // page 2: the table's root
  testing::WriteBytes(dir_.File("secret.db"), bytes);
  env_["LOREWELL_PASSWORD"] = u"parola1";
  ExpectFails({u"tree", secret}, "is damaged");
  EXPECT_EQ(err_.find("password"), std::string::npos) << err_;
  env_["LOREWELL_PASSWORD"] = u"greșită";
  ExpectFails({u"tree", secret}, "the password does not open");
  env_["LOREWELL_NEW_PASSWORD"] = u"";
  ExpectFails({u"rekey", secret}, "the password does not open");
  ExpectFails({u"rekey", text}, "is damaged or is not a Lorewell library; nothing was changed");
  EXPECT_EQ(ReadBytes(dir_.File("secret.db")), bytes);
  EXPECT_EQ(ReadBytes(dir_.File("note.db")), std::string(2048, 'x'));

  // Another program holds the library locked.
  const std::u16string lib = Library("lib.db", rows_);
  Db holder(nullptr);
  ASSERT_TRUE(holder.Open(lib) && holder.Exec("BEGIN EXCLUSIVE"));
  ExpectFails({u"info", lib}, "is in use by another program");
  holder.Exec("COMMIT");
  ASSERT_TRUE(holder.Exec("BEGIN IMMEDIATE; UPDATE tab SET t = 'x' WHERE id = 999"));
  ExpectFails({u"vacuum", lib}, "is in use by another program");
  holder.Exec("ROLLBACK");
  holder.Close();
  EXPECT_EQ(ReadRows(lib), rows_);
}

TEST_F(CliTest, ConvertRefusesCurrentLibrariesAndConvertsLegacyOnes) {
  const std::u16string current = Library("lib.db", rows_);
  ExpectFails({u"convert", current}, "is not an \".idb\" file");
  EXPECT_EQ(ReadRows(current), rows_);
  const std::u16string legacy = dir_.File16("vechi.idb");
  testing::WriteLibrary(legacy, {{100, 0, 0, "F", std::nullopt}, {201, 100, 0, "B", std::nullopt}}, 0);
  ASSERT_EQ(Run({u"convert", legacy}), kExitOk) << err_;
  EXPECT_EQ(ReadRows(dir_.File16("vechi.db"))[1].id, 202);
}

#ifndef _WIN32
// The built program run by the shell in the test folder, under a time
// limit: a command that waits on a named pipe is killed (status 124) rather
// than hanging the suite.
int RunProgram(const std::filesystem::path& dir, const std::string& script, std::string* output) {
  const std::string command = "cd '" + dir.string() + "' && LOREWELL_NEW_PASSWORD=abcd; " +
                              "export LOREWELL_NEW_PASSWORD; CLI='" + LOREWELL_CLI_PATH + "'; " +
                              script + " 2>&1 </dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  char buf[4096];
  size_t n;
  output->clear();
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output->append(buf, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The built program itself, as a script would run it.
TEST_F(CliTest, TheProgramExitsWithItsCodeAndOneLineOnFailure) {
  const std::u16string lib = Library("lib.db", rows_);
  testing::MakeLibrary(dir_.File16("cifrat.db"), u"parola1", 2);
  auto run = [&](const std::string& args, std::string* output) {
    return RunProgram(dir_.path(), "LOREWELL_PASSWORD=parola1 \"$CLI\" " + args, output);
  };
  std::string output;
  EXPECT_EQ(run("info cifrat.db", &output), 0);
  EXPECT_NE(output.find("enciphered:     yes"), std::string::npos) << output;
  EXPECT_EQ(run("import lib.db cifrat.db", &output), 1);
  EXPECT_EQ(output, "lorewell-cli: import: You can't import an encrypted db file, decrypt it "
                    "and try again.\n");
  EXPECT_EQ(run("", &output), 2);
  // A file name that is not UTF-8 is refused by name, never taken for
  // another file.
  EXPECT_EQ(run("export lib.db 100 \"$(printf 'x\\377.db')\"", &output), 2);
  EXPECT_EQ(output.substr(0, output.find('\n')),
            "lorewell-cli: argument 4 is not valid UTF-8: 'x\\xFF.db'") << output;
}
#endif

TEST_F(CliTest, CopiesOfAnInterruptedRekeyAreRemovedWithANotice) {
  const std::u16string lib = Library("lib.db", rows_);
  const std::string copy = "lib.db.rekey-0123456789ab.tmp";
  testing::WriteBytes(dir_.File("lib.db-rekey"), "the user's own file");
  const std::string notice =
      "lorewell-cli: removed what an interrupted re-key left beside the library: '" +
      dir_.File(copy).string() + "'\n";
  for (const char16_t* command : {u"info", u"rekey"}) {
    testing::WriteBytes(dir_.File(copy), "pages of the library");
    env_["LOREWELL_NEW_PASSWORD"] = u"parolă-nouă";
    ASSERT_EQ(Run({command, lib}), kExitOk) << err_;
    EXPECT_EQ(err_, notice);
    EXPECT_EQ(NamesIn(dir_.path()), (std::vector<std::string>{"lib.db", "lib.db-rekey"}));
    env_["LOREWELL_PASSWORD"] = u"parolă-nouă";
  }
  EXPECT_EQ(ReadBytes(dir_.File("lib.db-rekey")), "the user's own file");
  EXPECT_TRUE(testing::ReadableWith(lib, u"parolă-nouă"));
}

#ifndef _WIN32
TEST_F(CliTest, TheProgramRefusesAtOnceWhatIsNotAFile) {
  Library("lib.db", rows_);
  const std::string before = ReadBytes(dir_.File("lib.db"));
  ASSERT_EQ(::mkfifo(dir_.File("teava").c_str(), 0600), 0);
  std::filesystem::create_directory(dir_.File("dosar"));
  const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = dir_.File("priza").string();
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::copy(socket_path.begin(), socket_path.end(), address.sun_path);
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  const std::pair<const char*, const char*> kNotFiles[] = {{"teava", "is a named pipe"},
                                                           {"dosar", "is a directory"},
                                                           {"/dev/null", "is a device"},
                                                           {"priza", "is a socket"}};
  const char* const kCommands[] = {"info P", "tree P", "check P", "vacuum P", "convert P",
                                   "rekey P", "page P 304 out.txt", "export P 100 out.db",
                                   "import P lib.db", "import lib.db P",
                                   "export lib.db 100 P", "page lib.db 304 P"};
  std::string output;
  for (const auto& [path, kind] : kNotFiles) {
    for (std::string args : kCommands) {
      args.replace(args.find('P'), 1, path);
      SCOPED_TRACE(args);
      EXPECT_EQ(RunProgram(dir_.path(), "timeout 10 \"$CLI\" " + args, &output), 1);
      EXPECT_NE(output.find("'" + std::string(path) + "'"), std::string::npos) << output;
      EXPECT_NE(output.find(kind), std::string::npos) << output;
      EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
    }
  }
  ::close(s);
  EXPECT_EQ(ReadBytes(dir_.File("lib.db")), before);
  EXPECT_EQ(NamesIn(dir_.path()), (std::vector<std::string>{"dosar", "lib.db", "priza", "teava"}));
}

// The file-size limit makes the program's writes fail as a full disk does
// (a page file under it: FileSafety.AFullDiskOrAClosedFolderLeavesTheOldFileAsItWas).
TEST_F(CliTest, TheProgramLeavesEveryFileWholeWhenTheDiskIsFull) {
  std::vector<testing::Row> rows = rows_;
  rows[2].page = "{\\rtf1 " + std::string(200000, 'w') + "}" + std::string(1, '\0');
  Library("lib.db", rows);
  Library("carte.db", {{700, 0, 0, "Other", std::nullopt}});
  const std::string library = ReadBytes(dir_.File("lib.db"));
  const std::string book = ReadBytes(dir_.File("carte.db"));
  const std::string limit = "trap '' XFSZ; ulimit -f 16; exec \"$CLI\" ";
  std::string output;
  EXPECT_EQ(RunProgram(dir_.path(), limit + "export lib.db 202 carte.db", &output), 1);
  EXPECT_NE(output.find("lorewell-cli: export: cannot export to 'carte.db'"), std::string::npos)
      << output;
  EXPECT_EQ(RunProgram(dir_.path(), limit + "rekey lib.db", &output), 1);
  EXPECT_NE(output.find("lorewell-cli: rekey: re-keying failed, the file is unchanged"),
            std::string::npos) << output;
  EXPECT_EQ(ReadBytes(dir_.File("carte.db")), book);
  EXPECT_EQ(ReadBytes(dir_.File("lib.db")), library);
  EXPECT_EQ(NamesIn(dir_.path()), (std::vector<std::string>{"carte.db", "lib.db"}));
}
#endif

}  // namespace
}  // namespace lw::cli
