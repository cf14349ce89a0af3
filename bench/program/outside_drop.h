// A drop of files onto another process's window, made from this process as
// the shell would make it: DragEnter, DragOver and Drop on the window's
// registered drop target, with CF_HDROP data served from here.
//
// How it works (Wine): RegisterDragDrop marshals the target into a section
// whose handle it keeps in the window property "WineMarshalledDropTarget";
// Wine's own DoDragDrop reaches targets of other processes that way. The
// bench does the same and calls the target directly, with no mouse
// involved. The caller's thread must have called OleInitialize.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// False when the window has no drop target or the drop was refused.
bool DropFromOutside(HWND window, const std::vector<std::string>& paths);
