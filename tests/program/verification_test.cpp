// The real program started beside an md5.ini: it hashes the listed files by
// itself and marks each one; the export button is hidden.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "services/texts.h"
#include "tests/support/remote_program.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kVerdictTimeoutMs = 60000;

bool IsVerdict(const std::string& text) {
  return text == texts::kVerified || text == texts::kMismatch;
}

void ExpectExportHidden(const RemoteProgram& program) {
  HWND exportButton = program.ChildWithCaption(texts::kExportButton);
  ASSERT_NE(exportButton, nullptr);
  EXPECT_FALSE(IsWindowVisible(exportButton));
}

TEST(VerificationModeTest, MarksEachListedFile) {
  TempFolder folder;
  WriteTestFile(folder.Join("good.bin"), 100000, 1);
  WriteTestFile(folder.Join("bad.bin"), 2000, 2);
  WriteTestFile(folder.Join("lower.bin"), 3000, 3);
  CreateDirectoryA(folder.Join("sub").c_str(), nullptr);
  WriteTestFile(folder.Join("sub\\inner.bin"), 4000, 4);
  WriteTestFile(folder.Join(" lead.bin"), 5000, 5);
  WriteTestFile(folder.Join("spaced.bin"), 6000, 6);
  WriteTestFile(folder.Join("mixed.bin"), 7000, 7);
  std::string lower = ReferenceMd5OfFile(folder.Join("lower.bin"));
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  std::string mixed = ReferenceMd5OfFile(folder.Join("mixed.bin"));
  for (size_t i = 0; i < mixed.size(); i += 2)
    mixed[i] = static_cast<char>(tolower(static_cast<unsigned char>(mixed[i])));
  const std::string list =
      "good.bin=" + ReferenceMd5OfFile(folder.Join("good.bin")) + "\r\n" +
      "bad.bin=" + ReferenceMd5OfFile(folder.Join("good.bin")) + "\r\n" +
      "lower.bin=" + lower + "\r\n" +
      "missing.bin=" + ReferenceMd5("x") + "\r\n" +
      "no separator line\r\n" +
      "two=equals=signs\r\n" +
      "empty.digest=\r\n" +
      "sub\\inner.bin=" + ReferenceMd5OfFile(folder.Join("sub\\inner.bin")) + "\r\n" +
      " lead.bin=" + ReferenceMd5OfFile(folder.Join(" lead.bin")) + "\r\n" +
      "spaced.bin= " + ReferenceMd5OfFile(folder.Join("spaced.bin")) + "\r\n" +
      "mixed.bin \t= " + mixed + " \t\r\n" +
      "bad.bin=" + ReferenceMd5OfFile(folder.Join("bad.bin")) + "0\r\n";
  WriteTextFile(folder.Join("md5.ini"), list);
  std::map<std::string, FileFingerprint> prints;
  for (const char* name : {"good.bin", "bad.bin", "lower.bin", "sub\\inner.bin", " lead.bin",
                           "spaced.bin", "mixed.bin", "md5.ini"})
    prints[name] = FingerprintOf(folder.Join(name));
  RemoteProgram program(folder.Path());
  ASSERT_TRUE(program.Started());
  const auto before = ListFolder(folder.Path());  // inputs and the program
  ASSERT_TRUE(program.WaitFor([&] {
    const auto rows = program.Rows();
    if (rows.size() != 9) return false;
    for (size_t i = 0; i < rows.size(); ++i)
      if (i != 3 && !IsVerdict(rows[i][4])) return false;
    return rows[3][4] == texts::kUnreadable;
  }, kVerdictTimeoutMs));

  const auto rows = program.Rows();
  const std::vector<std::string> names = {"good.bin",      "bad.bin",   "lower.bin",
                                          "missing.bin",   "sub\\inner.bin", " lead.bin",
                                          "spaced.bin",    "mixed.bin", "bad.bin"};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    EXPECT_EQ(rows[i][1], names[i]);  // names as the list gives them
  }
  EXPECT_EQ(rows[0][4], texts::kVerified);
  EXPECT_EQ(rows[0][3], ReferenceMd5OfFile(folder.Join("good.bin")));
  EXPECT_EQ(rows[1][4], texts::kMismatch);
  EXPECT_EQ(rows[2][4], texts::kVerified);  // a digest is a number: case does not matter
  EXPECT_EQ(rows[3][2], texts::kDigestFailed);
  EXPECT_EQ(rows[3][3], "");  // no longer computing
  EXPECT_EQ(rows[4][4], texts::kVerified);
  EXPECT_EQ(rows[5][4], texts::kVerified);  // a leading space belongs to the name
  EXPECT_EQ(rows[6][4], texts::kVerified);  // spaces around the digest do not count
  EXPECT_EQ(rows[7][4], texts::kVerified);  // nor around the name's end, nor tabs
  EXPECT_EQ(rows[8][4], texts::kMismatch);  // 33 digits are no MD5 digest
  ExpectExportHidden(program);

  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
  auto after = ListFolder(folder.Path());
  EXPECT_EQ(after, before) << "the program wrote beside its inputs";
  for (const auto& [name, print] : prints) EXPECT_EQ(FingerprintOf(folder.Join(name)), print) << name;
}

