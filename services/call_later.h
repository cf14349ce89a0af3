// One deferred call per process, on a window-less timer of the calling
// thread (the window thread in this program).
#pragma once

#include <cstdint>

using DeferredProcedure = void (*)(std::intptr_t, std::intptr_t, std::intptr_t);

// False when a call is already pending. A delay below 1 ms calls at once.
bool CallLater(std::int32_t delayMs, DeferredProcedure procedure, std::intptr_t a = 0,
               std::intptr_t b = 0, std::intptr_t c = 0);
