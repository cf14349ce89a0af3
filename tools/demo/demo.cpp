// make run without a display: fills a folder tree with sample files and an
// md5.ini at its root (one entry deliberately wrong, one file missing),
// opens that list with md5check.exe as Explorer's "Open with" does (the
// program lies outside the tree), waits for its verdicts, prints the rows
// as the window shows them, saves a screenshot and closes the program.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

#include "services/texts.h"
#include "tests/support/remote_program.h"
#include "shell/main_window.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kVerdictTimeoutMs = 120000;

std::string Utf8Of(const std::string& ansi) {
  const int count = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), count);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0));
  return utf8;
}

struct Sample {
  const char* name;
  std::int64_t size;
  bool listedRight;  // false: listed with a wrong digest
};

// Sizes cover the empty file and several 8 MiB chunks.
constexpr Sample kSamples[] = {
    {"readme.txt", 2000, true},
    {"setup.exe", 3 * 1024 * 1024, true},
    {"data\\disk.img", 40 * 1024 * 1024, true},
    {"data\\docs\\manual.txt", 5000, true},
    {"empty.txt", 0, true},
    {"report.doc", 70000, false},
};
constexpr char kMissingName[] = "missing.zip";
constexpr size_t kRows = std::size(kSamples) + 1;

constexpr char kTreeName[] = "tree";

// The tree and its list; the list's path.
std::string MakeSamples(const std::string& demo) {
  const std::string folder = demo + "\\" + kTreeName;
  for (const char* sub : {"", "\\data", "\\data\\docs"}) CreateDirectoryA((folder + sub).c_str(), nullptr);
  std::string list;
  std::uint32_t seed = 1;
  for (const Sample& sample : kSamples) {
    const std::string path = folder + "\\" + sample.name;
    WriteTestFile(path, sample.size, seed++);
    const std::string digest = sample.listedRight ? ReferenceMd5OfFile(path) : ReferenceMd5("old");
    list += std::string(sample.name) + "=" + digest + "\r\n";
  }
  list += std::string(kMissingName) + "=" + ReferenceMd5("gone") + "\r\n";
  DeleteFileA((folder + "\\" + kMissingName).c_str());
  WriteTextFile(folder + "\\md5.ini", list);
  return folder + "\\md5.ini";
}

bool RowIsFinal(const std::vector<std::string>& row) {
  return row[4] == texts::kVerified || row[4] == texts::kMismatch ||
         row[2] == texts::kDigestFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: md5check_demo FOLDER SCREENSHOT.bmp\n");
    return 2;
  }
  const std::string listPath = MakeSamples(argv[1]);
  RemoteProgram program(argv[1], {listPath});
  if (!program.Started()) {
    std::fprintf(stderr, "md5check did not start\n");
    return 1;
  }
  const bool finished = program.WaitFor([&] {
    const auto rows = program.Rows();
    if (rows.size() != kRows) return false;
    for (const auto& row : rows)
      if (!RowIsFinal(row)) return false;
    return true;
  }, kVerdictTimeoutMs);
  Sleep(500);  // let the last repaint land before the screenshot
  std::printf("%s\n", Utf8Of(texts::kWindowCaption).c_str());
  for (const auto& row : program.Rows()) {
    std::printf("%3s  %-14s  %-28s  %-32s  %s\n", row[0].c_str(), Utf8Of(row[1]).c_str(),
                Utf8Of(row[2]).c_str(), Utf8Of(row[3]).c_str(), Utf8Of(row[4]).c_str());
  }
  char counts[256] = {};
  GetWindowTextA(GetDlgItem(program.Window(), kIdCounts), counts, sizeof counts);
  std::printf("%s\n", Utf8Of(counts).c_str());
  SaveWindowBitmap(program.Window(), argv[2]);
  program.RequestClose();
  const long code = program.WaitForExit(30000);
  std::printf("md5check ended with code %ld\n", code);
  return finished && code == 0 ? 0 : 1;
}
