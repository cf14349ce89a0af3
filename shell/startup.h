// Start-up of the main window: the created event's handler.
#pragma once

// Worker count, drawing colours, cell drawing and the drop target, in this
// order; every component exists when it runs.
void InitialiseMainWindow();