std::string LabelText(const RemoteProgram& program) {
  char text[1024] = {};
  HWND label = FindWindowExA(program.Window(), nullptr, "Static", nullptr);
  if (label != nullptr) GetWindowTextA(label, text, sizeof text);
  return text;
}

// A list without entries, one that cannot be read, and a missing list
// given as the argument: each is named in the label with its reason, and
// the window hashes as usual instead of waiting in verification mode.
TEST(VerificationModeTest, AListThatCannotBeUsedIsReportedAndTheWindowHashes) {
  TempFolder lfOnly;
  WriteTestFile(lfOnly.Join("a.bin"), 10, 1);
  WriteTestFile(lfOnly.Join("b.bin"), 10, 2);
  WriteTextFile(lfOnly.Join("md5.ini"), "a.bin=" + ReferenceMd5OfFile(lfOnly.Join("a.bin")) +
                                            "\nb.bin=" + ReferenceMd5OfFile(lfOnly.Join("b.bin")) + "\n");
  TempFolder directory;
  CreateDirectoryA(directory.Join("md5.ini").c_str(), nullptr);
  TempFolder programFolder;
  const std::string missing = lfOnly.Join("gone.md5");
  struct Case {
    const TempFolder* folder;
    std::vector<std::string> arguments;
    std::string list;
    const char* reason;
  } const cases[] = {{&lfOnly, {}, lfOnly.Join("md5.ini"), texts::kListEmpty},
                     {&directory, {}, directory.Join("md5.ini"), texts::kListUnreadable},
                     {&programFolder, {missing}, missing, texts::kListUnreadable}};

  for (const Case& unusable : cases) {
    SCOPED_TRACE(unusable.list);
    RemoteProgram program(unusable.folder->Path(), unusable.arguments);
    ASSERT_TRUE(program.Started());
    EXPECT_TRUE(program.WaitFor(
        [&] { return LabelText(program).find(unusable.reason) != std::string::npos; }, 30000))
        << LabelText(program);
    EXPECT_NE(LabelText(program).find(unusable.list), std::string::npos);
    EXPECT_EQ(program.RowCount(), 0);
    HWND exportButton = program.ChildWithCaption(texts::kExportButton);
    ASSERT_NE(exportButton, nullptr);
    EXPECT_TRUE(IsWindowVisible(exportButton));
    EXPECT_TRUE(program.Answers());
    program.RequestClose();
    EXPECT_EQ(program.WaitForExit(30000), 0);
  }
}

// Wine's per-program DLL setting: the library cannot be loaded by
// md5check.exe while this object lives. Nothing on Windows.
class ProgramDllDisabled {
 public:
  explicit ProgramDllDisabled(const char* dll) {
    HKEY overrides = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kAppKey) + "\\DllOverrides").c_str(), 0, nullptr,
                        0, KEY_SET_VALUE, nullptr, &overrides, nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExA(overrides, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);  // "": disabled
    RegCloseKey(overrides);
  }
  ~ProgramDllDisabled() { RegDeleteTreeA(HKEY_CURRENT_USER, kAppKey); }
  ProgramDllDisabled(const ProgramDllDisabled&) = delete;
  ProgramDllDisabled& operator=(const ProgramDllDisabled&) = delete;

 private:
  static constexpr char kAppKey[] = "Software\\Wine\\AppDefaults\\md5check.exe";
};

