// The library's service classes General, INI, OS and System.
#include "classes.h"

#include "platform.h"
#include "registry_factory.h"

#include "text/text.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace velmora {

using tidvex::com::AllocBstr;
using tidvex::com::Narrow;
using tidvex::registry::kCurrentUser;
using tidvex::registry::kLocalMachine;

namespace {

// The INI members take and give names as they are: the narrow profile calls
// would best-fit them to another section's, key's or file's name.
std::wstring WideText(const BSTR* b) { return b && *b ? std::wstring(*b, SysStringLen(*b)) : std::wstring(); }

// A platform buffer handed back whole: what the call returned, then NUL padding
// up to the buffer's size (never what the buffer held beyond the returned length).
std::wstring WholeBuffer(const wchar_t* buf, DWORD returned, size_t size) {
    std::wstring out(buf, std::min<size_t>(returned, size));
    out.resize(size, L'\0');
    return out;
}

// The profile calls take a file whose full path fits in MAX_PATH characters and
// texts of fewer than 32,767 characters. Past that they read memory they do not
// own (the host process ends), or take a text they cannot convert for none at
// all: a key of none deletes its whole section, a section of none lists every
// section. A call they cannot take is not made: a member answers as it does
// for a file that is not there.
constexpr size_t kLongestProfileText = 32766;

bool ProfileCallsTake(const std::wstring& path, std::initializer_list<std::wstring_view> texts) {
    if (path.size() >= MAX_PATH) return false;
    if (GetFullPathNameW(path.c_str(), 0, nullptr, nullptr) > MAX_PATH) return false;
    return std::all_of(texts.begin(), texts.end(),
                       [](std::wstring_view text) { return text.size() <= kLongestProfileText; });
}

const char* const kStartupKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
};

}  // namespace

// ---- General ----

STDMETHODIMP General::get_DLLName(VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    return Member(__uuidof(_General), [&] {
        V_BSTR(value) = AllocBstr(dllName_);
        V_VT(value) = VT_BSTR;
    });
}

STDMETHODIMP General::put_DLLName(VARIANT value) {
    return Member(__uuidof(_General), [&] {
        tidvex::com::Variant text;
        HRESULT hr = VariantChangeType(text.Get(), &value, VARIANT_ALPHABOOL, VT_BSTR);
        if (FAILED(hr)) return hr;
        dllName_ = text.AsText();
        return S_OK;
    });
}

// ---- INI ----

STDMETHODIMP INI::GetFromINI(BSTR* File_Path, BSTR* Section, BSTR* key, BSTR* result) {
    return OutText(__uuidof(_INI), result, [&] {
        const std::wstring file = WideText(File_Path), section = WideText(Section), name = WideText(key);
        return ProfileCallsTake(file, {section, name}) ? IniRead(file, section, name) : std::wstring();
    });
}

STDMETHODIMP INI::WriteToINI(BSTR* File_Path, BSTR* Section, BSTR* key, BSTR* value, VARIANT* result) {
    if (result) VariantInit(result);
    return Member(__uuidof(_INI), [&] {
        const std::wstring file = WideText(File_Path), section = WideText(Section), name = WideText(key),
                           text = WideText(value);
        if (ProfileCallsTake(file, {section, name, text}))
            WritePrivateProfileStringW(section.c_str(), name.c_str(), text.c_str(), file.c_str());
    });
}

STDMETHODIMP INI::EnumerateSections(BSTR* File_Path, BSTR* result) {
    return OutText(__uuidof(_INI), result, [&] {
        const std::wstring file = WideText(File_Path);
        std::vector<wchar_t> buf(5000, L'\0');
        DWORD n = 0;
        if (ProfileCallsTake(file, {}))
            n = GetPrivateProfileSectionNamesW(buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
        return WholeBuffer(buf.data(), n, buf.size());
    });
}

STDMETHODIMP INI::Enumeratekeys(BSTR* File_Path, BSTR* Section, BSTR* result) {
    return OutText(__uuidof(_INI), result, [&] {
        const std::wstring file = WideText(File_Path), section = WideText(Section);
        std::vector<wchar_t> buf(5000, L'\0');
        DWORD n = 0;
        if (ProfileCallsTake(file, {section}))
            n = GetPrivateProfileSectionW(section.c_str(), buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
        return WholeBuffer(buf.data(), n, buf.size());
    });
}

// ---- OS ----

long OperatingSystemOf(const OSVERSIONINFOA& v) {
    switch (v.dwPlatformId) {
        case 1:
            switch (v.dwMinorVersion) {
                case 0: return 1;
                case 10: return 2;
                case 90: return 3;
                default: return 0;
            }
        case 2:
            if (v.dwMajorVersion < 5) return 4;
            if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) return 5;
            if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) return 6;
            return 0;
        default:
            return 0;
    }
}

long CurrentOperatingSystem() { return OperatingSystemOf(CurrentPlatform().Version()); }

STDMETHODIMP OS::OperatingSystem(LONG* result) {
    return Out(__uuidof(_OS), result, [] { return CurrentOperatingSystem(); });
}

