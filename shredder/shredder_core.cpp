#include "shredder_core.h"

#include <objbase.h>

namespace fraxil {

ShredderCore::ShredderCore(ShredderEvents& events) : events_(events) {}

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
    sessionState_ = kSessionIdle;
    wiper_.ResetProgress(0);
    FreeResources();
    releasedEvent_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    wiper_.SetAbort(false);
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

    SystemFolders folders = ReadSystemFolders();
    recycleBinApis_ = CheckRecycleBinApis();

    tidvex::handles::Module kernel(LoadLibraryA("kernel32.dll"));
    if (!kernel) {
        log_.FireErrorEvent(31008, log_.LookupMessage(31008));
        return 0;
    }
    getDiskFreeSpace_ = GetProcAddress(kernel.Get(), "GetDiskFreeSpaceExA");
    haveDiskFreeSpaceEx_ = getDiskFreeSpace_ != nullptr;
    if (!getDiskFreeSpace_) getDiskFreeSpace_ = GetProcAddress(kernel.Get(), "GetDiskFreeSpaceA");
    if (!getDiskFreeSpace_) {
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
        drives_ = std::move(drives);
        userSid_ = std::move(sid);
    }
    log_.FireMessage("Init Success.");
    return 1;
}

void ShredderCore::FreeResources() {
    wiper_.SetBuffer(nullptr);
    algorithms_.Clear();
    {
        std::lock_guard lock(mu_);
        systemFolders_ = {};
        drives_ = {};
        userSid_.clear();
    }
    kernel32_.Reset();
    getDiskFreeSpace_ = nullptr;
    haveDiskFreeSpaceEx_ = false;
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
    return drives_;
}

std::string ShredderCore::UserSid() const {
    std::lock_guard lock(mu_);
    return userSid_;
}

}  // namespace fraxil
