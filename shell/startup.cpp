// Start-up of the main window: the created event's handler.
#include <windows.h>

#include <cstdint>

#include "runs/pooled_run.h"
#include "services/file_drop.h"
#include "shell/program.h"

namespace {

constexpr double kWorkersPerProcessor = 2.0;

}  // namespace

void Program::InitialiseMainWindow() {
  runs_.workerThreadCount =
      static_cast<std::int32_t>(static_cast<double>(ProcessorCount()) * kWorkersPerProcessor);
  window_.list.ReadColors();
  SetTimer(window_.window, kApplyTimerId, kApplyIntervalMs, nullptr);
  // Posted: the worker does not wait for the window. A run that a newer
  // one replaced meanwhile shows nothing of its own.
  runs_.NotifyWhenRunSettles([this](std::uint32_t generation) {
    tasks_.Post([this, generation] {
      if (runs_.IsCurrentRun(generation)) ShowSettledRun();
    });
  });
  RegisterFileDrop(window_.dropTarget, window_.window);
  TakeStartingInput();
}
