// Plays the user of a file dialog from another thread: waits for the
// dialog of this process, types a name into it, then confirms or cancels.
#pragma once

#include <atomic>
#include <string>
#include <thread>

class DialogUser {
 public:
  // typeIndex: the file type to choose first, from 0; -1 keeps the shown one.
  DialogUser(std::string name, bool confirm, int typeIndex = -1);
  ~DialogUser();
  DialogUser(const DialogUser&) = delete;
  DialogUser& operator=(const DialogUser&) = delete;
  bool Found() const { return found_; }

 private:
  void Play(const std::string& name, bool confirm, int typeIndex);

  std::atomic<bool> found_{false};
  std::thread thread_;
};
