#include "system_probes.h"

#include <windows.h>
#include <shlwapi.h>

#include "handles/handles.h"

#include <cstdio>

namespace fraxil {

bool CheckRecycleBinApis() {
    tidvex::handles::Module module(LoadLibraryA("SHELL32.DLL"));
    if (!module) return false;
    HMODULE shell = module.Get();
    bool ok = false;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")));
    if (getVersion) {
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(getVersion(&info))) {
            bool recentEnough = info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion > 70);
            ok = recentEnough && GetProcAddress(shell, "SHQueryRecycleBinA") && GetProcAddress(shell, "SHEmptyRecycleBinA");
        }
    }
    return ok;
}

FixedDriveTable BuildDriveTable() {
    FixedDriveTable table;
    DWORD present = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(present & (1u << i))) continue;
        char root[] = "A:\\";
        root[0] = static_cast<char>('A' + i);
        if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
        table.roots[i] = root;
        char label[MAX_PATH] = {};
        char fileSystem[64] = {};
        if (GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, fileSystem, sizeof fileSystem) &&
            lstrcmpiA(fileSystem, "NTFS") == 0) {
            table.ntfs[i] = true;
            table.anyNtfs = true;
        }
    }
    return table;
}

tidvex::Seam<std::function<std::optional<DiskSpace>(const std::string& root)>> gDiskSpace;

DiskSpaceFunction FindDiskSpaceFunction(HMODULE kernel32) {
    DiskSpaceFunction found;
    found.function = GetProcAddress(kernel32, "GetDiskFreeSpaceExA");
    found.extended = found.function != nullptr;
    if (!found.function) found.function = GetProcAddress(kernel32, "GetDiskFreeSpaceA");
    return found;
}

std::optional<DiskSpace> QueryDiskSpace(const DiskSpaceFunction& query, const std::string& root) {
    if (const auto& replacement = gDiskSpace.Get()) return replacement(root);
    if (!query.function) return std::nullopt;
    DiskSpace space;
    if (query.extended) {
        using Ex = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
        auto ex = reinterpret_cast<Ex>(reinterpret_cast<void*>(query.function));
        ULARGE_INTEGER available{}, total{}, free{};
        if (!ex(root.c_str(), &available, &total, &free)) return std::nullopt;
        space = {available.QuadPart, total.QuadPart, free.QuadPart};
    } else {
        using Old = BOOL(WINAPI*)(LPCSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD);
        auto old = reinterpret_cast<Old>(reinterpret_cast<void*>(query.function));
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        if (!old(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return std::nullopt;
        const uint64_t cluster = uint64_t{sectorsPerCluster} * bytesPerSector;
        space = {cluster * freeClusters, cluster * clusters, cluster * freeClusters};
    }
    return space;
}

int GetUserSidText(std::string& text) {
    text.clear();
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_READ, &opened)) return 1;
    tidvex::handles::KernelObject token(opened);
    alignas(TOKEN_USER) BYTE buffer[1000];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size)) return 2;
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    if (!IsValidSid(sid)) return 3;

    const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(sid);
    DWORD subCount = *GetSidSubAuthorityCount(sid);
    char part[64];
    std::string result = "S-1-";
    if (authority->Value[0] != 0 || authority->Value[1] != 0) {
        std::snprintf(part, sizeof part, "0x%02hx%02hx%02hx%02hx%02hx%02hx", static_cast<unsigned short>(authority->Value[0]),
                      static_cast<unsigned short>(authority->Value[1]), static_cast<unsigned short>(authority->Value[2]),
                      static_cast<unsigned short>(authority->Value[3]), static_cast<unsigned short>(authority->Value[4]),
                      static_cast<unsigned short>(authority->Value[5]));
    } else {
        unsigned long low = static_cast<unsigned long>(authority->Value[5]) + (static_cast<unsigned long>(authority->Value[4]) << 8) +
                            (static_cast<unsigned long>(authority->Value[3]) << 16) +
                            (static_cast<unsigned long>(authority->Value[2]) << 24);
        std::snprintf(part, sizeof part, "%lu", low);
    }
    result += part;
    for (DWORD i = 0; i < subCount; ++i) {
        std::snprintf(part, sizeof part, "-%lu", static_cast<unsigned long>(*GetSidSubAuthority(sid, i)));
        result += part;
    }
    // The text must fit the field it was made for.
    if (result.size() + 1 > 28 + 12 * static_cast<size_t>(subCount) || result.size() >= 260) return 3;
    text = result;
    return 0;
}

}  // namespace fraxil
