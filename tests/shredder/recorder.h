// Records what the shredder's core raises, in order, and lets a test act while an
// event is being delivered (read the file being overwritten, ask for an abort).
#pragma once

#include "shredder_core.h"

#include "text/text.h"

#include <functional>
#include <string>
#include <vector>

namespace fraxil::test {

// A request for a path given in the system code page.
inline ShredRequest Req(const std::string& path, int quietLevel = 0) {
    ShredRequest r;
    r.path = tidvex::text::Wide(path);
    r.quietLevel = quietLevel;
    return r;
}

enum class Ev { Message, Error, Item, Progress, Total, Completed };

struct Event {
    Ev kind;
    std::string text;
    long number = 0;
};

class Recorder final : public ShredderEvents {
public:
    std::vector<Event> events;
    std::function<void(const Event&)> onEvent;

    void OnMessage(const std::string& t) override { Add({Ev::Message, t}); }
    void OnErrorMessage(const std::string& t, long n) override { Add({Ev::Error, t, n}); }
    void OnCurrentItemShredded(const std::string& t) override { Add({Ev::Item, t}); }
    void OnCurrentProgress(long p) override { Add({Ev::Progress, {}, p}); }
    void OnCurrentTotalProgress(long p) override { Add({Ev::Total, {}, p}); }
    void OnSessionCompleted() override { Add({Ev::Completed, {}, 0}); }

    std::vector<Event> Of(Ev kind) const {
        std::vector<Event> r;
        for (const Event& e : events)
            if (e.kind == kind) r.push_back(e);
        return r;
    }

private:
    void Add(Event e) {
        events.push_back(e);
        if (onEvent) onEvent(events.back());
    }
};

// Starts the session set up in the core and waits until its worker has gone:
// the work is over before the completion is raised, and the recorder is
// written on the worker's thread until then.
inline bool RunSession(ShredderCore& core, DWORD milliseconds = 30000) {
    if (core.Session().StartSession() != 1 || !core.Session().WaitForWork(milliseconds)) return false;
    const DWORD start = GetTickCount();
    while (core.Session().WorkerAlive()) {
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(1);
    }
    return true;
}

}  // namespace fraxil::test
