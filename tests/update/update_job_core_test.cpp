#include "update/update_job_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TestJob {
    UpdateJobShare share;
    int* freed;
    explicit TestJob(int* f) : freed(f) {}
    ~TestJob() { ++*freed; }
};

enum class Event { Cancel, PostedClose, Destroy, WorkerEnd, Commit };

const char* Name(Event e) {
    switch (e) {
    case Event::Cancel: return "Cancel";
    case Event::PostedClose: return "posted close";
    case Event::Destroy: return "window destroyed";
    case Event::WorkerEnd: return "worker end";
    case Event::Commit: return "commit";
    }
    return "?";
}

// The window's side as the update window procedure has it: a Cancel or a close that reaches the live window lets
// go of the job and destroys the window, whose destroy notification lets go again; a message that arrives after
// the window is gone reaches nothing. The worker reads the flag until it lets go at its end.
struct Scenario {
    int freed = 0;
    TestJob* job = new TestJob(&freed);
    JobHold<TestJob> window{job};
    JobHold<TestJob> worker{job};
    bool windowAlive = true;
    bool workerDone = false;

    void Apply(Event e) {
        switch (e) {
        case Event::Cancel:
            if (windowAlive && window.CancelAndLetGo()) Destroyed();
            break;
        case Event::PostedClose:
        case Event::Destroy:
            if (windowAlive) Destroyed();
            break;
        case Event::Commit:
            if (!workerDone) (void)worker.get()->share.Commit();
            break;
        case Event::WorkerEnd:
            if (!workerDone) (void)worker.get()->share.CancelRequested();
            worker.LetGo();
            workerDone = true;
            break;
        }
    }
    void Destroyed() {
        window.LetGo();
        window.LetGo(); // WM_DESTROY after the close path
        windowAlive = false;
    }
};

TEST(UpdateJobShare, FreedOnceByTheLastHolderInEveryOrder) {
    std::vector<std::vector<Event>> bases = {
        {Event::Cancel, Event::PostedClose, Event::WorkerEnd},
        {Event::Cancel, Event::Destroy, Event::WorkerEnd},
        {Event::Commit, Event::Cancel, Event::PostedClose, Event::WorkerEnd},
    };
    int orders = 0;
    for (std::vector<Event> events : bases) {
        std::sort(events.begin(), events.end());
        do {
            Scenario run;
            std::string order;
            for (Event e : events) {
                order += std::string(Name(e)) + ", ";
                run.Apply(e);
                // Freed exactly when both have let go, never before.
                EXPECT_EQ(run.freed, !run.windowAlive && run.workerDone ? 1 : 0) << order;
            }
            if (run.windowAlive) run.Apply(Event::Destroy); // the program's end destroys a window Cancel left open
            EXPECT_EQ(run.freed, 1) << order;
            ++orders;
        } while (std::next_permutation(events.begin(), events.end()));
    }
    EXPECT_EQ(orders, 6 + 6 + 24);
}

TEST(UpdateJobShare, CancelIsIgnoredOnceTheUpdateIsApplied) {
    Scenario run;
    ASSERT_TRUE(run.job->share.Commit());
    run.Apply(Event::Cancel);
    EXPECT_TRUE(run.windowAlive);
    EXPECT_FALSE(run.job->share.CancelRequested());
    run.Apply(Event::PostedClose);
    run.Apply(Event::WorkerEnd);
    EXPECT_EQ(run.freed, 1);

    Scenario cancelled;
    cancelled.Apply(Event::Cancel);
    EXPECT_FALSE(cancelled.worker.get()->share.Commit());
    EXPECT_TRUE(cancelled.worker.get()->share.CancelRequested());
}

struct Closer {
    std::vector<void*> closed;
    static void Close(void* context, void* handle) { static_cast<Closer*>(context)->closed.push_back(handle); }
};

TEST(UpdateJobShare, TheSessionIsClosedOnceWhoeverComesFirst) {
    void* const session = reinterpret_cast<void*>(0x1000);
    void* const request = reinterpret_cast<void*>(0x2000);
    {
        UpdateJobShare share;
        Closer c;
        ASSERT_TRUE(share.AdoptSession(session, Closer::Close, &c));
        share.CloseInSession(request);
        EXPECT_TRUE(share.RequestCancel());
        share.CloseInSession(request); // closed with the session already
        share.CloseSession();
        EXPECT_EQ(c.closed, (std::vector<void*>{request, session}));
        (void)share.Release();
    }
    {
        UpdateJobShare share;
        Closer c;
        ASSERT_TRUE(share.AdoptSession(session, Closer::Close, &c));
        share.CloseSession();
        EXPECT_TRUE(share.RequestCancel());
        EXPECT_EQ(c.closed, (std::vector<void*>{session}));
    }
    {
        UpdateJobShare share;
        Closer c;
        EXPECT_TRUE(share.RequestCancel());
        EXPECT_FALSE(share.AdoptSession(session, Closer::Close, &c)) << "the worker closes it itself";
        EXPECT_TRUE(c.closed.empty());
    }
}

TEST(UpdateJobShare, CancelRacingTheWorkerClosesTheSessionOnce) {
    for (int i = 0; i < 300; ++i) {
        int freed = 0;
        auto* job = new TestJob(&freed);
        Closer c;
        void* const session = reinterpret_cast<void*>(0x1000);
        std::thread worker([&] {
            JobHold<TestJob> hold(job);
            if (!job->share.AdoptSession(session, Closer::Close, &c)) return;
            job->share.CloseInSession(reinterpret_cast<void*>(0x2000));
            (void)job->share.Commit();
            job->share.CloseSession();
        });
        {
            JobHold<TestJob> window(job);
            (void)window.CancelAndLetGo();
        }
        worker.join();
        EXPECT_EQ(freed, 1);
        EXPECT_EQ(std::count(c.closed.begin(), c.closed.end(), session), c.closed.empty() ? 0 : 1);
    }
}

} // namespace
