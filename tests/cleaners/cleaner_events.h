// Records the events of a Velmora cleaner as short texts, in the order raised:
// "CleanStart(-1)", "Op:Cleaning Temp Folder", "Showmsg(2,Permission denied)".
#pragma once

#include "com/client.h"

#include <string>
#include <vector>

namespace velmora::test {

class EventRecorder {
public:
    explicit EventRecorder(REFIID events)
        : sink_(events, [this](DISPID id, const DISPPARAMS& p) { Record(id, p); }) {}

    HRESULT Connect(IUnknown* cleaner) { return sink_.Connect(cleaner); }
    const std::vector<std::string>& Events() const { return events_; }
    void Clear() { events_.clear(); }
    // Only the captions, in order.
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (const auto& e : events_) {
            if (e.rfind("Op:", 0) == 0) out.push_back(e.substr(3));
        }
        return out;
    }
    // Everything but the captions.
    std::vector<std::string> Frame() const {
        std::vector<std::string> out;
        for (const auto& e : events_) {
            if (e.rfind("Op:", 0) != 0) out.push_back(e);
        }
        return out;
    }

private:
    void Record(DISPID id, const DISPPARAMS& p) {
        using tidvex::com::EventArgLong;
        using tidvex::com::EventArgText;
        switch (id) {
            case 1: events_.push_back("Op:" + EventArgText(p, 0)); break;
            case 2:
                events_.push_back("Showmsg(" + std::to_string(EventArgLong(p, 0)) + "," + EventArgText(p, 1) + ")");
                break;
            case 3: events_.push_back("CleanStart(" + std::to_string(EventArgLong(p, 0)) + ")"); break;
            case 4: events_.push_back("CleanAbort(" + std::to_string(EventArgLong(p, 0)) + ")"); break;
            case 5: events_.push_back("CleanEnd(" + std::to_string(EventArgLong(p, 0)) + ")"); break;
            default: events_.push_back("?" + std::to_string(id)); break;
        }
    }

    std::vector<std::string> events_;
    tidvex::com::EventSink sink_;
};

}  // namespace velmora::test
