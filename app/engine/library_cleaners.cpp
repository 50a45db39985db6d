#include "engine/library_cleaners.h"

#include "errors/run_time_errors.h"
#include "services/logger.h"

namespace tidvex::engine {

void ThrowLibraryError(HRESULT hr, const char* member) {
    // The library's own text for the failure, when it left one.
    std::string description;
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) {
        BSTR text = nullptr;
        if (SUCCEEDED(info->GetDescription(&text))) description = com::Narrow(text);
        SysFreeString(text);
    }
    if (description.empty()) description = std::string("Automation error in ") + member;
    // A run-time error that crossed as an Automation failure keeps its own number.
    const std::int32_t number =
        HRESULT_FACILITY(hr) == FACILITY_CONTROL ? HRESULT_CODE(hr) : static_cast<std::int32_t>(hr);
    throw services::AppError(number, description);
}

void ThrowCannotCreate() {
    constexpr std::int32_t kCannotCreate = 429;
    throw services::AppError(kCannotCreate, RunTimeErrorText(kCannotCreate));
}

}  // namespace tidvex::engine
