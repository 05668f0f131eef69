// The one user-interface thread: every window and every process-wide record belongs to it.
#pragma once

// Called once by the entry point's thread before any window exists.
void MarkUiThread();
// Debug builds stop when a writer of process-wide state runs on another thread; release builds check nothing.
void AssertUiThread();
