// Holds a session's worker at a known point. The worker waits for no event
// handler, so a test cannot catch it from one; it does dispatch its thread's
// messages after each pass over a file and every few blocks of a fill, where
// it holds no lock. A gate made before a session starts hooks the worker's
// message retrieval as the worker's thread begins (the worker is the thread
// started at idle priority), and gives its first pump a message, so the hook
// runs there whatever the machine's load: the worker waits in it until the
// gate opens.
#pragma once

#include <windows.h>

#include <atomic>

namespace fraxil::test {

class WorkerGate {
public:
    WorkerGate();
    ~WorkerGate();
    WorkerGate(const WorkerGate&) = delete;
    WorkerGate& operator=(const WorkerGate&) = delete;

    // Waits until the worker is held at its first pump; false when it came to none in the time.
    bool Close(DWORD milliseconds = 30000);
    void Open();

    // Run by each thread of the process as it begins.
    static void OnThreadStart();

private:
    static LRESULT CALLBACK Hook(int code, WPARAM w, LPARAM l);

    static inline std::atomic<WorkerGate*> current_{nullptr};
    static inline std::atomic<int> inside_{0};
    HANDLE held_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE open_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

}  // namespace fraxil::test
