// Start-up of the main window: the created event's handler.
#pragma once

// Worker count, drawing colours, cell drawing, the drop target, then the
// command line or md5.ini beside the program, in this order; every
// component exists when it runs.
void InitialiseMainWindow();
