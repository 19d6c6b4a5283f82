#include "cli/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "store/cipher_test_library.h"
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
  // The error stream is one line naming the command.
  void ExpectOneLineReason(const std::string& part) {
    EXPECT_NE(err_.find(part), std::string::npos) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
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
  EXPECT_NE(out_.find("LOREWELL_PASSWORD"), std::string::npos);
  EXPECT_EQ(Run({u"info", dir_.File16("nu-există.db")}), kExitFailed);
  ExpectOneLineReason("no such file");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("nu-există.db")));
}

TEST_F(CliTest, InfoAndTreeDescribeTheLibrary) {
  const std::u16string lib = Library("lib.db", rows_);
  ASSERT_EQ(Run({u"info", lib}), kExitOk) << err_;
  EXPECT_NE(out_.find("4 rows; 1 folders, 1 books, 2 files, 1 favourites, 0 hidden"),
            std::string::npos) << out_;
  EXPECT_NE(out_.find("enciphered:     no"), std::string::npos);
  ASSERT_EQ(Run({u"tree", lib}), kExitOk) << err_;
  EXPECT_EQ(out_, "lib.db\n  Folder ș  [folder 100]\n    Book  [book 202]\n"
                  "      File  [file 304]\n      Fav  [file 414, favourite]\n");
}

TEST_F(CliTest, ImportAndExportBetweenFiles) {
  const std::u16string lib = Library("lib.db", rows_);
  const std::u16string other = Library("alta.db", {{700, 0, 0, "Other", std::nullopt}});
  ASSERT_EQ(Run({u"import", lib, other}), kExitOk) << err_;
  EXPECT_EQ(ReadRows(lib).size(), 6u);

  const std::u16string target = dir_.File16("carte.db");
  ASSERT_EQ(Run({u"export", lib, u"202", target}), kExitOk) << err_;
  EXPECT_EQ(ReadRows(target).size(), 4u);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("carte.db.part")));

  // Failures name the reason and change nothing.
  const std::vector<Row> before = ReadRows(lib);
  EXPECT_EQ(Run({u"import", lib, lib}), kExitFailed);
  ExpectOneLineReason("You can not import the same db file !");
  testing::MakeLibrary(dir_.File16("cifrat.db"), u"parola1", 2);
  EXPECT_EQ(Run({u"import", lib, dir_.File16("cifrat.db")}), kExitFailed);
  ExpectOneLineReason("You can't import an encrypted db file");
  EXPECT_EQ(Run({u"export", lib, u"304", dir_.File16("x.db")}), kExitFailed);
  ExpectOneLineReason("page command");
  EXPECT_EQ(Run({u"export", lib, u"100", lib}), kExitFailed);
  ExpectOneLineReason("You can not export in the same db file !");
  const std::string kept = ReadBytes(dir_.File("carte.db"));
  EXPECT_EQ(Run({u"export", lib, u"100", dir_.File16("nu există/x.db")}), kExitFailed);
  EXPECT_TRUE(ReadBytes(dir_.File("carte.db")) == kept);
  EXPECT_EQ(ReadRows(lib), before);
}

TEST_F(CliTest, PageIsWrittenAsRtfOrAsSignedUtf16Text) {
  const std::u16string lib = Library("lib.db", rows_);
  ASSERT_EQ(Run({u"page", lib, u"304", dir_.File16("p.rtf")}), kExitOk) << err_;
  EXPECT_EQ(ReadBytes(dir_.File("p.rtf")), "{\\rtf1 Hi\\par}");
  ASSERT_EQ(Run({u"page", lib, u"304", dir_.File16("p.txt")}), kExitOk) << err_;
  EXPECT_EQ(ReadBytes(dir_.File("p.txt")), std::string("\xFF\xFEH\0i\0\r\0\n\0", 10));
  EXPECT_EQ(Run({u"page", lib, u"999", dir_.File16("p.txt")}), kExitFailed);
  ExpectOneLineReason("no node 999");
}

