// Identifiers of the program's resources, shared by the resource script
// and the code that loads them. Plain defines: the resource compiler reads
// this file too.
#pragma once

// The program's icon group; the lowest identifier is the one Explorer shows.
#define MD5CHECK_ICON 1