// ---- System ----

System::System() { favorites_ = ShellFolder("Favorites"); }

STDMETHODIMP System::getWDirectory(BSTR* result) {
    return OutText(__uuidof(_System), result, [] { return WindowsDirectory(200); });
}

std::wstring FavoritesDirectory(const std::wstring& favoritesShellFolder) {
    switch (CurrentOperatingSystem()) {
        case 2:
        case 3: return WindowsDirectory(200) + L"\\favorites";
        case 6: return favoritesShellFolder;
        default: return {};
    }
}

STDMETHODIMP System::getFavoritesDirectory(BSTR* result) {
    return OutText(__uuidof(_System), result, [&] { return FavoritesDirectory(favorites_); });
}

STDMETHODIMP System::Enumerate_Drives(BSTR* result) {
    return OutText(__uuidof(_System), result, [] {
        wchar_t buf[255] = {};
        DWORD n = GetLogicalDriveStringsW(ARRAYSIZE(buf), buf);
        return WholeBuffer(buf, n < ARRAYSIZE(buf) ? n : 0, ARRAYSIZE(buf));
    });
}

STDMETHODIMP System::Enumerate_Startup(BSTR* result, BSTR* P, VARIANT* ret) {
    if (ret) VariantInit(ret);
    if (!result || !P) return E_POINTER;
    return Member(__uuidof(_System), [&] {
        std::string names = Narrow(*result);
        std::string data = Narrow(*P);
        try {
            auto reg = MakeRegistry();
            auto list = [&](std::int32_t hive, const char* key) {
                reg.ClassKey(hive);
                reg.SectionKey(key);
                std::vector<std::string> values;
                std::int32_t count = 0;
                reg.EnumerateValues(values, count);
                for (const std::string& name : values) {
                    reg.ValueKey(name);
                    names += "|" + name;
                    data += "|" + reg.value().Text();
                }
            };
            list(kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
            list(kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
            for (const char* key : kStartupKeys) list(kLocalMachine, key);
        } catch (...) {
            CurrentPlatform().ShowMessage(tidvex::CurrentError().Description());
        }
        // What was listed before a failure stays in the two lists.
        tidvex::com::Bstr listedNames(names), listedData(data);
        SysFreeString(*result);
        *result = listedNames.Detach();
        SysFreeString(*P);
        *P = listedData.Detach();
    });
}

STDMETHODIMP System::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excep, UINT* argErr) {
    constexpr DISPID kEnumerateUninstall = 5;
    if (id != kEnumerateUninstall || !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) {
        return Dispatch<_System>::Invoke(id, iid, lcid, flags, params, result, excep, argErr);
    }
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (result) VariantInit(result);
    return Member(__uuidof(_System), [&] {
        tidvex::com::ComPtr<ITypeInfo> type;
        tidvex::com::ComPtr<IRecordInfo> info;
        HRESULT hr = tidvex::com::Module::Instance().GetTypeInfo(kUnInstallRecord, type.Put());
        if (SUCCEEDED(hr)) hr = GetRecordInfoFromTypeInfo(type.Get(), info.Put());
        if (FAILED(hr)) return hr;
        UnInstall lists{};
        ListUninstall(lists);
        if (result) {
            void* record = nullptr;
            hr = info->RecordCreateCopy(&lists, &record);
            if (SUCCEEDED(hr)) {
                V_VT(result) = VT_RECORD;
                V_RECORD(result) = record;
                V_RECORDINFO(result) = info.Detach();
            }
        }
        SysFreeString(lists.program_name);
        SysFreeString(lists.uninstall_Path);
        return hr;
    });
}

STDMETHODIMP System::Enumerate_Uninstall(UnInstall* result) {
    if (!result) return E_POINTER;
    *result = UnInstall{};
    return Member(__uuidof(_System), [&] { ListUninstall(*result); });
}

void System::ListUninstall(UnInstall& result) {
    std::string names;
    std::string paths;
    try {
        constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
        auto reg = MakeRegistry();
        reg.ClassKey(kLocalMachine);
        for (const std::string& key : SubkeyNames(kLocalMachine, kUninstall)) {
            reg.SectionKey(kUninstall + key);
            reg.ValueKey("DisplayName");
            std::string name = reg.value().Text();
            if (tidvex::text::Trim(name).empty()) continue;
            names += "|" + name;
            reg.ValueKey("UninstallString");
            std::string path = reg.value().Text();
            size_t quote = path.find('"');
            if (quote != std::string::npos && quote != 0) path = tidvex::text::Trim(path.substr(0, quote));
            paths += "|" + path;
        }
        names = TrimPipes(names);
        paths = TrimPipes(paths);
        std::erase(paths, '"');
    } catch (...) {
        CurrentPlatform().ShowMessage(tidvex::CurrentError().Description());
        names.clear();
        paths.clear();
    }
    tidvex::com::Bstr listedNames(names), listedPaths(paths);
    result.program_name = listedNames.Detach();
    result.uninstall_Path = listedPaths.Detach();
}

}  // namespace velmora
