#include "engine/library_cleaners.h"

#include "com/barrier.h"
#include "errors/run_time_error.h"

namespace tidvex::engine {

void ThrowLibraryError(HRESULT hr, const char* member) {
    throw com::CallError(hr, std::string("Automation error in ") + member);
}

void ThrowCannotCreate() { throw RunTimeError::Of(kCannotCreateObject); }

}  // namespace tidvex::engine
