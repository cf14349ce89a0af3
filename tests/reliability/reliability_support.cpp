#include "tests/reliability/reliability_support.h"

#include <algorithm>

#include "tests/support/program_window.h"

namespace reliability {

namespace {

constexpr DWORD kLookEveryMs = 250;

bool Finished(const RowCells& row) {
  return IsDigest(row.cell[3]) || row.cell[2] == texts::kDigestFailed;
}

}  // namespace

bool WaitUntilRowsSettle(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  std::vector<std::string> last;
  DWORD pause = kLookEveryMs;
  while (GetTickCount() - start < timeoutMs) {
    PumpFor(pause);
    const DWORD lookStart = GetTickCount();
    std::vector<std::string> now;
    bool finished = true;
    for (const RowCells& row : ReadRows()) {
      finished = finished && Finished(row);
      for (const std::string& cell : row.cell) now.push_back(cell);
    }
    now.push_back(LabelText());
    if (finished && now == last) return true;
    last = std::move(now);
    // A look at ten thousand rows holds the window thread; look less often.
    pause = std::max(kLookEveryMs, 4 * (GetTickCount() - lookStart));
  }
  return false;
}

}  // namespace reliability
