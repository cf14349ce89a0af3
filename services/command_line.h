// The program's command line. Windows only.
#pragma once

#include "services/text.h"

// The arguments after the program's own name, as full paths (relative ones
// resolved against the current directory, so take them before it changes),
// converted with AnsiPathOf. Empty arguments are left out.
TextArray CommandLinePaths();
