#include "worker_gate.h"

namespace fraxil::test {

WorkerGate::WorkerGate() { current_ = this; }

WorkerGate::~WorkerGate() {
    Open();
    while (inside_ > 0) Sleep(1);  // a hook that took this gate leaves it first
    CloseHandle(held_);
    CloseHandle(open_);
}

bool WorkerGate::Close(DWORD milliseconds) { return WaitForSingleObject(held_, milliseconds) == WAIT_OBJECT_0; }

void WorkerGate::Open() {
    SetEvent(open_);
    current_ = nullptr;
}

void WorkerGate::OnThreadStart() {
    if (!current_ || GetThreadPriority(GetCurrentThread()) != THREAD_PRIORITY_IDLE) return;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the message below
    // Set by the thread on itself: a hook set from another thread on one that
    // has just begun may never be called there. The hook goes with the thread.
    if (SetWindowsHookExW(WH_GETMESSAGE, &Hook, nullptr, GetCurrentThreadId()))
        PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

LRESULT CALLBACK WorkerGate::Hook(int code, WPARAM w, LPARAM l) {
    ++inside_;
    WorkerGate* gate = current_;
    if (gate && code == HC_ACTION && WaitForSingleObject(gate->held_, 0) != WAIT_OBJECT_0 &&
        WaitForSingleObject(gate->open_, 0) != WAIT_OBJECT_0) {
        SetEvent(gate->held_);
        WaitForSingleObject(gate->open_, INFINITE);
    }
    --inside_;
    return CallNextHookEx(nullptr, code, w, l);
}

namespace {

// Runs on each new thread before its own code, the only moment a hook can be
// set on the worker before it first looks for messages.
void NTAPI OnThreadAttach(PVOID, DWORD reason, PVOID) {
    if (reason == DLL_THREAD_ATTACH) WorkerGate::OnThreadStart();
}

}  // namespace

}  // namespace fraxil::test

extern "C" {
__attribute__((section(".CRT$XLF"), used)) PIMAGE_TLS_CALLBACK tidvexWorkerGateThreadStart =
    &fraxil::test::OnThreadAttach;
}
