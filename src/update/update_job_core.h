// What the update window and its worker thread share: two references to the job, the cancel request, the
// point after which Cancel no longer stops the update, and the internet session Cancel closes. Any thread.
#pragma once
#include <atomic>
#include <mutex>
#include <utility>

class UpdateJobShare {
public:
    using CloseFn = void (*)(void* context, void* handle);

    // Window: asks the worker to stop and closes its session, so that a blocked read returns at once.
    // False once the update is being applied: then the request is ignored.
    bool RequestCancel();
    bool CancelRequested() const;
    // Worker: from now on Cancel is ignored. False when Cancel came first.
    [[nodiscard]] bool Commit();

    // Worker: hands over the session for Cancel to close (close(context, session)). False when Cancel came
    // first; the session is then the caller's to close.
    [[nodiscard]] bool AdoptSession(void* session, CloseFn close, void* context);
    // Worker: closes a handle opened in the session, unless Cancel has closed the session and all its handles.
    void CloseInSession(void* handle);
    // Worker: closes the session unless Cancel did. After it Cancel closes nothing.
    void CloseSession();

    // Each of the two holders calls it once; true for the last one, which frees the job.
    [[nodiscard]] bool Release();

private:
    mutable std::mutex mutex_;
    std::atomic<int> holders_{2};
    bool cancelled_ = false;
    bool committed_ = false;
    void* session_ = nullptr;
    CloseFn close_ = nullptr;
    void* context_ = nullptr;
};

// One holder's claim on a job that has an UpdateJobShare member `share`: letting go twice releases once, and the
// last holder to let go deletes the job.
template <class Job> class JobHold {
public:
    explicit JobHold(Job* job = nullptr) : job_(job) {}
    JobHold(const JobHold&) = delete;
    JobHold& operator=(const JobHold&) = delete;
    ~JobHold() { LetGo(); }
    Job* get() const { return job_; }
    void Reset(Job* job) {
        LetGo();
        job_ = job;
    }
    void LetGo() {
        Job* job = std::exchange(job_, nullptr);
        if (job && job->share.Release()) delete job;
    }
    // The window's Cancel: false, still holding, while the update is being applied.
    bool CancelAndLetGo() {
        if (job_ && !job_->share.RequestCancel()) return false;
        LetGo();
        return true;
    }

private:
    Job* job_;
};
