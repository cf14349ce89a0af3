// Reads one column of many rows of another process's list at once.
//
// How it works: a block in the program's process holds one LVITEMA and one
// text slot per row of a batch, written in one go; one LVM_GETITEMTEXTA per
// row is posted rather than sent, so the program's window thread answers a
// whole batch in one burst instead of one round trip per cell; once the
// last row's slot holds its text (posted messages are handled in order),
// the slots are read back in one go.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ColumnReader {
 public:
  static constexpr int kBatchRows = 1000;

  ColumnReader(HANDLE process, HWND list, int column);
  ~ColumnReader();
  ColumnReader(const ColumnReader&) = delete;
  ColumnReader& operator=(const ColumnReader&) = delete;

  // The texts of rows first .. first + count - 1 (count at most kBatchRows);
  // empty when the program did not answer.
  std::vector<std::string> Read(int first, int count);

 private:
  HANDLE process_;
  HWND list_;
  int column_;
  char* block_ = nullptr;  // in the program's process
};
