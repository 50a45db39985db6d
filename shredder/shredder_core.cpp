#include "shredder_core.h"

#include "context_menu.h"

#include <objbase.h>

namespace fraxil {

ShredderCore::ShredderCore(ShredderEvents& events) : relay_(events), restoreSource_(MakeWmiRestorePointSource()) {}

ShredderCore::~ShredderCore() { FreeResources(); }

std::string ShredderCore::LastMessage() const {
    std::lock_guard lock(mu_);
    return lastMessage_;
}

void ShredderCore::SetLastMessage(std::string v) {
    std::lock_guard lock(mu_);
    lastMessage_ = std::move(v);
}

long ShredderCore::Initialize() {
    settings_.ApplyDefaults();
    log_.ClearError();
    // A session whose worker still works keeps its state and its counters.
    if (session_.ReturnToIdle()) wiper_.ResetProgress(0);
    FreeResources();
    releasedEvent_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    algorithms_.Build();

    std::shared_ptr<uint8_t[]> buffer = FileWiper::NewBuffer();
    if (!buffer) {
        log_.FireErrorEvent(39006, log_.LookupMessage(39006));
        return 0;
    }

    // The object's thread must be able to use COM. A thread that is in an
    // apartment already keeps it: one in the multithreaded apartment can use COM
    // as it is (the global interface table serves it too), so that is no failure.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == S_FALSE) CoUninitialize();
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
        log_.FireErrorEvent(39007, log_.LookupMessage(39007));
        return 0;
    }

    SystemFolders folders = tidvex::shred::ReadSystemFolders();
    recycleBinApis_ = CheckRecycleBinApis();

    tidvex::handles::Module kernel(LoadLibraryA("kernel32.dll"));
    if (!kernel) {
        log_.FireErrorEvent(31008, log_.LookupMessage(31008));
        return 0;
    }
    const DiskSpaceFunction diskSpace = FindDiskSpaceFunction(kernel.Get());
    if (!diskSpace.function) {
        log_.FireErrorEvent(31009, log_.LookupMessage(31009));
        return 0;
    }

    FixedDriveTable drives = BuildDriveTable();

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    std::string sid;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (drives.anyNtfs && recycleBinApis_) {
            int step = GetUserSidText(sid);
            if (step != 0) {
                log_.FireErrorEvent(31035,
                                    FillPlaceholders(log_.LookupMessage(31035), {{'u', std::to_string(step)}}));
                return 0;
            }
        }
        setFilePointerEx_ = GetProcAddress(kernel.Get(), "SetFilePointerEx");
        if (!setFilePointerEx_) {
            log_.FireErrorEvent(31009, log_.LookupMessage(31009));
            return 0;
        }
    }

    kernel32_ = std::move(kernel);
    wiper_.SetBuffer(std::move(buffer));
    {
        std::lock_guard lock(mu_);
        systemFolders_ = std::move(folders);
        driveTable_ = std::move(drives);
        userSid_ = std::move(sid);
        diskSpace_ = diskSpace;
    }
    log_.FireMessage("Init Success.");
    return 1;
}

void ShredderCore::FreeResources() {
    wiper_.SetBuffer(nullptr);
    algorithms_.Clear();
    files_.Clear();
    folders_.Clear();
    drives_.Clear();
    restorePoints_.Clear();
    {
        std::lock_guard lock(mu_);
        systemFolders_ = {};
        driveTable_ = {};
        userSid_.clear();
        diskSpace_ = {};
    }
    kernel32_.Reset();
    setFilePointerEx_ = nullptr;
    recycleBinApis_ = false;
    if (releasedEvent_) SetEvent(releasedEvent_.Get());
    releasedEvent_.Reset();
}

void ShredderCore::Release() { FreeResources(); }

SystemFolders ShredderCore::SystemFolderList() const {
    std::lock_guard lock(mu_);
    return systemFolders_;
}

FixedDriveTable ShredderCore::DriveTable() const {
    std::lock_guard lock(mu_);
    return driveTable_;
}

std::string ShredderCore::UserSid() const {
    std::lock_guard lock(mu_);
    return userSid_;
}

std::optional<DiskSpace> ShredderCore::QueryDiskSpace(const std::string& root) const {
    DiskSpaceFunction query;
    {
        std::lock_guard lock(mu_);
        query = diskSpace_;
    }
    return fraxil::QueryDiskSpace(query, root);
}

void ShredderCore::SetRestorePointSource(std::unique_ptr<RestorePointSource> source) {
    std::lock_guard lock(mu_);
    restoreSource_ = std::move(source);
}

long ShredderCore::GetRestorePoints(bool& refused) {
    refused = settings_.FlagValue(Flag::EnableRestorePoints) == 0;
    if (refused) {
        log_.FireErrorEvent(36009, log_.LookupMessage(36009));
        return 0;
    }
    std::shared_ptr<RestorePointSource> source;
    {
        std::lock_guard lock(mu_);
        source = restoreSource_;
    }
    return restorePoints_.Load(*source);
}

long ShredderCore::AddContextMenu() {
    const std::string path = settings_.ApplicationPath();
    if (settings_.FlagValue(Flag::EnableContextMenu) != 0 && CheckContextMenuHelper(path, log_) &&
        RegisterRecycleBinVerb(settings_.ShredderApplicationName(), path, log_))
        return 1;
    log_.FireErrorEvent(34001, log_.LookupMessage(34001));
    return 0;
}

long ShredderCore::StartHook() {
    // The hook facility never starts: enabled or not, the caller hears why.
    const long number = settings_.FlagValue(Flag::EnableHook) == 0 ? 34009 : 34006;
    log_.FireErrorEvent(number, log_.LookupMessage(number));
    return 0;
}

long ShredderCore::StopHook() {
    if (settings_.FlagValue(Flag::EnableHook) != 0) return 1;
    log_.FireErrorEvent(34009, log_.LookupMessage(34009));
    return 0;
}

}  // namespace fraxil
