#include "services/call_later.h"

#include <windows.h>

namespace {

// The one deferred call of the process. Window thread only.
struct DeferredCall {
  DeferredProcedure procedure = nullptr;
  std::intptr_t a = 0, b = 0, c = 0;
  UINT_PTR timerId = 0;
  bool pending = false;
};

DeferredCall deferredCall;

void CALLBACK FireDeferredCall(HWND, UINT, UINT_PTR timerId, DWORD) {
  // A window-less timer repeats until killed: kill it first so it fires once.
  KillTimer(nullptr, timerId);
  if (!deferredCall.pending || timerId != deferredCall.timerId) return;
  const DeferredCall call = deferredCall;
  deferredCall = DeferredCall{};
  call.procedure(call.a, call.b, call.c);  // may ask for the next call
}

}  // namespace

bool CallLater(std::int32_t delayMs, DeferredProcedure procedure, std::intptr_t a,
               std::intptr_t b, std::intptr_t c) {
  if (deferredCall.pending || procedure == nullptr) return false;
  if (delayMs < 1) {
    procedure(a, b, c);
    return true;
  }
  const UINT_PTR timerId =
      SetTimer(nullptr, 0, static_cast<UINT>(delayMs), FireDeferredCall);
  if (timerId == 0) return false;
  deferredCall = DeferredCall{procedure, a, b, c, timerId, true};
  return true;
}
