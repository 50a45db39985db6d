#include "barrier.h"

#include "com_types.h"

namespace tidvex::com {

Seam<std::function<void()>> gMemberFault;

HRESULT ErrorHResult(std::int32_t number) {
    if (number < 0) return static_cast<HRESULT>(number);
    if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
    return E_FAIL;
}

RunTimeError CallError(HRESULT hr, std::string_view fallback) {
    std::string description;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) {
        Bstr text;
        if (SUCCEEDED(info->GetDescription(text.Put()))) description = text.Text();
    }
    if (description.empty()) description = fallback;
    const std::int32_t number =
        HRESULT_FACILITY(hr) == FACILITY_CONTROL ? HRESULT_CODE(hr) : static_cast<std::int32_t>(hr);
    return RunTimeError(number, description);
}

HRESULT ReportError(const RunTimeError& error, const ErrorTarget& target) noexcept {
    const HRESULT hr = ErrorHResult(error.Number());
    try {
        ComPtr<ICreateErrorInfo> create;
        if (FAILED(CreateErrorInfo(create.Put()))) return hr;
        std::wstring source = Widen(error.Source().empty() ? std::string_view(target.source) : error.Source());
        std::wstring description = Widen(error.Description());
        create->SetGUID(*target.iid);
        create->SetSource(source.data());
        create->SetDescription(description.data());
        if (auto info = create.As<IErrorInfo>()) SetErrorInfo(0, info.Get());
    } catch (...) {
        // No room left even for the texts: the caller still gets the number.
    }
    return hr;
}

HRESULT ReportCurrentError(const ErrorTarget& target) noexcept {
    try {
        return ReportError(CurrentError(), target);
    } catch (...) {
        return ErrorHResult(kOutOfMemory);
    }
}

}  // namespace tidvex::com
