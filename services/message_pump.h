// Handles the calling thread's queued messages without waiting for new ones.
#pragma once

// Dispatches queued messages until the queue is empty or WM_QUIT is next
// (which stays queued). Returns at once on a thread without messages.
void PumpPendingMessages();