TEST_F(CliTest, RekeyTakesPasswordsFromTheEnvironmentOnly) {
  const std::u16string lib = Library("lib.db", rows_);
  env_["LOREWELL_NEW_PASSWORD"] = u"abc";
  EXPECT_EQ(Run({u"rekey", lib}), kExitFailed);
  ExpectOneLineReason("0 or 4 to 19 characters");
  EXPECT_FALSE(LooksEnciphered(lib));

  env_["LOREWELL_NEW_PASSWORD"] = u"parolă1";
  ASSERT_EQ(Run({u"rekey", lib}), kExitOk) << err_;
  EXPECT_TRUE(testing::ReadableWith(lib, u"parolă1"));
  EXPECT_EQ(Run({u"info", lib}), kExitFailed);  // no password and no terminal
  ExpectOneLineReason("LOREWELL_PASSWORD");
  env_["LOREWELL_PASSWORD"] = u"greșită";
  EXPECT_EQ(Run({u"tree", lib}), kExitFailed);
  ExpectOneLineReason("the password does not open");
  env_["LOREWELL_PASSWORD"] = u"parolă1";
  ASSERT_EQ(Run({u"info", lib}), kExitOk) << err_;
  EXPECT_NE(out_.find("enciphered:     yes"), std::string::npos);

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
  EXPECT_NE(out_.find("0 duplicates.\n"), std::string::npos) << out_;
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
  EXPECT_NE(out_.find("11 rows, 4 shown in the tree\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("2 duplicates.\n  duplicate id 202\n  duplicate id 12345678901200\n"),
            std::string::npos) << out_;
  EXPECT_NE(out_.find("7 hidden.\n"), std::string::npos) << out_;
  for (const char* line : {"(id 202, parent 100): another node has its number",
                           "(id 504, parent 9902): its parent is not in the tree",
                           "(id 77, parent 0): its id is not a node id",
                           "(id NULL, parent 0): its id is not an integer",
                           "(id 12345678901200, parent 0): its id is not a node id"}) {
    EXPECT_NE(out_.find(line), std::string::npos) << line << "\n" << out_;
  }
  ASSERT_EQ(Run({u"info", lib}), kExitOk) << err_;
  EXPECT_NE(out_.find("11 rows; 1 folders, 1 books, 2 files, 1 favourites, 7 hidden"),
            std::string::npos) << out_;
}

// Titles and paths reach the terminal with control characters escaped.
TEST_F(CliTest, TitlesAndPathsCannotDriveTheTerminal) {
  std::vector<Row> rows = rows_;
  rows[1].title = "Book\x1B]0;pwned\x07\r\n";
  const std::u16string lib = Library("lib\x1B[31m.db", rows);
  ASSERT_EQ(Run({u"tree", lib}), kExitOk) << err_;
  EXPECT_NE(out_.find("    Book\\x1B]0;pwned\\x07\\x0D\\x0A  [book 202]\n"), std::string::npos)
      << out_;
  EXPECT_EQ(out_.find('\x1B'), std::string::npos);
  ASSERT_EQ(Run({u"info", lib}), kExitOk) << err_;
  EXPECT_NE(out_.find("lib\\x1B[31m.db"), std::string::npos) << out_;
  EXPECT_EQ(Run({u"info", dir_.File16("gone\x1B.db")}), kExitFailed);
  ExpectOneLineReason("gone\\x1B.db");
}

// Each failure says what is wrong with the file, and leaves it as it was.
TEST_F(CliTest, MessagesSayWhatIsWrongWithTheFile) {
  const std::u16string text = dir_.File16("note.db");
  testing::WriteBytes(dir_.File("note.db"), std::string(2048, 'x'));
  EXPECT_EQ(Run({u"info", text}), kExitFailed);
  ExpectOneLineReason("is damaged or is not a Lorewell library");

  std::vector<Row> many;
  for (int n = 1; n <= 200; ++n) many.push_back({n * 100, 0, n, "F", std::string(2000, 'r')});
  const std::u16string cut = Library("cut.db", many);
  std::filesystem::resize_file(dir_.File("cut.db"), std::filesystem::file_size(dir_.File("cut.db")) / 2);
  EXPECT_EQ(Run({u"tree", cut}), kExitFailed);
  ExpectOneLineReason("is damaged: database disk image is malformed");

  // A damaged enciphered library read with its right password.
  const std::u16string secret = dir_.File16("secret.db");
  testing::MakeLibrary(secret, u"parola1", 60);
  std::string bytes = ReadBytes(dir_.File("secret.db"));
  std::fill(bytes.begin() + 4096, bytes.begin() + 8192, '\x5A');  // page 2: the table's root
  testing::WriteBytes(dir_.File("secret.db"), bytes);
  env_["LOREWELL_PASSWORD"] = u"parola1";
  EXPECT_EQ(Run({u"tree", secret}), kExitFailed);
  ExpectOneLineReason("is damaged");
  EXPECT_EQ(err_.find("password"), std::string::npos) << err_;
  env_["LOREWELL_PASSWORD"] = u"greșită";
  EXPECT_EQ(Run({u"tree", secret}), kExitFailed);
  ExpectOneLineReason("the password does not open");
  EXPECT_EQ(ReadBytes(dir_.File("secret.db")), bytes);

  // Another program holds the library locked.
  const std::u16string lib = Library("lib.db", rows_);
  Db holder(nullptr);
  ASSERT_TRUE(holder.Open(lib) && holder.Exec("BEGIN EXCLUSIVE"));
  EXPECT_EQ(Run({u"info", lib}), kExitFailed);
  ExpectOneLineReason("is in use by another program");
  holder.Exec("COMMIT");
  ASSERT_TRUE(holder.Exec("BEGIN IMMEDIATE; UPDATE tab SET t = 'x' WHERE id = 999"));
  EXPECT_EQ(Run({u"vacuum", lib}), kExitFailed);
  ExpectOneLineReason("is in use by another program");
}

TEST_F(CliTest, ConvertRefusesCurrentLibrariesAndConvertsLegacyOnes) {
  const std::u16string current = Library("lib.db", rows_);
  EXPECT_EQ(Run({u"convert", current}), kExitFailed);
  ExpectOneLineReason("is not an \".idb\" file");
  EXPECT_EQ(ReadRows(current), rows_);
  const std::u16string legacy = dir_.File16("vechi.idb");
  testing::WriteLibrary(legacy, {{100, 0, 0, "F", std::nullopt}, {201, 100, 0, "B", std::nullopt}}, 0);
  ASSERT_EQ(Run({u"convert", legacy}), kExitOk) << err_;
  EXPECT_EQ(ReadRows(dir_.File16("vechi.db"))[1].id, 202);
}

#ifndef _WIN32
// The built program itself, as a script would run it.
TEST_F(CliTest, TheProgramExitsWithItsCodeAndOneLineOnFailure) {
  const std::u16string lib = Library("lib.db", rows_);
  testing::MakeLibrary(dir_.File16("cifrat.db"), u"parola1", 2);
  auto run = [&](const std::string& args, std::string* output) {
    const std::string command = "cd '" + dir_.path().string() + "' && LOREWELL_PASSWORD=parola1 '" +
                                LOREWELL_CLI_PATH + "' " + args + " 2>&1 </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    char buf[4096];
    size_t n;
    output->clear();
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output->append(buf, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string output;
  EXPECT_EQ(run("tree lib.db", &output), 0);
  EXPECT_NE(output.find("    Book  [book 202]\n"), std::string::npos) << output;
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

}  // namespace
}  // namespace lw::cli
