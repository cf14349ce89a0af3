// Plays the user of a file dialog from another thread: waits for the
// dialog of this process, types a name into it, then confirms or cancels,
// and until it is destroyed answers every question that follows (the
// dialog's "replace?", a message of the program) with Yes, else OK.
#pragma once

#include <atomic>
#include <string>
#include <thread>

class DialogUser {
 public:
  // typeIndex: the file type to choose first, from 0; -1 keeps the shown one.
  DialogUser(const std::string& name, bool confirm, int typeIndex = -1);
  DialogUser(std::wstring name, bool confirm, int typeIndex = -1);
  ~DialogUser();
  DialogUser(const DialogUser&) = delete;
  DialogUser& operator=(const DialogUser&) = delete;
  bool Found() const { return found_; }
  int Questions() const { return questions_; }

 private:
  void Play(const std::wstring& name, bool confirm, int typeIndex);

  std::atomic<bool> found_{false};
  std::atomic<bool> finished_{false};
  std::atomic<int> questions_{0};
  std::thread thread_;
};
