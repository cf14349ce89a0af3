// The number of file handles a process holds, read from the system's handle
// table. (Wine's GetProcessHandleCount always answers 0; the table is
// complete.)
#pragma once

#include <windows.h>

// -1 when the table cannot be read.
int CountOpenFiles(DWORD processId);
