// One deferred call per process, run on the window thread once it is back in
// its message loop, after the message it is handling now.
#pragma once

#include <cstdint>

using DeferredProcedure = void (*)(std::intptr_t, std::intptr_t, std::intptr_t);

// Window thread. False when a call is already pending: requests made before
// it runs share that one call.
bool CallLater(DeferredProcedure procedure, std::intptr_t a = 0, std::intptr_t b = 0,
               std::intptr_t c = 0);
