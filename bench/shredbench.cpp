// Benchmark driver: shreds through sessions of the registered Fraxil.Shredder,
// with a sink connected to its events as a real caller has one (unless
// BENCH_NO_SINK is set and not empty), and prints what each session did, the
// seconds it took and the events the sink received.
//
//   shredbench.exe <method 0-4> <file>...           one files session per file:
//                                                    "<path> <size> <seconds> session <events>"
//   shredbench.exe folder <method 0-4> <folder>      one folders session (subfolders
//                                                    too): "folder <files> <seconds> <events>"
//   shredbench.exe freespace <method 0-4> <root>     one free-space session on the
//                                                    drive: "freespace <bytes> <seconds> <events>"
#include "Fraxil.h"

#include "com/client.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace tidvex::com;
using Clock = std::chrono::steady_clock;

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
}

long CountFiles(const std::string& folder) {
    long n = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!std::strcmp(fd.cFileName, ".") || !std::strcmp(fd.cFileName, "..")) continue;
        n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(folder + "\\" + fd.cFileName) : 1;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

struct Outcome {
    double seconds = 0;
    long events = 0;
    bool failed = true;
};

// Starts the session set up in the object and dispatches messages until it
// completes, as the main program's GUI thread does.
Outcome RunSession(IShredder* shredder) {
    Outcome outcome;
    bool completed = false;
    long errors = 0;
    EventSink sink(DIID__IShredderEvents, [&](DISPID id, const DISPPARAMS& p) {
        ++outcome.events;
        if (id == 6) completed = true;
        if (id == 2) {
            ++errors;
            std::fprintf(stderr, "error %ld: %s\n", EventArgLong(p, 1), EventArgText(p, 0).c_str());
        }
    });
    // BENCH_NO_SINK=1 measures the work without events: the end is then seen in the state.
    const char* noSink = std::getenv("BENCH_NO_SINK");
    const bool withSink = !noSink || !*noSink;
    if (withSink) sink.Connect(shredder);
    LONG out = 0;
    auto start = Clock::now();
    if (shredder->StartSession(&out) != S_OK || out != 1) return outcome;
    MSG msg;
    while (!completed) {
        LONG state = 0;
        shredder->get_SessionState(&state);
        if (state == 2) break;
        if (!withSink && state == 3) completed = true;
        // Without a sink only the state tells the end: it is looked at every millisecond.
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, withSink ? 50 : 1, QS_ALLINPUT) == WAIT_OBJECT_0) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    sink.Disconnect();
    outcome.failed = errors > 0 || !completed;
    return outcome;
}

void NewSessionOfType(IShredder* shredder, LONG type) {
    LONG out = 0;
    shredder->NewSession(&out);
    shredder->put_SessionType(type);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: shredbench.exe [folder|freespace] <method 0-4> <item>...\n");
        return 2;
    }
    ComInit com;
    std::string mode = "file";
    int first = 1;
    if (!std::strcmp(argv[1], "folder") || !std::strcmp(argv[1], "freespace")) {
        mode = argv[1];
        first = 2;
    }
    if (argc < first + 2) return 2;
    const short method = static_cast<short>(std::atoi(argv[first]));
    HRESULT hr = E_FAIL;
    auto shredder = CreateByProgId<IShredder>(L"Fraxil.Shredder", &hr);
    if (!shredder) {
        std::fprintf(stderr, "Fraxil.Shredder cannot be created (0x%08lX): is Fraxil.dll registered?\n", hr);
        return 1;
    }
    LONG ok = 0;
    if (shredder->Initialize(&ok) != S_OK || ok != 1 || shredder->put_ShredMethod(method) != S_OK) {
        std::fprintf(stderr, "Fraxil.Shredder refused to initialise or method %d\n", method);
        return 1;
    }
    shredder->put_ShredderApplicationName(Bstr("shredbench").Get());
    int rc = 0;
    if (mode == "folder") {
        const std::string folder = argv[first + 1];
        const long files = CountFiles(folder);
        NewSessionOfType(shredder.Get(), 0);
        shredder->put_ShredSubFolder(1);
        shredder->put_RemoveSubFolder(1);
        shredder->AddFolder(Bstr(folder).Get(), &ok);
        Outcome o = RunSession(shredder.Get());
        if (o.failed || CountFiles(folder) != 0) rc = 1;
        std::printf("folder %ld %.6f %ld\n", files, o.seconds, o.events);
    } else if (mode == "freespace") {
        const std::string root = argv[first + 1];
        NewSessionOfType(shredder.Get(), 1);
        shredder->AddDrive(Bstr(root).Get(), &ok);
        ULARGE_INTEGER freeBefore{};
        GetDiskFreeSpaceExA(root.c_str(), &freeBefore, nullptr, nullptr);
        Outcome o = RunSession(shredder.Get());
        if (o.failed) rc = 1;
        std::printf("freespace %llu %.6f %ld\n", static_cast<unsigned long long>(freeBefore.QuadPart), o.seconds,
                    o.events);
    } else {
        for (int i = first + 1; i < argc; ++i) {
            const std::string path = argv[i];
            const uint64_t size = FileSize(path);
            NewSessionOfType(shredder.Get(), 0);
            shredder->AddFile(Bstr(path).Get(), &ok);
            Outcome o = RunSession(shredder.Get());
            if (o.failed || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
                std::fprintf(stderr, "%s was not shredded\n", path.c_str());
                rc = 1;
            }
            std::printf("%s %llu %.6f session %ld\n", path.c_str(), static_cast<unsigned long long>(size), o.seconds,
                        o.events);
        }
    }
    std::fflush(stdout);
    return rc;
}