// Where the system's cryptdll.dll cannot be loaded (Wine disables it for
// the program alone through its per-program DLL settings), the file fails,
// or its right digest passes; never another digest.
TEST(VerificationModeTest, WithoutCryptdllAFileFailsOrPassesWithItsDigest) {
  TempFolder folder;
  WriteTestFile(folder.Join("a.bin"), 1000, 1);
  const std::string digest = ReferenceMd5OfFile(folder.Join("a.bin"));
  WriteTextFile(folder.Join("md5.ini"), "a.bin=" + digest + "\r\n");
  const ProgramDllDisabled noCryptdll("cryptdll");
  RemoteProgram program(folder.Path());
  ASSERT_TRUE(program.Started());
  EXPECT_TRUE(program.WaitFor([&] {
    const auto rows = program.Rows();
    return rows.size() == 1 && (rows[0][2] == texts::kDigestFailed || IsVerdict(rows[0][4]));
  }, kVerdictTimeoutMs));
  const auto rows = program.Rows();
  ASSERT_EQ(rows.size(), 1u);
  if (rows[0][2] != texts::kDigestFailed) {
    EXPECT_EQ(rows[0][3], digest);
    EXPECT_EQ(rows[0][4], texts::kVerified);
  }
  EXPECT_NE(rows[0][4], texts::kMismatch);
  std::printf("[ outcome  ] without cryptdll: %s\n", rows[0][2] == texts::kDigestFailed ? "failed" : "passed");
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

// md5.ini beside the program, which arguments overrule.
void WriteListBesideProgram(const TempFolder& folder) {
  WriteTestFile(folder.Join("beside.bin"), 10, 9);
  WriteTextFile(folder.Join("md5.ini"), "beside.bin=" + ReferenceMd5OfFile(folder.Join("beside.bin")) + "\r\n");
}

// "Open with" on a digest list: verified against the list's own folder, as
// md5.ini beside the program would be; the one beside it is not read.
TEST(CommandLineTest, ADigestListAloneIsVerifiedAgainstItsOwnFolder) {
  TempFolder programFolder;
  WriteListBesideProgram(programFolder);
  TempFolder data;
  // Spaces and GBK names (乗 ends in the byte of a backslash) in the path.
  const std::string folder = data.Join("with space \x81\x5C\xD5\xFD\xD4\xDA");
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
  // 中文.bin: md5sum writes its name in UTF-8, without a byte order mark.
  const std::string good = "\xD6\xD0\xCE\xC4.bin";
  WriteTestFile(folder + "\\" + good, 3000, 1);
  WriteTestFile(folder + "\\bad.bin", 2000, 9);
  WriteTestFile(folder + "\\missing.bin", 500, 4);
  WriteTestFile(folder + "\\sub\\inner.bin", 1000, 3);
  // The .md5 is md5sum's own, written before bad.bin changed and missing.bin went.
  std::string md5sumList;
  ASSERT_EQ(RunHostMd5sum(folder, good + " bad.bin missing.bin sub/inner.bin", &md5sumList), 0)
      << md5sumList;
  WriteTestFile(folder + "\\bad.bin", 2000, 2);
  DeleteFileA((folder + "\\missing.bin").c_str());
  const std::string list = good + "=" + ReferenceMd5OfFile(folder + "\\" + good) + "\r\n" +
                           "bad.bin=" + ReferenceMd5("other") + "\r\n" +
                           "missing.bin=" + ReferenceMd5("gone") + "\r\n" +
                           "sub\\inner.bin=" + ReferenceMd5OfFile(folder + "\\sub\\inner.bin") + "\r\n";
  for (const char* listName : {"files.md5", "MD5.INI"}) {
    SCOPED_TRACE(listName);
    const std::string listPath = folder + "\\" + listName;
    WriteTextFile(listPath, listName == std::string("files.md5") ? md5sumList : list);
    RemoteProgram program(programFolder.Path(), {listPath});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitFor([&] {
      const auto rows = program.Rows();
      return rows.size() == 4 && IsVerdict(rows[0][4]) && IsVerdict(rows[1][4]) &&
             rows[2][2] == texts::kDigestFailed && IsVerdict(rows[3][4]);
    }, kVerdictTimeoutMs));
    const auto rows = program.Rows();
    // As the list names them, "\\" for md5sum's "/".
    const std::vector<std::string> names = {good, "bad.bin", "missing.bin", "sub\\inner.bin"};
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i][1], names[i]);
    EXPECT_EQ(rows[0][4], texts::kVerified);
    EXPECT_EQ(rows[1][4], texts::kMismatch);
    EXPECT_EQ(rows[2][4], texts::kUnreadable);
    EXPECT_EQ(rows[3][4], texts::kVerified);
    ExpectExportHidden(program);
    program.RequestClose();
    EXPECT_EQ(program.WaitForExit(30000), 0);
    DeleteFileA(listPath.c_str());
  }
}

// Files and folders given as arguments (Explorer's drop on the program's
// icon, "Send to") are hashed as a drop; relative ones are taken from where
// the program was started, not from its own folder.
TEST(CommandLineTest, PathsAreHashedAsADropAndOverruleTheListBesideTheProgram) {
  TempFolder programFolder;
  WriteListBesideProgram(programFolder);
  TempFolder data;
  const std::string spaced = data.Join("\xD5\xFD\xD4\xDA b.bin");  // 正在 b.bin
  WriteTestFile(spaced, 5000, 4);
  CreateDirectoryA(data.Join("tree").c_str(), nullptr);
  WriteTestFile(data.Join("tree\\2.bin"), 200, 5);
  WriteTestFile(data.Join("tree\\10.bin"), 100, 6);

  RemoteProgram program(programFolder.Path(), {"\xD5\xFD\xD4\xDA b.bin", data.Join("tree")},
                        data.Path());
  ASSERT_TRUE(program.Started());
  const std::vector<std::string> paths = {spaced, data.Join("tree\\2.bin"), data.Join("tree\\10.bin")};
  ASSERT_TRUE(program.WaitFor([&] {
    const auto rows = program.Rows();
    if (rows.size() != paths.size()) return false;
    for (const auto& row : rows)
      if (row[4] != "100%" || row[3].size() != 32) return false;
    return true;
  }, kVerdictTimeoutMs));
  const auto rows = program.Rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][1], paths[i]);  // full paths: not verifying
    EXPECT_EQ(rows[i][3], ReferenceMd5OfFile(paths[i]));
  }
  HWND exportButton = program.ChildWithCaption(texts::kExportButton);
  ASSERT_NE(exportButton, nullptr);
  EXPECT_TRUE(IsWindowVisible(exportButton));
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

}  // namespace
