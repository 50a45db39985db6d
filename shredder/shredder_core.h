// The shredder server's logic apart from COM, made of its parts: the settings,
// the numbered messages and log, the wiping methods with their cursor, and the
// file wiper; and what Initialize reads of the system. The COM class is a thin
// facade over it.
#pragma once

#include "algorithm_cursor.h"
#include "file_wiper.h"
#include "message_log.h"
#include "settings.h"
#include "shredder_events.h"
#include "system_probes.h"

#include "handles/handles.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

namespace fraxil {

enum SessionStateValue : long { kSessionIdle = 0, kSessionRunning = 1, kSessionAborted = 2, kSessionCompleted = 3 };

class ShredderCore {
public:
    explicit ShredderCore(ShredderEvents& events);
    ~ShredderCore();
    ShredderCore(const ShredderCore&) = delete;
    ShredderCore& operator=(const ShredderCore&) = delete;

    // Defaults, method table, write buffer and system probes. 1 done, 0 failed
    // (reported as an ErrorMessage event).
    long Initialize();
    // Frees what Initialize set up; a new Initialize makes the object usable again.
    void Release();
    bool Initialized() const { return wiper_.HasBuffer(); }

    ShredderSettings& Settings() { return settings_; }
    const ShredderSettings& Settings() const { return settings_; }
    MessageLog& Messages() { return log_; }
    const MessageLog& Messages() const { return log_; }
    AlgorithmCursor& Algorithms() { return algorithms_; }
    const AlgorithmCursor& Algorithms() const { return algorithms_; }
    FileWiper& Wiper() { return wiper_; }
    const FileWiper& Wiper() const { return wiper_; }

    long SessionState() const { return sessionState_; }
    void SetSessionState(long s) { sessionState_ = s; }
    std::string LastMessage() const;
    void SetLastMessage(std::string v);

    // The system as read by Initialize.
    SystemFolders SystemFolderList() const;
    FixedDriveTable DriveTable() const;
    std::string UserSid() const;
    bool RecycleBinApisAvailable() const { return recycleBinApis_; }

private:
    void FreeResources();

    ShredderEvents& events_;
    ShredderSettings settings_;
    MessageLog log_{settings_, events_};
    AlgorithmCursor algorithms_{log_};
    FileWiper wiper_{settings_, log_, algorithms_, events_};

    mutable std::mutex mu_;  // guards the texts and tables below
    std::string lastMessage_, userSid_;
    SystemFolders systemFolders_;
    FixedDriveTable drives_;
    std::atomic<long> sessionState_{kSessionIdle};
    std::atomic<bool> recycleBinApis_{false};

    tidvex::handles::KernelObject releasedEvent_;
    tidvex::handles::Module kernel32_;
    FARPROC getDiskFreeSpace_ = nullptr;  // GetDiskFreeSpaceExA, else GetDiskFreeSpaceA
    bool haveDiskFreeSpaceEx_ = false;
    FARPROC setFilePointerEx_ = nullptr;
};

}  // namespace fraxil
