// A process of its own that wipes the free space of a drive through the
// registered Shredder and then ends in one of the ways a real caller may, for
// the tests of what a wipe leaves behind:
//
//   fraxil_child release <drive>        aborts at 5 %, lets the object go, leaves COM, ends at once
//   fraxil_child release-inside <drive> at 5 %, inside the event, lets the object go and ends the
//                                       process there and then, without aborting
//   fraxil_child stop-pumping <drive>   aborts at 5 % and never dispatches a message again; ends when
//                                       the temporary folder is gone (0) or after 30 s (1)
//   fraxil_child thread-ends <drive>    a thread of its own runs the session and aborts at 5 %, then
//                                       ends; the process ends when the folder is gone (0) or after 30 s (1)
//   fraxil_child killed <drive>         overwrites the filled drive in seven passes and is killed
//                                       while the drive is full (ends with 99; 3 when it never filled)
#include "Fraxil.h"

#include "com/client.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

using tidvex::com::Bstr;
using tidvex::com::ComPtr;

enum EventId : DISPID { kTotal = 5 };

std::wstring Folder(const std::wstring& drive) { return drive + L"SHREDTMP.$$$"; }

bool Gone(const std::wstring& path) { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

bool Full(const std::wstring& drive) {
    ULARGE_INTEGER free{};
    return GetDiskFreeSpaceExW(drive.c_str(), &free, nullptr, nullptr) && free.QuadPart < 65536;
}

// Waits without dispatching a message until the folder is gone.
int WaitUntilGone(const std::wstring& folder) {
    for (int i = 0; i < 300; ++i) {
        if (Gone(folder)) return 0;
        Sleep(100);
    }
    std::printf("the temporary folder is still there\n");
    return 1;
}

// Ends the process as a kill from outside would (nothing of it runs on) once
// the drive is full; the seven passes over it leave ample time to see that.
bool KilledWhileFull(const std::wstring& drive) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(1)) {
        if (Full(drive)) TerminateProcess(GetCurrentProcess(), 99);
    }
    return false;
}

// Starts a free-space session on the drive with a sink that aborts it at 5 %
// (or, releasing inside, lets the object go at 5 % and ends the process), and
// dispatches messages until it aborted; when killed, it is killed while the
// full drive is overwritten instead. The object and the sink are handed back.
bool RunUntilAbort(const std::wstring& drive, bool killed, ComPtr<IShredder>& obj, tidvex::com::EventSink*& sink,
                   bool releaseInside = false) {
    obj = tidvex::com::CreateByProgId<IShredder>(L"Fraxil.Shredder");
    if (!obj) return false;
    bool aborted = false;
    auto handler = [&, killed, releaseInside](DISPID id, const DISPPARAMS& p) {
        if (releaseInside) {
            if (id != kTotal || tidvex::com::EventArgLong(p, 0) < 5) return;
            sink->Disconnect();
            obj.Reset();
            ExitProcess(0);
        }
        if (killed) return;
        if (id == kTotal && tidvex::com::EventArgLong(p, 0) >= 5 && !aborted) {
            LONG out = 0;
            obj->AbortSession(&out);
            aborted = true;
        }
    };
    sink = new tidvex::com::EventSink(DIID__IShredderEvents, handler);
    LONG out = 0;
    if (sink->Connect(obj.Get()) != S_OK || obj->Initialize(&out) != S_OK || out != 1) return false;
    obj->put_SessionType(1);
    obj->put_ShredMethod(killed ? 4 : 0);  // seven passes over the full drive to be killed in
    obj->AddDrive(Bstr(std::wstring_view(drive)).Get(), &out);
    if (obj->StartSession(&out) != S_OK || out != 1) return false;
    if (killed) return KilledWhileFull(drive);
    const DWORD start = GetTickCount();
    MSG msg;
    while (!aborted && GetTickCount() - start < 30000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return aborted;
}

struct ThreadArgs {
    std::wstring drive;
    bool aborted = false;
};

DWORD WINAPI SessionThread(void* p) {
    auto* args = static_cast<ThreadArgs*>(p);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<IShredder> obj;
    tidvex::com::EventSink* sink = nullptr;
    args->aborted = RunUntilAbort(args->drive, false, obj, sink);
    // The thread ends holding the object and its connection, as a caller that
    // forgot them would.
    obj.Detach();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 3) return 2;
    const std::wstring mode = argv[1], drive = argv[2];
    if (mode == L"thread-ends") {
        ThreadArgs args{drive};
        HANDLE thread = CreateThread(nullptr, 0, &SessionThread, &args, 0, nullptr);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        if (!args.aborted) return 3;
        return WaitUntilGone(Folder(drive));
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<IShredder> obj;
    tidvex::com::EventSink* sink = nullptr;
    if (!RunUntilAbort(drive, mode == L"killed", obj, sink, mode == L"release-inside")) return 3;
    if (mode == L"stop-pumping") return WaitUntilGone(Folder(drive));
    // "release": what a program does when it is closed after Stop.
    sink->Disconnect();
    delete sink;
    obj.Reset();
    CoUninitialize();
    return 0;
}
