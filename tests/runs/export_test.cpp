// The export button in normal mode writes the list through the real save
// dialog: one line per row, names relative to the export file's folder
// when the file lies inside it, else full paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "services/list_control.h"
#include "services/texts.h"
#include "services/wide_paths.h"
#include "shell/main_window.h"
#include "tests/support/dialog_user.h"
#include "shell/export.h"
#include "tests/support/program_window.h"
#include "tests/support/remote_program.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;

// The real program shows `count` rows, each verified.
bool AllVerified(const RemoteProgram& program, std::size_t count) {
  const auto rows = program.Rows();
  if (rows.size() != count) return false;
  for (const auto& cells : rows)
    if (cells[4] != texts::kVerified) return false;
  return true;
}

TEST(ExportTest, ListedFilesBecomeADigestList) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  CreateDirectoryA(folder.Join("other").c_str(), nullptr);
  const std::string first = folder.Join("same.bin");
  const std::string second = folder.Join("other\\same.bin");
  const std::string third = folder.Join("\x81\x5C.txt");  // 乗: second byte 0x5C
  WriteTestFile(first, 1234, 1);
  WriteTestFile(second, 4321, 2);
  WriteTestFile(third, 99, 3);
  const FileFingerprint before[] = {FingerprintOf(first), FingerprintOf(second), FingerprintOf(third)};
  ASSERT_TRUE(DropPaths({first, second, third}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  // Into the subfolder: the files above it are named by their full paths,
  // so two files of the same name stay apart and each verifies.
  const std::string exported = folder.Join("other\\digests");
  {
    DialogUser user(exported, /*confirm=*/true);
    ClickButton(TheWindow().exportButton);
  }
  EXPECT_EQ(ReadFileBytes(exported + ".txt"),  // the default extension was added
            first + "=" + ReferenceMd5OfFile(first) + "\r\n" +
            "same.bin=" + ReferenceMd5OfFile(second) + "\r\n" +
            third + "=" + ReferenceMd5OfFile(third) + "\r\n");
  EXPECT_EQ(FingerprintOf(first), before[0]);
  EXPECT_EQ(FingerprintOf(second), before[1]);
  EXPECT_EQ(FingerprintOf(third), before[2]);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(ExportTest, KeepingTheProposedNameWritesMd5IniAndCancelWritesNothing) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  const std::string file = folder.Join("a.bin");
  WriteTestFile(file, 10, 4);
  // A row that never gets a digest goes along in both types.
  ASSERT_TRUE(DropPaths({file, folder.Join("missing.bin")}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  const std::string ini = folder.Join("md5.ini");
  WriteTextFile(ini, "old content that is longer than the new list\r\n");
  const FileFingerprint before = FingerprintOf(ini);
  {
    DialogUser user(ini, /*confirm=*/false);
    ClickButton(TheWindow().exportButton);
    EXPECT_TRUE(user.Found()) << "no save dialog";
  }
  EXPECT_EQ(FingerprintOf(ini), before);

  // Confirmed over the old list: replaced whole, nothing of it left.
  {
    DialogUser user(ini, /*confirm=*/true);
    ClickButton(TheWindow().exportButton);
  }
  const std::string good = "a.bin=" + ReferenceMd5OfFile(file) + "\r\n";
  const std::string written = ReadFileBytes(ini);
  EXPECT_EQ(written.substr(0, good.size()), good);
  // The row without a digest never gives a line that passes for one.
  const std::string rest = written.substr(std::min(good.size(), written.size()));
  EXPECT_TRUE(rest.empty() || (rest.rfind("missing.bin=", 0) == 0 && !IsDigestText(rest.substr(12, 32))))
      << rest;
  {
    DialogUser user(folder.Join("list"), /*confirm=*/true, kExportMd5sum);
    ClickButton(TheWindow().exportButton);
  }
  const std::string md5 = ReadFileBytes(folder.Join("list.md5"));
  const std::string goodMd5 = Lower(ReferenceMd5OfFile(file)) + " *a.bin\r\n";
  EXPECT_EQ(md5.substr(0, goodMd5.size()), goodMd5);
  const std::string comment = md5.substr(std::min(goodMd5.size(), md5.size()));
  EXPECT_EQ(comment.rfind("# ", 0), 0u) << comment;
  EXPECT_EQ(comment.size() - comment.rfind(" *missing.bin\r\n"), 15u) << comment;
}

TEST(ExportTest, ExportedTreeVerifiesFromItsRootInBothTypes) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  // The folder's name in another case, as a user may type it.
  const std::string root = folder.Join("Tree");
  CreateDirectoryA(folder.Join("tree").c_str(), nullptr);
  CreateDirectoryA((root + "\\sub").c_str(), nullptr);
  CreateDirectoryA((root + "\\sub\\deeper").c_str(), nullptr);
  const std::vector<std::string> names = {"top.bin", "sub\\mid.bin", "sub\\deeper\\low.bin"};
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < names.size(); ++i) {
    paths.push_back(folder.Join("tree\\" + names[i]));
    WriteTestFile(paths.back(), 1000 + static_cast<std::int64_t>(i), static_cast<std::uint32_t>(i + 1));
  }
  // Dropped as the folder: walked into rows in the order of names.
  ASSERT_TRUE(DropPaths({folder.Join("tree")}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  ASSERT_EQ(ReadRows().size(), names.size());

  {
    DialogUser user(root + "\\md5.ini", /*confirm=*/true);
    ClickButton(TheWindow().exportButton);
  }
  std::string ini, md5;
  for (std::size_t i = 0; i < names.size(); ++i) {
    ini += names[i] + "=" + ReferenceMd5OfFile(paths[i]) + "\r\n";
    std::string slashed = names[i];
    for (char& c : slashed) c = c == '\\' ? '/' : c;
    md5 += Lower(ReferenceMd5OfFile(paths[i])) + " *" + slashed + "\r\n";
  }
  EXPECT_EQ(ReadFileBytes(root + "\\md5.ini"), ini);
  {
    DialogUser user(root + "\\list", /*confirm=*/true, kExportMd5sum);
    ClickButton(TheWindow().exportButton);
  }
  EXPECT_EQ(ReadFileBytes(root + "\\list.md5"), md5);  // the type's extension was added

  // md5sum -c on the host takes it once its line ends are LF.
  std::string lf;
  for (const char c : md5)
    if (c != '\r') lf += c;
  WriteTextFile(root + "\\lf.md5", lf);
  std::string report;
  EXPECT_EQ(RunHostMd5sum(root, "-c lf.md5", &report), 0) << report;
  DeleteFileA((root + "\\lf.md5").c_str());

  // The program beside the exported md5.ini verifies every file.
  RemoteProgram program(root);
  ASSERT_TRUE(program.Started());
  EXPECT_TRUE(program.WaitFor([&] { return AllVerified(program, names.size()); }, kRunTimeoutMs));
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

// Korean, an emoji and Latin letters have no GBK form; the last file lies
// past MAX_PATH. Each is listed, hashed, shown, exported and verified by
// its exact name, and md5sum on the host accepts the exported list.
TEST(ExportTest, NamesWithoutAGbkFormAndALongPathGoRoundInBothTypes) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  const std::string root = folder.Join("tree");
  CreateDirectoryA(root.c_str(), nullptr);
  const std::wstring wideRoot = WideOf(Text(root.c_str()));
  const std::wstring deep = L"sub\\" + std::wstring(150, L'd');
  CreateDirectoryW((wideRoot + L"\\sub").c_str(), nullptr);
  CreateDirectoryW((L"\\\\?\\" + wideRoot + L"\\" + deep).c_str(), nullptr);
  const std::vector<std::wstring> names = {L"\uD55C\uAD6D\uC5B4.bin", L"\U0001F600.bin",
                                           L"\u00F1\u00F6.bin", deep + L"\\" + std::wstring(140, L'f') + L".bin"};
  std::map<std::wstring, std::string> digests;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string content(1000 + i, static_cast<char>('a' + i));
    HANDLE file = CreateFileW((L"\\\\?\\" + wideRoot + L"\\" + names[i]).c_str(), GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << i;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    digests[names[i]] = ReferenceMd5(content);
  }
  ASSERT_GT(wideRoot.size() + names[3].size(), 260u);
  ASSERT_TRUE(DropPaths({root}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  ASSERT_EQ(ListItemCount(TheWindow().list.Handle()), 4);
  std::wstring ini, md5;
  for (std::int32_t row = 0; row < 4; ++row) {
    const std::wstring path = ListGetCellWideText(TheWindow().list.Handle(), row, 1);  // exact, no short name
    ASSERT_EQ(path.rfind(wideRoot + L"\\", 0), 0u);
    const std::wstring name = path.substr(wideRoot.size() + 1);
    ASSERT_EQ(digests.count(name), 1u) << row;
    EXPECT_EQ(ListGetCellText(TheWindow().list.Handle(), row, 3).Bytes(), digests[name]) << row;
    const std::wstring digest = WideOf(Text(digests[name].c_str()));
    ini += name + L"=" + digest + L"\r\n";
    std::wstring slashed = name;
    for (wchar_t& c : slashed) c = c == L'\\' ? L'/' : c;
    md5 += WideOf(Text(Lower(digests[name]).c_str())) + L" *" + slashed + L"\r\n";
  }
  {
    DialogUser user(root + "\\md5.ini", /*confirm=*/true);
    ClickButton(TheWindow().exportButton);
  }
  // Some name has no GBK form: UTF-8 behind a byte order mark.
  EXPECT_EQ(ReadFileBytes(root + "\\md5.ini"), "\xEF\xBB\xBF" + Utf8Of(ini));
  {
    DialogUser user(root + "\\list", /*confirm=*/true, kExportMd5sum);
    ClickButton(TheWindow().exportButton);
  }
  EXPECT_EQ(ReadFileBytes(root + "\\list.md5"), Utf8Of(md5));
  std::string lf;
  for (const char c : ReadFileBytes(root + "\\list.md5"))
    if (c != '\r') lf += c;
  WriteTextFile(root + "\\lf.md5", lf);
  std::string report;
  EXPECT_EQ(RunHostMd5sum(root, "-c lf.md5", &report), 0) << report;
  DeleteFileA((root + "\\lf.md5").c_str());

  // The real program verifies both: md5.ini beside it, and the .md5 given
  // on its command line by a name with no GBK form.
  const std::wstring wideList = wideRoot + L"\\\uD55C.md5";
  {
    DialogUser user(wideRoot + L"\\\uD55C", /*confirm=*/true, kExportMd5sum);
    ClickButton(TheWindow().exportButton);
  }
  TempFolder elsewhere;
  for (const std::wstring& list : {std::wstring(), wideList}) {
    SCOPED_TRACE(Utf8Of(list));
    RemoteProgram program(list.empty() ? root : elsewhere.Path(),
                          list.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{list});
    ASSERT_TRUE(program.Started());
    EXPECT_TRUE(program.WaitFor([&] { return AllVerified(program, names.size()); }, kRunTimeoutMs));
    for (int row = 0; row < program.RowCount(); ++row)
      EXPECT_EQ(digests.count(program.WideCell(row, 1)), 1u) << row;  // the name as listed
    program.RequestClose();
    EXPECT_EQ(program.WaitForExit(30000), 0);
  }

  // The tree given on the command line is hashed as a drop, every name exact.
  RemoteProgram program(elsewhere.Path(), std::vector<std::wstring>{wideRoot});
  ASSERT_TRUE(program.Started());
  std::size_t hashed = 0;
  EXPECT_TRUE(program.WaitFor([&] {
    hashed = 0;
    for (int row = 0; row < program.RowCount(); ++row) {
      const std::wstring path = program.WideCell(row, 1);
      const auto found = digests.find(path.substr(std::min(path.size(), wideRoot.size() + 1)));
      if (found != digests.end() && program.Cell(row, 3) == found->second) ++hashed;
    }
    return hashed == names.size();
  }, kRunTimeoutMs)) << hashed;
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

}  // namespace
