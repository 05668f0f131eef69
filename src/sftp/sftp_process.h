// Runs an external client hidden, with its output captured and no standard input, for at most a deadline.
// Any thread; several runs may go on at once.
#pragma once
#include <windows.h>

#include <string>

struct ClientRun {
    bool started = false;
    DWORD launchError = 0; // GetLastError of the failed start
    DWORD exitCode = 1;    // STILL_ACTIVE (259) when the client was stopped at the deadline
    bool stopped = false;  // the deadline passed and the client was ended
    std::string output;    // the first kMaxClientOutput bytes of standard output and error together
};

// What the failure message can carry: 4,096 bytes and one last 511-byte piece.
constexpr size_t kMaxClientOutput = 4096 + 511;

// Starts commandLine suspended in a job object, so that at the deadline the client and whatever it started end
// together, then reads its output to the end (keeping the first kMaxClientOutput bytes). Returns run->started.
[[nodiscard]] bool RunHiddenClient(const std::wstring& commandLine, DWORD deadlineMs, ClientRun* run);

// The system call that puts the client into its job; tests put one in front that fails, as it does on systems
// where the program itself already runs in a job that allows no other.
using AssignToJobFn = BOOL(WINAPI*)(HANDLE job, HANDLE process);
extern AssignToJobFn g_assignProcessToJobObject;
