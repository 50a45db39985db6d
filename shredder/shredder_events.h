// What the shredder raises; the COM class fires each to its connected sinks.
#pragma once

#include <string>

namespace fraxil {

class ShredderEvents {
public:
    virtual void OnMessage(const std::string& text) = 0;
    virtual void OnErrorMessage(const std::string& text, long number) = 0;
    virtual void OnCurrentItemShredded(const std::string& item) = 0;
    virtual void OnCurrentProgress(long percent) = 0;
    virtual void OnCurrentTotalProgress(long percent) = 0;
    // The session's percentage as its last word (it is always heard).
    virtual void OnFinalTotalProgress(long percent) { OnCurrentTotalProgress(percent); }
    virtual void OnSessionCompleted() = 0;

protected:
    ~ShredderEvents() = default;
};

}  // namespace fraxil
