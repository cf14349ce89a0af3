// The files of a dropped path, as Explorer lists them. Windows only.
#pragma once

#include <functional>

#include <string>

using PathSink = std::function<void(const std::wstring& path)>;

// A path that is not a folder (a file, or nothing at all) is passed on as
// given. A folder is walked: the files of each folder, hidden and system
// ones included, sorted by name as Explorer sorts them (case-insensitive,
// digit runs by value), then each subfolder the same way, in that order.
// Linked folders (junctions, symbolic links) inside it are not entered, so
// a link back up cannot loop. A folder that cannot be listed, and a dropped
// folder that holds no file at all, are passed on themselves: opening them
// fails, so they show as failed instead of vanishing.
void WalkDroppedPath(const std::wstring& path, const PathSink& take);
