#include "services/call_later.h"

#include "services/ui_tasks.h"

namespace {

bool callPending = false;  // window thread only

}  // namespace

bool CallLater(DeferredProcedure procedure, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
  if (callPending || procedure == nullptr) return false;
  StartUiTasks();
  if (!PostUiTask([procedure, a, b, c] {
        callPending = false;  // before the call: it may ask for the next one
        procedure(a, b, c);
      })) {
    return false;
  }
  callPending = true;
  return true;
}
