// A close requested halfway through a run of the real md5check.exe: the
// time from the request to the process's end against the hashing left.
#pragma once

#include "bench/program/data_sets.h"

struct CloseFigures {
  bool measured = false;
  double doneFraction = 0;      // of the set's bytes when the close was requested
  double requestToEnd = 0;      // seconds
  double hashingLeft = 0;       // seconds, at the pace kept until the request
  double longestAnswerMs = 0;   // of the window while the close waited
};

// Puts md5.ini (the set's digests) and the program in the set's folder, so
// the program verifies the set by itself from its start; removes both after.
CloseFigures TimeCloseHalfway(const DataSet& set);
