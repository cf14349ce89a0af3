// The program's command line. Windows only.
#pragma once

#include "services/wide_paths.h"

// The arguments after the program's own name, as full paths (relative ones
// resolved against the current directory, so take them before it changes),
// as the system gives them (UTF-16). Empty arguments are left out.
PathArray CommandLinePaths();
