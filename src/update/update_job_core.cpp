#include "update/update_job_core.h"

bool UpdateJobShare::RequestCancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (committed_) return false;
    cancelled_ = true;
    // Closing the session ends the reads and connections running in it, whatever thread waits on them.
    if (session_ && close_) close_(context_, session_);
    session_ = nullptr;
    return true;
}

bool UpdateJobShare::CancelRequested() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

bool UpdateJobShare::Commit() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_) return false;
    committed_ = true;
    return true;
}

bool UpdateJobShare::AdoptSession(void* session, CloseFn close, void* context) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_) return false;
    session_ = session;
    close_ = close;
    context_ = context;
    return true;
}

void UpdateJobShare::CloseInSession(void* handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle && session_ && close_) close_(context_, handle);
}

void UpdateJobShare::CloseSession() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (session_ && close_) close_(context_, session_);
    session_ = nullptr;
    close_ = nullptr;
    context_ = nullptr;
}

bool UpdateJobShare::Release() { return holders_.fetch_sub(1, std::memory_order_acq_rel) == 1; }
