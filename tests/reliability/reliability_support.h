// Shared by the reliability scenarios: what a scenario must leave as it
// found it, and how a row's end state is judged.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "services/texts.h"
#include "tests/support/test_files.h"

namespace reliability {

// Files are only ever read: every watched file keeps its content, size and
// last-write time, and every watched folder keeps exactly its names.
class Untouched {
 public:
  void File(const std::string& path) { files_[path] = FingerprintOf(path); }
  void Folder(const std::string& folder) { folders_[folder] = ListFolder(folder); }
  void Expect() const {
    for (const auto& [path, print] : files_) EXPECT_EQ(FingerprintOf(path), print) << "changed: " << path;
    for (const auto& [folder, names] : folders_)
      EXPECT_EQ(ListFolder(folder), names) << "names changed in " << folder;
  }

 private:
  std::map<std::string, FileFingerprint> files_;
  std::map<std::string, std::vector<std::string>> folders_;
};

inline bool IsVerdict(const std::string& text) {
  return text == texts::kVerified || text == texts::kMismatch;
}

inline bool IsDigest(const std::string& text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

// The failure of a file that could not be opened or was stopped before its
// first read.
inline bool FailedBeforeReading(const std::vector<std::string>& cells) {
  return cells[2] == texts::kDigestFailed && cells[3].empty() && cells[4].empty();
}

// The two defined ends of a row: the failure text with no digest, or a
// digest that must then be the expected one.
inline ::testing::AssertionResult FailedOrDigest(const std::string& size, const std::string& digest,
                                                 const std::string& expected) {
  if (size == texts::kDigestFailed && digest.empty())
    return ::testing::AssertionSuccess();
  if (digest == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "size cell '" << size << "', digest '" << digest
                                       << "', expected failure or " << expected;
}

// Waits, handling messages, until every row of the in-process window shows a
// digest or the failure text and nothing changed for a while. Rows are read
// only every quarter second: reading thousands of cells between the
// workers' messages would slow the run itself down.
bool WaitUntilRowsSettle(DWORD timeoutMs);

}  // namespace reliability
