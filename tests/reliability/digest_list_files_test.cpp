// Hostile md5.ini files given to the real program: each one ends in its
// defined rows (or none), the window answers, the program closes with
// code 0, and neither the listed files nor the folders change.
#include <gtest/gtest.h>

#include <functional>

#include "tests/reliability/reliability_support.h"
#include "tests/support/remote_program.h"

namespace {

using reliability::IsVerdict;

constexpr DWORD kSettleTimeoutMs = 60000;

enum class Outcome { kVerified, kMismatch, kFailed, kRefused };

struct ExpectedRow {
  std::string shownName;
  Outcome outcome;
};

struct ListCase {
  std::string name;
  // Writes md5.ini and the listed files into the program's folder.
  std::function<void(const std::string& folder)> prepare;
  std::vector<ExpectedRow> rows;
  bool holdList = false;  // md5.ini held open without read sharing meanwhile
};

std::string Digest(const std::string& folder, const std::string& name) {
  return ReferenceMd5OfFile(folder + "\\" + name);
}

std::string MakeFile(const std::string& folder, const std::string& name, std::uint32_t seed) {
  WriteTestFile(folder + "\\" + name, 1000 + seed, seed);
  return Digest(folder, name);
}

bool RowEnded(const std::vector<std::string>& cells) {
  return IsVerdict(cells[4]) || cells[2] == texts::kDigestFailed;
}

std::string Repeat(char c, size_t count) { return std::string(count, c); }

// The GBK text as UTF-16 with its byte order mark.
std::string Utf16Of(const std::string& gbk, bool bigEndian) {
  std::wstring wide(gbk.size(), L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()),
                                                      wide.data(), static_cast<int>(wide.size()))));
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const wchar_t unit : wide) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// Creates a folder chain through the wide long-path form, beyond MAX_PATH.
std::string MakeLongPathFile(const std::string& folder, std::string* relative) {
  const std::string inner = Repeat('d', 150);
  const std::string leaf = Repeat('f', 140) + ".bin";
  CreateDirectoryA((folder + "\\" + inner).c_str(), nullptr);
  const std::string full = folder + "\\" + inner + "\\" + leaf;
  std::wstring wide = L"\\\\?\\";
  for (char c : full) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, "long", 4, &written, nullptr);
  CloseHandle(file);
  *relative = inner + "\\" + leaf;
  return full;
}

