#include "restore_points.h"

#include "com/com_types.h"

#include <wbemidl.h>

#include <cstdio>

namespace fraxil {

using tidvex::com::Bstr;
using tidvex::com::ComPtr;
using tidvex::com::Variant;

namespace {

class WmiRestorePoints final : public RestorePointSource {
public:
    long Read(std::vector<RawRestorePoint>& records) override {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 36010;
        // Joined (or joined once more): left again on every way out.
        struct Leave {
            ~Leave() { CoUninitialize(); }
        } leave;
        if (FAILED(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr)))
            return 36011;
        ComPtr<IWbemLocator> locator;
        if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                    locator.PutVoid())) ||
            !locator)
            return 36012;
        ComPtr<IWbemServices> services;
        if (FAILED(locator->ConnectServer(Bstr(L"ROOT\\DEFAULT").Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                          services.Put())) ||
            !services)
            return 36013;
        if (FAILED(CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                     RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE)))
            return 36014;
        ComPtr<IEnumWbemClassObject> results;
        if (FAILED(services->ExecQuery(Bstr(L"WQL").Get(), Bstr(L"SELECT * FROM SystemRestore").Get(),
                                       WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, results.Put())) ||
            !results)
            return 36015;
        for (;;) {
            ComPtr<IWbemClassObject> row;
            ULONG returned = 0;
            HRESULT hr = results->Next(static_cast<LONG>(WBEM_INFINITE), 1, row.Put(), &returned);
            if (FAILED(hr)) return 36015;
            if (returned == 0 || !row) return 0;
            RawRestorePoint record;
            // A row without the texts of a restore point is no answer to the query.
            if (!Text(row.Get(), L"Description", record.description) ||
                !Text(row.Get(), L"CreationTime", record.creationTime))
                return 36015;
            record.sequenceNumber = Number(row.Get(), L"SequenceNumber");
            record.type = Number(row.Get(), L"RestorePointType");
            records.push_back(std::move(record));
        }
    }

private:
    static bool Text(IWbemClassObject* row, const wchar_t* name, std::string& out) {
        Variant value;
        if (FAILED(row->Get(name, 0, value.Get(), nullptr, nullptr)) || value.Type() != VT_BSTR) return false;
        out = value.AsText();
        return true;
    }
    static long Number(IWbemClassObject* row, const wchar_t* name) {
        Variant value;
        if (FAILED(row->Get(name, 0, value.Get(), nullptr, nullptr))) return 0;
        return value.AsLong(0);
    }
};

bool AllDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

int DaysInMonth(int month, int year) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::unique_ptr<RestorePointSource> MakeWmiRestorePointSource() { return std::make_unique<WmiRestorePoints>(); }

std::optional<std::string> FormatCreationTime(std::string_view wmiTime) {
    if (wmiTime.size() < 14 || !AllDigits(wmiTime.substr(0, 14))) return std::nullopt;
    std::string year(wmiTime.substr(0, 4)), month(wmiTime.substr(4, 2));
    const std::string minute(wmiTime.substr(10, 2)), second(wmiTime.substr(12, 2));
    int day = std::stoi(std::string(wmiTime.substr(6, 2)));
    const int h = std::stoi(std::string(wmiTime.substr(8, 2)));
    const int monthNumber = std::stoi(month);
    if (monthNumber < 1 || monthNumber > 12 || day < 1 || day > DaysInMonth(monthNumber, std::stoi(year)) || h > 23)
        return std::nullopt;

    int hour = 0;
    const char* half = "AM";
    if (h <= 8) {
        hour = h + 3;
    } else if (h == 9) {
        hour = 12;
        half = "PM";
    } else if (h <= 21) {
        hour = h - 9;
        half = "PM";
    } else {
        hour = h - 21;
        // Past midnight: the next day, which may be in the next month or year.
        if (++day > DaysInMonth(monthNumber, std::stoi(year))) {
            day = 1;
            int nextMonth = monthNumber + 1;
            if (nextMonth > 12) {
                nextMonth = 1;
                char y[16];
                std::snprintf(y, sizeof y, "%04d", std::stoi(year) + 1);
                year = y;
            }
            char m[4];
            std::snprintf(m, sizeof m, "%02d", nextMonth);
            month = m;
        }
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s-%s-%d %d:%s:%s %s", year.c_str(), month.c_str(), day, hour, minute.c_str(),
                  second.c_str(), half);
    return std::string(text);
}

int RestorePointTypeIndex(long wmiType) {
    switch (wmiType) {
        case 0: return 0;
        case 1: return 1;
        case 6: return 2;
        case 7: return 3;
        default: break;
    }
    if (wmiType >= 10 && wmiType <= 15) return static_cast<int>(wmiType - 6);
    return 3;
}

std::string_view RestorePointTypeName(int index) {
    static const char* const names[] = {"ApplicationInstallation", "ApplicationUninstall", "Restore",
                                        "Checkpoint", "DeviceDriveInstallation", "FirstRun",
                                        "ModifySettings", "CancelledOperation", "BackupRecovery",
                                        "UnknownRestoreType"};
    if (index < 0 || index > 9) return {};
    return names[index];
}

RestorePointList::RestorePointList(MessageLog& log) : log_(log) {}

long RestorePointList::Load(RestorePointSource& source) {
    points_.Clear();
    std::vector<RawRestorePoint> raw;
    long failure = source.Read(raw);
    std::vector<RestorePoint> points;
    for (const RawRestorePoint& r : raw) {
        std::optional<std::string> time = FormatCreationTime(r.creationTime);
        if (!time) {
            failure = 36015;  // not the answer the query asked for
            break;
        }
        points.push_back({r.description, *time, r.sequenceNumber, RestorePointTypeIndex(r.type)});
    }
    points_.Assign(std::move(points));
    if (failure == 0) return 1;
    log_.FireErrorEvent(failure, log_.LookupMessage(failure));
    return 0;
}

long RestorePointList::GetFirst() {
    if (points_.First()) return 1;
    log_.ReportError(37008, log_.LookupMessage(37008));
    return 0;
}

long RestorePointList::Next() {
    if (points_.Next()) return 1;
    log_.ReportError(37009, log_.LookupMessage(37009));
    return 0;
}

std::string RestorePointList::CurrentName() const {
    auto p = points_.Current();
    return p ? p->name : std::string();
}

std::string RestorePointList::CurrentCreationTime() const {
    auto p = points_.Current();
    return p ? p->creationTime : std::string();
}

std::string RestorePointList::CurrentTypeName() const {
    auto p = points_.Current();
    return p ? std::string(RestorePointTypeName(p->typeIndex)) : std::string();
}

long RestorePointList::CurrentSequenceNumber() const {
    auto p = points_.Current();
    return p ? p->sequenceNumber : -1;
}

}  // namespace fraxil
