// A session: one run of shredding of one kind (0 files and folders, 1 free space
// of drives, 2 Recycle Bin) over the items of the lists, on a worker thread of
// its own at idle priority in the multithreaded apartment; its states, its
// abort, and the command-line form that builds one.
//
// Only one worker ever runs: a session is started again only after the work of
// the previous one has ended (an aborted worker still removes its temporary
// files). The worker holds what the caller gives it for its whole run (the COM
// object and the library), so releasing the object during a session frees
// nothing that the worker uses.
#pragma once

#include "handles/handles.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace fraxil {

class ShredderCore;

enum SessionStateValue : long { kSessionIdle = 0, kSessionRunning = 1, kSessionAborted = 2, kSessionCompleted = 3 };

// What a worker keeps alive until it has ended. Made on the caller's thread;
// told when the worker starts, and let go at its end, on the worker's thread.
class WorkerHold {
public:
    virtual ~WorkerHold() = default;
    virtual void WorkerStarted() {}
};
using HoldFactory = std::function<std::unique_ptr<WorkerHold>()>;

class SessionRunner {
public:
    explicit SessionRunner(ShredderCore& core);
    ~SessionRunner();
    SessionRunner(const SessionRunner&) = delete;
    SessionRunner& operator=(const SessionRunner&) = delete;

    void SetHoldFactory(HoldFactory factory) { holdFactory_ = std::move(factory); }

    long State() const { return state_; }
    // 1 done; 0 while a session runs (37001 stored, not fired).
    long NewSession();
    // 1 started; 0 while a session runs, or while the work of an aborted one
    // cannot be waited for (37001 stored).
    long StartSession();
    // 1 done; 0 without a running session (error 37018).
    long AbortSession();
    // Builds a session from CommandLineString and starts it. 1 whatever the
    // text held; 0 while a session runs (37001 stored).
    long ProcessCommandLine();

    // Idle again (as Initialize leaves it) unless a worker still works; the
    // abort flag is cleared with it. False when the state was kept.
    bool ReturnToIdle();

    // Waits until the worker's work is over, dispatching this thread's messages
    // meanwhile; false when that did not happen within the time.
    bool WaitForWork(DWORD milliseconds);

    // For the last reference from outside, on its thread, while a worker holds
    // the object: the worker's session gets kLetFinish to end by itself, then
    // it is aborted and gets kLetCleanUp to close and delete what it made and
    // end; this thread's messages are dispatched meanwhile. It is not waited
    // for from inside one of its events (it waits for that to return).
    static constexpr DWORD kLetFinish = 10000, kLetCleanUp = 20000;
    void EndBeforeRelease();
    // Whether a worker thread exists that has not ended yet.
    bool WorkerAlive() const;

private:
    enum class Wait { Done, TimedOut, InsideEvent };
    // Waits for `what`, dispatching this thread's messages; InsideEvent when a
    // delivery of the worker's does not move on meanwhile: this thread is inside
    // the handler the worker waits for.
    Wait Await(HANDLE what, DWORD milliseconds);
    void ResetSession();
    // False when the previous worker's work could not be waited for.
    bool EndPreviousWork();
    void Refuse();
    static DWORD WINAPI ThreadProc(void* start);
    void RunWork();
    void FinishSession();
    void ShredFilesAndFolders();
    void ShredFileList();
    void ShredFolderList();
    uint64_t PlannedBytesOfLists() const;
    // The items of a "1?" text; none (reported) for a path with blanks that names nothing.
    std::vector<std::wstring> ItemsOfCommandText(const std::wstring& text);
    void BuildSessionFromCommandLine(const std::vector<std::wstring>& items);

    ShredderCore& core_;
    HoldFactory holdFactory_;
    std::atomic<long> state_{kSessionIdle};
    std::atomic<bool> busy_{false};  // a member that waits is running on the caller's thread
    mutable std::mutex mu_;          // guards the worker's handles
    tidvex::handles::KernelObject thread_;
    DWORD threadId_ = 0;
    tidvex::handles::KernelObject workDone_;  // set when the worker's work is over
};

}  // namespace fraxil
