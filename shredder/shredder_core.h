// The shredder server's logic apart from COM, made of its parts: the settings,
// the numbered messages and log, the wiping methods with their cursor, the file
// wiper, the folder, free-space and Recycle Bin routines, the three item lists,
// the restore points and the session with its worker; and what Initialize reads
// of the system. The COM class is a thin facade over it.
#pragma once

#include "algorithm_cursor.h"
#include "event_relay.h"
#include "file_wiper.h"
#include "folder_shredder.h"
#include "free_space.h"
#include "item_lists.h"
#include "message_log.h"
#include "recycle_bin.h"
#include "restore_points.h"
#include "session.h"
#include "settings.h"
#include "shredder_events.h"
#include "system_probes.h"

#include "handles/handles.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

namespace fraxil {

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
    ItemList& Files() { return files_; }
    ItemList& Folders() { return folders_; }
    ItemList& Drives() { return drives_; }
    RestorePointList& RestorePoints() { return restorePoints_; }
    FolderShredder& FolderWork() { return folderShredder_; }
    FreeSpaceWiper& FreeSpace() { return freeSpace_; }
    RecycleBinShredder& RecycleBin() { return recycleBin_; }
    SessionRunner& Session() { return session_; }
    const SessionRunner& Session() const { return session_; }
    EventRelay& Events() { return relay_; }

    long SessionState() const { return session_.State(); }
    std::string LastMessage() const;
    void SetLastMessage(std::string v);

    // Restore points: refused (36009) unless enabled; else read afresh.
    // `refused` tells a refusal apart from a reading that failed.
    long GetRestorePoints(bool& refused);
    // Where the restore points are read from: WMI unless a test gave its own.
    void SetRestorePointSource(std::unique_ptr<RestorePointSource> source);

    // The Recycle Bin verb, and the hook members that never hook anything.
    long AddContextMenu();
    long StartHook();
    long StopHook();

    // The system as read by Initialize.
    SystemFolders SystemFolderList() const;
    FixedDriveTable DriveTable() const;
    std::string UserSid() const;
    bool RecycleBinApisAvailable() const { return recycleBinApis_; }
    std::optional<DiskSpace> QueryDiskSpace(const std::string& root) const;

private:
    void FreeResources();

    EventRelay relay_;
    ShredderSettings settings_;
    MessageLog log_{settings_, relay_};
    AlgorithmCursor algorithms_{log_};
    FileWiper wiper_{settings_, log_, algorithms_, relay_};
    ItemList files_{ListKind::Files, log_};
    ItemList folders_{ListKind::Folders, log_};
    ItemList drives_{ListKind::Drives, log_};
    RestorePointList restorePoints_{log_};
    FolderShredder folderShredder_{*this};
    FreeSpaceWiper freeSpace_{*this};
    RecycleBinShredder recycleBin_{*this};

    mutable std::mutex mu_;  // guards the texts, tables and source below
    std::string lastMessage_, userSid_;
    SystemFolders systemFolders_;
    FixedDriveTable driveTable_;
    DiskSpaceFunction diskSpace_;
    std::shared_ptr<RestorePointSource> restoreSource_;
    std::atomic<bool> recycleBinApis_{false};

    tidvex::handles::KernelObject releasedEvent_;
    tidvex::handles::Module kernel32_;
    FARPROC setFilePointerEx_ = nullptr;

    // Last: ended first, so that no worker outlives the parts it uses.
    SessionRunner session_{*this};
};

}  // namespace fraxil
