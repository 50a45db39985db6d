// Benchmark driver: shreds the named files with one wiping method through the
// registered Fraxil.Shredder and prints, for each file, its size and the seconds
// the shredding took.
//
//   shredbench.exe <method 0-4> <file>...
//
// The files go through a session of the registered object (AddFile, StartSession,
// SessionCompleted). A Fraxil that refuses sessions is driven through the same
// core that serves its class, in this process, configured like the object.
#include "Fraxil.h"
#include "shredder_core.h"

#include "com/client.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace tidvex::com;
using Clock = std::chrono::steady_clock;

class QuietEvents final : public fraxil::ShredderEvents {
public:
    long errors = 0;
    void OnMessage(const std::string&) override {}
    void OnErrorMessage(const std::string& text, long number) override {
        ++errors;
        std::fprintf(stderr, "error %ld: %s\n", number, text.c_str());
    }
    void OnCurrentItemShredded(const std::string&) override {}
    void OnCurrentProgress(long) override {}
    void OnCurrentTotalProgress(long) override {}
    void OnSessionCompleted() override {}
};

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
}

// Returns the seconds taken, or a negative value when sessions are refused.
double ShredBySession(IShredder* shredder, const std::string& path, bool& failed) {
    LONG out = 0;
    shredder->NewSession(&out);
    if (shredder->put_SessionType(0) != S_OK || shredder->AddFile(Bstr(path).Get(), &out) != S_OK || out != 1)
        return -1;
    bool completed = false;
    long errors = 0;
    EventSink sink(DIID__IShredderEvents, [&](DISPID id, const DISPPARAMS& p) {
        if (id == 6) completed = true;
        if (id == 2) {
            ++errors;
            std::fprintf(stderr, "error %ld: %s\n", EventArgLong(p, 1), EventArgText(p, 0).c_str());
        }
    });
    sink.Connect(shredder);
    auto start = Clock::now();
    if (shredder->StartSession(&out) != S_OK || out != 1) return -1;
    MSG msg;
    while (!completed) {
        LONG state = 0;
        shredder->get_SessionState(&state);
        if (state == 2) break;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    sink.Disconnect();
    failed = errors > 0 || !completed;
    return seconds;
}

double ShredByCore(short method, const std::string& path, bool& failed) {
    QuietEvents events;
    fraxil::ShredderCore core(events);
    if (core.Initialize() != 1 || !core.Settings().SetShredMethod(method)) {
        failed = true;
        return 0;
    }
    uint64_t size = FileSize(path);
    const size_t passes = core.Algorithms().PassesOf(static_cast<size_t>(method)).size();
    core.Wiper().ResetProgress(size * static_cast<uint64_t>(passes));
    auto start = Clock::now();
    core.Wiper().ShredFile({path});
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    failed = events.errors > 0;
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: shredbench.exe <method 0-4> <file>...\n");
        return 2;
    }
    ComInit com;
    const short method = static_cast<short>(std::atoi(argv[1]));
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
    int rc = 0;
    for (int i = 2; i < argc; ++i) {
        std::string path = argv[i];
        uint64_t size = FileSize(path);
        bool failed = false;
        const char* via = "session";
        double seconds = ShredBySession(shredder.Get(), path, failed);
        if (seconds < 0) {
            via = "core";
            seconds = ShredByCore(method, path, failed);
        }
        if (failed || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::fprintf(stderr, "%s was not shredded\n", path.c_str());
            rc = 1;
        }
        std::printf("%s %llu %.6f %s\n", path.c_str(), static_cast<unsigned long long>(size), seconds, via);
    }
    return rc;
}
