#include "tests/reliability/reliability_support.h"

#include "tests/support/program_window.h"

namespace reliability {

namespace {
constexpr DWORD kLookEveryMs = 250;
}

bool WaitUntilRowsSettle(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  std::vector<std::string> last;
  while (GetTickCount() - start < timeoutMs) {
    PumpFor(kLookEveryMs);
    std::vector<std::string> now;
    for (const RowCells& row : ReadRows())
      for (const std::string& cell : row.cell) now.push_back(cell);
    now.push_back(LabelText());
    if (now == last && AllRowsFinished()) return true;
    last = std::move(now);
  }
  return false;
}

}  // namespace reliability