std::vector<ListCase> Cases() {
  std::vector<ListCase> cases;
  cases.push_back({"lf-only line ends make one line with two '='",
                   [](const std::string& f) {
                     WriteTextFile(f + "\\md5.ini", "a.bin=" + MakeFile(f, "a.bin", 1) + "\nb.bin=" +
                                                        MakeFile(f, "b.bin", 2) + "\n");
                   },
                   {}});
  cases.push_back({"a lone CR stays in the digest",
                   [](const std::string& f) {
                     WriteTextFile(f + "\\md5.ini", "a.bin=" + MakeFile(f, "a.bin", 1) + "\r");
                   },
                   {{"a.bin", Outcome::kMismatch}}});
  cases.push_back({"nothing after a NUL counts",
                   [](const std::string& f) {
                     WriteTextFile(f + "\\md5.ini", "a.bin=" + MakeFile(f, "a.bin", 1) + "\r\n" +
                                                        std::string(1, '\0') + "b.bin=" +
                                                        MakeFile(f, "b.bin", 2) + "\r\n");
                   },
                   {{"a.bin", Outcome::kVerified}}});
  cases.push_back({"a UTF-8 byte-order mark makes the whole list UTF-8, the mark no part of a name",
                   [](const std::string& f) {
                     WriteTextFile(f + "\\md5.ini", "\xEF\xBB\xBF" "a.bin=" + MakeFile(f, "a.bin", 1) +
                                                        "\r\nb.bin=" + MakeFile(f, "b.bin", 2) + "\r\n");
                   },
                   {{"a.bin", Outcome::kVerified}, {"b.bin", Outcome::kVerified}}});
  cases.push_back({"a 10 MiB single line is one entry with a 10 MiB digest",
                   [](const std::string& f) {
                     MakeFile(f, "a.bin", 1);
                     WriteTextFile(f + "\\md5.ini", "a.bin=" + Repeat('F', 10 << 20));
                   },
                   {{"a.bin", Outcome::kMismatch}}});
  cases.push_back({"names: '=' anywhere, '..', absolute, devices, long, GBK 0x5C",
                   [](const std::string& f) {
                     const std::string good = "good.bin=" + MakeFile(f, "good.bin", 1);
                     std::string list;
                     for (size_t i = 0; i <= good.size(); ++i)  // a second "=" anywhere
                       list += good.substr(0, i) + "=" + good.substr(i) + "\r\n";
                     list += good + "\r\n";
                     list += "=" + ReferenceMd5("") + "\r\n";  // names the folder itself
                     WriteTestFile(f + "\\..\\outside.bin", 500, 9);
                     list += "..\\outside.bin=" + Digest(f, "..\\outside.bin") + "\r\n";
                     // A full path is opened as it stands.
                     list += "C:\\windows\\win.ini=" + ReferenceMd5("x") + "\r\n";
                     for (const char* device : {"CON", "NUL", "AUX", "COM1", "LPT1", "nul.txt"})
                       list += std::string(device) + "=" + ReferenceMd5("") + "\r\n";
                     std::string longName;
                     MakeLongPathFile(f, &longName);
                     list += longName + "=" + ReferenceMd5("long") + "\r\n";
                     // 乗俓.bin in the folder 僜: second bytes 0x5C, not separators.
                     CreateDirectoryA((f + "\\\x83\x5C").c_str(), nullptr);
                     const std::string gbk = "\x83\x5C\\\x81\x5C\x82\x5C.bin";
                     list += gbk + "=" + MakeFile(f, gbk, 3) + "\r\n";
                     WriteTextFile(f + "\\md5.ini", list);
                   },
                   {{"good.bin", Outcome::kVerified},
                    {"", Outcome::kFailed},
                    {"..\\outside.bin", Outcome::kVerified},
                    {"C:\\windows\\win.ini", Outcome::kMismatch},
                    // devices open in any folder; none is a file to hash
                    {"CON", Outcome::kFailed},
                    {"NUL", Outcome::kFailed},
                    {"AUX", Outcome::kFailed},
                    {"COM1", Outcome::kFailed},
                    {"LPT1", Outcome::kFailed},
                    {"nul.txt", Outcome::kFailed},
                    {Repeat('d', 150) + "\\" + Repeat('f', 140) + ".bin", Outcome::kVerified},
                    {"\x83\x5C\\\x81\x5C\x82\x5C.bin", Outcome::kVerified}}});
  cases.push_back({"md5sum's own list: text and binary lines, a wrong line, a missing file",
                   [](const std::string& f) {
                     CreateDirectoryA((f + "\\sub").c_str(), nullptr);
                     MakeFile(f, "a.bin", 1);
                     MakeFile(f, "sub\\b.bin", 2);
                     MakeFile(f, "changed.bin", 3);
                     MakeFile(f, "gone.bin", 4);
                     std::string text, binary;
                     RunHostMd5sum(f, "a.bin changed.bin gone.bin", &text);  // "<hex>  name" LF
                     RunHostMd5sum(f, "-b sub/b.bin", &binary);               // "<hex> *sub/b.bin"
                     MakeFile(f, "changed.bin", 5);
                     DeleteFileA((f + "\\gone.bin").c_str());
                     WriteTextFile(f + "\\md5.ini", "# written by md5sum\n" + text + binary);
                   },
                   {{"a.bin", Outcome::kVerified},
                    {"changed.bin", Outcome::kMismatch},
                    {"gone.bin", Outcome::kFailed},
                    {"sub\\b.bin", Outcome::kVerified}}});
  cases.push_back({"UTF-8 with a byte order mark: Chinese names, one without a GBK form",
                   [](const std::string& f) {
                     // 中文 and 目录\乗.bin in GBK; the list names them in UTF-8.
                     CreateDirectoryA((f + "\\\xC4\xBF\xC2\xBC").c_str(), nullptr);
                     const std::string first = MakeFile(f, "\xD6\xD0\xCE\xC4.bin", 1);
                     const std::string second = MakeFile(f, "\xC4\xBF\xC2\xBC\\\x81\x5C.bin", 2);
                     WriteTextFile(f + "\\md5.ini",
                                   "\xEF\xBB\xBF" + first + " *\xE4\xB8\xAD\xE6\x96\x87.bin\r\n" +
                                       second + " *\xE7\x9B\xAE\xE5\xBD\x95/\xE4\xB9\x97.bin\r\n" +
                                       first + " *\xF0\x9F\x98\x80.bin\r\n");  // an emoji
                   },
                   {{"\xD6\xD0\xCE\xC4.bin", Outcome::kVerified},
                    {"\xC4\xBF\xC2\xBC\\\x81\x5C.bin", Outcome::kVerified},
                    {"??.bin", Outcome::kFailed}}});  // one "?" for each UTF-16 half
  for (const bool bigEndian : {false, true}) {
    cases.push_back({bigEndian ? "UTF-16 BE with its mark" : "UTF-16 LE with its mark",
                     [bigEndian](const std::string& f) {
                       const std::string chinese = "\xD6\xD0\xCE\xC4.bin";  // 中文.bin
                       WriteTextFile(f + "\\md5.ini",
                                     Utf16Of(chinese + "=" + MakeFile(f, chinese, 1) + "\r\n" +
                                                 "b.bin=" + ReferenceMd5("other") + "\r\n",
                                             bigEndian));
                       MakeFile(f, "b.bin", 2);
                     },
                     {{"\xD6\xD0\xCE\xC4.bin", Outcome::kVerified}, {"b.bin", Outcome::kMismatch}}});
  }
  cases.push_back({"tag lines (md5sum --tag, openssl dgst) and md5sum's escaped lines",
                   [](const std::string& f) {
                     CreateDirectoryA((f + "\\c").c_str(), nullptr);
                     WriteTextFile(f + "\\md5.ini",
                                   "MD5 (a (1).bin) = " + MakeFile(f, "a (1).bin", 1) + "\n" +
                                       "MD5(b.bin)= " + ReferenceMd5("other") + "\n" +
                                       "\\" + MakeFile(f, "c\\d.bin", 3) + "  c\\\\d.bin\n");
                     MakeFile(f, "b.bin", 2);
                   },
                   {{"a (1).bin", Outcome::kVerified},
                    {"b.bin", Outcome::kMismatch},
                    {"c\\d.bin", Outcome::kVerified}}});
  // A downloaded list must not make the program reach another machine.
  cases.push_back({"names of shares, devices and streams are never opened",
                   [](const std::string& f) {
                     const std::string digest = MakeFile(f, "a.bin", 1);
                     std::string list;
                     for (const char* name : {"\\\\localhost\\c$\\a.bin", "//localhost/c$/a.bin",
                                              "\\\\.\\C:", "\\\\?\\C:\\windows\\win.ini", "a.bin:s",
                                              "a.bin"})
                       list += std::string(name) + "=" + digest + "\r\n";
                     WriteTextFile(f + "\\md5.ini", list);
                   },
                   {{"\\\\localhost\\c$\\a.bin", Outcome::kRefused},
                    {"\\\\localhost\\c$\\a.bin", Outcome::kRefused},
                    {"\\\\.\\C:", Outcome::kRefused},
                    {"\\\\?\\C:\\windows\\win.ini", Outcome::kRefused},
                    {"a.bin:s", Outcome::kRefused},
                    {"a.bin", Outcome::kVerified}}});
  cases.push_back({"md5.ini is a directory",
                   [](const std::string& f) {
                     CreateDirectoryA((f + "\\md5.ini").c_str(), nullptr);
                   },
                   {}});
  // Root under Wine ignores file permissions, so "unreadable" is a handle
  // held elsewhere without read sharing.
  cases.push_back({"md5.ini held open without read sharing",
                   [](const std::string& f) {
                     WriteTextFile(f + "\\md5.ini", "a.bin=" + MakeFile(f, "a.bin", 1) + "\r\n");
                   },
                   {},
                   /*holdList=*/true});
  return cases;
}

