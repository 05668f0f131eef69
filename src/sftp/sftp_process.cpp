#include "sftp/sftp_process.h"

#include <mutex>
#include <vector>

#include "base/scoped_handles.h"

AssignToJobFn g_assignProcessToJobObject = AssignProcessToJobObject;

namespace {

// While one upload starts its client, its pipe end and input are the only inheritable handles the program makes,
// so no client holds another upload's pipe open (which would keep that upload waiting for this client to end).
std::mutex g_startLock;

class AttributeList {
public:
    explicit AttributeList(HANDLE (&inherited)[2]) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list_, 1, 0, &size)) {
            list_ = nullptr;
            return;
        }
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited,
                                       nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list_);
            list_ = nullptr;
        }
    }
    ~AttributeList() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    AttributeList(const AttributeList&) = delete;
    AttributeList& operator=(const AttributeList&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

private:
    std::vector<unsigned char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

bool StartSuspended(std::wstring commandLine, HANDLE output, PROCESS_INFORMATION* pi) {
    // Reading gives end of file at once: a client that asks for input fails instead of waiting on a hidden console.
    ScopedHandle input(
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (input.get() == INVALID_HANDLE_VALUE) return false;
    std::lock_guard<std::mutex> lock(g_startLock);
    HANDLE inherited[2] = {output, input.get()};
    for (HANDLE h : inherited)
        if (!SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) return false;
    AttributeList attributes(inherited);
    STARTUPINFOEXW si = {};
    si.StartupInfo.cb = attributes.get() ? sizeof si : sizeof si.StartupInfo;
    si.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.StartupInfo.wShowWindow = SW_HIDE;
    si.StartupInfo.hStdInput = input.get();
    si.StartupInfo.hStdOutput = si.StartupInfo.hStdError = output;
    si.lpAttributeList = attributes.get();
    DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT;
    if (attributes.get()) flags |= EXTENDED_STARTUPINFO_PRESENT;
    const BOOL ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                   &si.StartupInfo, pi);
    const DWORD error = GetLastError();
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    SetLastError(error);
    return ok != FALSE;
}

void Keep(ClientRun* run, const char* data, DWORD size) {
    const size_t room = kMaxClientOutput - run->output.size();
    run->output.append(data, size < room ? size : room);
}

enum class DrainEnd { Closed, Lingering, Deadline };

// Reads until every writer has closed the pipe or the deadline passes.
DrainEnd Drain(HANDLE pipe, HANDLE process, ULONGLONG deadline, ClientRun* run) {
    char buf[4096];
    ULONGLONG exitedAt = 0;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return DrainEnd::Closed;
        if (available > 0) {
            DWORD got = 0;
            if (!ReadFile(pipe, buf, available < sizeof buf ? available : sizeof buf, &got, nullptr))
                return DrainEnd::Closed;
            Keep(run, buf, got);
            continue;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return DrainEnd::Deadline;
        // Something the client started may keep the pipe open after the client ended; it is not waited for.
        if (WaitForSingleObject(process, 10) == WAIT_OBJECT_0) {
            if (!exitedAt) exitedAt = now;
            if (now - exitedAt > 2000) return DrainEnd::Lingering;
        }
    }
}

// Ends the client and what it started; the files it held can be deleted once it is gone.
void EndClient(HANDLE job, bool inJob, HANDLE process, UINT code) {
    if (inJob)
        TerminateJobObject(job, code);
    else
        TerminateProcess(process, code);
    WaitForSingleObject(process, 5000);
}

} // namespace

bool RunHiddenClient(const std::wstring& commandLine, DWORD deadlineMs, ClientRun* run) {
    *run = {};
    const ULONGLONG deadline = GetTickCount64() + deadlineMs;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0)) {
        run->launchError = GetLastError();
        return false;
    }
    ScopedHandle reader(readEnd);
    ScopedHandle writer(writeEnd);
    PROCESS_INFORMATION pi = {};
    if (!StartSuspended(commandLine, writer.get(), &pi)) {
        run->launchError = GetLastError();
        return false;
    }
    CloseHandle(writer.Release()); // the pipe ends when the client and its children close theirs
    ScopedHandle process(pi.hProcess);
    ScopedHandle thread(pi.hThread);
    // No kill-on-close: quitting the program lets a running upload finish.
    ScopedHandle job(CreateJobObjectW(nullptr, nullptr));
    const bool inJob = job.get() && g_assignProcessToJobObject(job.get(), process.get());
    ResumeThread(thread.get());
    run->started = true;

    const DrainEnd end = Drain(reader.get(), process.get(), deadline, run);
    const ULONGLONG now = GetTickCount64();
    WaitForSingleObject(process.get(),
                        end == DrainEnd::Closed && deadline > now ? static_cast<DWORD>(deadline - now) : 0);
    if (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        run->stopped = true;
        run->exitCode = STILL_ACTIVE;
        EndClient(job.get(), inJob, process.get(), STILL_ACTIVE);
        return true;
    }
    if (!GetExitCodeProcess(process.get(), &run->exitCode)) run->exitCode = 1;
    if (end == DrainEnd::Lingering) EndClient(job.get(), inJob, process.get(), run->exitCode);
    return true;
}
