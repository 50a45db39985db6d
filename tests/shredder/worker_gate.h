// Holds a session's worker at a known point. The worker waits for no event
// handler, so a test cannot catch it from one; it does dispatch its thread's
// messages after each pass over a file and every few blocks of a fill, where
// it holds no lock. A message hook on its thread runs there and waits until
// the gate opens. The worker is the thread of this process at idle priority
// that was made after the gate (thread ids are given again).
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <atomic>
#include <functional>
#include <vector>

namespace fraxil::test {

class WorkerGate {
public:
    // Made before the session starts. `when`, asked on the worker's thread at
    // each of its pumps, chooses the one it is held at.
    explicit WorkerGate(std::function<bool()> when = [] { return true; }) : when_(std::move(when)) {
        GetSystemTimeAsFileTime(&made_);
    }
    ~WorkerGate() {
        Open();
        while (inside_ > 0) Sleep(1);  // a hook that took this gate leaves it first
        CloseHandle(held_);
        CloseHandle(open_);
    }
    WorkerGate(const WorkerGate&) = delete;
    WorkerGate& operator=(const WorkerGate&) = delete;

    // Holds the worker at its next chosen pump; false when it came to none in the time.
    bool Close(DWORD milliseconds = 30000) {
        ResetEvent(open_);
        ResetEvent(held_);
        current_ = this;
        std::vector<DWORD> workers;
        int seen = -1;
        DWORD posted = 0;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < milliseconds;) {
            if (workers.empty()) workers = Workers();
            // A message for its next pump, where the hook sees it: the next one
            // once that was seen (or lost), so that the pump is not kept busy.
            const bool post = seen != seen_ || GetTickCount() - posted >= kRepost;
            for (DWORD thread : workers) {
                // A hook set on a thread that has not yet begun to run may never
                // be called there: one more is set each round, the first to
                // be called holds the worker, and the others let it pass.
                if (hooks_.size() < kMostHooks) {
                    if (HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, &Hook, nullptr, thread)) hooks_.push_back(hook);
                }
                if (post) PostThreadMessageW(thread, WM_NULL, 0, 0);
            }
            if (post && !workers.empty()) {
                seen = seen_;
                posted = GetTickCount();
            }
            if (WaitForSingleObject(held_, 2) == WAIT_OBJECT_0) return true;
        }
        return false;
    }

    void Open() {
        SetEvent(open_);
        Unhook();
        current_ = nullptr;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM w, LPARAM l) {
        ++inside_;
        ++seen_;
        WorkerGate* gate = current_;
        if (gate && code == HC_ACTION && WaitForSingleObject(gate->held_, 0) != WAIT_OBJECT_0 &&
            WaitForSingleObject(gate->open_, 0) != WAIT_OBJECT_0 && gate->when_()) {
            SetEvent(gate->held_);
            WaitForSingleObject(gate->open_, INFINITE);
        }
        --inside_;
        return CallNextHookEx(nullptr, code, w, l);
    }

    void Unhook() {
        for (HHOOK hook : hooks_) UnhookWindowsHookEx(hook);
        hooks_.clear();
    }

    std::vector<DWORD> Workers() const {
        std::vector<DWORD> found;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return found;
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID == GetCurrentProcessId() && IsWorker(entry.th32ThreadID))
                found.push_back(entry.th32ThreadID);
        }
        CloseHandle(snapshot);
        return found;
    }

    bool IsWorker(DWORD id) const {
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
        if (!thread) return false;
        FILETIME made, ended, kernel, user;
        const bool worker = GetThreadPriority(thread) == THREAD_PRIORITY_IDLE &&
                            GetThreadTimes(thread, &made, &ended, &kernel, &user) && CompareFileTime(&made, &made_) >= 0;
        CloseHandle(thread);
        return worker;
    }

    static constexpr size_t kMostHooks = 8;
    static constexpr DWORD kRepost = 20;
    static inline std::atomic<WorkerGate*> current_{nullptr};
    static inline std::atomic<int> inside_{0}, seen_{0};
    std::function<bool()> when_;
    FILETIME made_{};
    HANDLE held_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE open_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<HHOOK> hooks_;
};

}  // namespace fraxil::test