void ExpectRow(const std::vector<std::string>& cells, const ExpectedRow& expected, size_t index) {
  SCOPED_TRACE("row " + std::to_string(index + 1) + " '" + expected.shownName + "'");
  EXPECT_EQ(cells[0], std::to_string(index + 1));
  EXPECT_EQ(cells[1], expected.shownName);
  switch (expected.outcome) {
    case Outcome::kVerified:
      EXPECT_EQ(cells[4], texts::kVerified);
      EXPECT_TRUE(reliability::IsDigest(cells[3])) << cells[3];
      break;
    case Outcome::kMismatch:
      EXPECT_EQ(cells[4], texts::kMismatch);
      EXPECT_TRUE(reliability::IsDigest(cells[3])) << cells[3];
      break;
    case Outcome::kFailed:  // a verdict of its own, nothing computing
    case Outcome::kRefused:
      EXPECT_EQ(cells[2], texts::kDigestFailed);
      EXPECT_EQ(cells[3], "");
      EXPECT_EQ(cells[4], expected.outcome == Outcome::kFailed ? texts::kUnreadable : texts::kNotOpened);
      break;
  }
}

TEST(HostileDigestListTest, EachListEndsInItsDefinedRows) {
  for (const ListCase& listCase : Cases()) {
    SCOPED_TRACE(listCase.name);
    TempFolder outer;
    const std::string folder = outer.Join("run");
    CreateDirectoryA(folder.c_str(), nullptr);
    listCase.prepare(folder);
    reliability::Untouched untouched;
    for (const std::string& name : ListFolder(folder))
      if (GetFileAttributesA((folder + "\\" + name).c_str()) != FILE_ATTRIBUTE_DIRECTORY)
        untouched.File(folder + "\\" + name);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (listCase.holdList)
      held = CreateFileA((folder + "\\md5.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
    RemoteProgram program(folder);
    ASSERT_TRUE(program.Started());
    untouched.Folder(folder);
    untouched.Folder(outer.Path());

    if (listCase.rows.empty()) {
      // Reported in the label instead of a run.
      EXPECT_TRUE(program.WaitFor([&] {
        char label[1024] = {};
        GetWindowTextA(FindWindowExA(program.Window(), nullptr, "Static", nullptr), label, sizeof label);
        return std::string(label).find("md5.ini") != std::string::npos;
      }, kSettleTimeoutMs)) << "the unusable list was not reported";
    } else {
      EXPECT_TRUE(program.WaitFor([&] {
        const auto rows = program.Rows();
        if (rows.size() != listCase.rows.size()) return false;
        for (const auto& cells : rows)
          if (!RowEnded(cells)) return false;
        return true;
      }, kSettleTimeoutMs));
    }
    const auto rows = program.Rows();
    ASSERT_EQ(rows.size(), listCase.rows.size());
    for (size_t i = 0; i < rows.size(); ++i) ExpectRow(rows[i], listCase.rows[i], i);
    // A list without entries is reported, and the window hashes instead.
    HWND exportButton = program.ChildWithCaption(texts::kExportButton);
    EXPECT_EQ(exportButton != nullptr && IsWindowVisible(exportButton), listCase.rows.empty());
    EXPECT_TRUE(program.Answers());
    program.RequestClose();
    EXPECT_EQ(program.WaitForExit(30000), 0);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    untouched.Expect();
  }
}

}  // namespace
