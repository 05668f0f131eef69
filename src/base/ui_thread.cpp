#include "base/ui_thread.h"

#include <windows.h>

#include <cassert>

static DWORD g_uiThreadId = 0;

void MarkUiThread() { g_uiThreadId = GetCurrentThreadId(); }

void AssertUiThread() { assert(g_uiThreadId == 0 || GetCurrentThreadId() == g_uiThreadId); }
