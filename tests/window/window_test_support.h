// Helpers of the window tests: a message pump with a deadline, the main
// window built per test, and pixels read back from a window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runs/run_coordinator.h"
#include "shell/main_window.h"
#include "shell/program.h"

// Handles messages until `done` holds or `timeoutMs` passes; WM_QUIT left
// by a closed window is dropped. True when `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
void PumpFor(DWORD ms);

// A test window's events, made from the program's handlers it wants.
using EventsOfProgram = std::function<MainWindowEvents(Program& program)>;
// Only the created event, with the program's start-up.
MainWindowEvents StartUpEvents(Program& program);

// The main window for one test, with a coordinator and a program of its
// own, destroyed with the object.
class TestMainWindow {
 public:
  explicit TestMainWindow(const MainWindowEvents& events = MainWindowEvents());
  explicit TestMainWindow(const EventsOfProgram& events);
  ~TestMainWindow();
  TestMainWindow(const TestMainWindow&) = delete;
  TestMainWindow& operator=(const TestMainWindow&) = delete;
  HWND Handle() const { return window_; }
  Program& TheProgram() { return program_; }
  RunCoordinator& Runs() { return runs_; }

 private:
  RunCoordinator runs_;
  Program program_;
  HWND window_ = nullptr;
};

// The window of the TestMainWindow made last; set before it is created,
// so the created event finds its components there.
MainWindow& ShownWindow();
Program& ShownProgram();

// A window's client area as COLORREF values: as on the screen, or painted
// afresh into memory with WM_PRINTCLIENT (`printed`), which no other window
// on the same X server can cover.
class Capture {
 public:
  enum Source { kScreen, kPrinted };
  explicit Capture(HWND window, Source source = kScreen);
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const;
  bool SaveBmp(const std::string& path) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint32_t> pixels_;  // top-down 0x00RRGGBB
};
