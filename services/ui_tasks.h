// Work handed to the window thread: from other threads, and from the window
// thread itself for when it is back in its message loop. Tasks run in the
// order they were posted; one posted message wakes the window thread for
// all that are queued, so no flood of tasks can fill its message queue.
#pragma once

#include <functional>

// Window thread, before the first post; later calls do nothing.
void StartUiTasks();
// Any thread. False before StartUiTasks (the task is dropped).
bool PostUiTask(std::function<void()> task);
