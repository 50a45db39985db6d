// The shredder server's logic apart from COM: its settings and their defaults, the
// numbered messages with their language file and log, the wiping methods with
// their cursor, and the overwriting of one file.
//
// The session worker and the caller's thread share this object: every text is
// guarded by one lock, the numbers are atomic, and no event is raised while the
// lock is held (an event may call back into the object).
#pragma once

#include "algorithms.h"
#include "messages.h"
#include "system_probes.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace fraxil {

// Receives the object's events (the COM class fires them to its sinks).
class ShredderEvents {
public:
    virtual void OnMessage(const std::string& text) = 0;
    virtual void OnErrorMessage(const std::string& text, long number) = 0;
    virtual void OnCurrentItemShredded(const std::string& item) = 0;
    virtual void OnCurrentProgress(long percent) = 0;
    virtual void OnCurrentTotalProgress(long percent) = 0;
    virtual void OnSessionCompleted() = 0;

protected:
    ~ShredderEvents() = default;
};

// The on/off settings; each stores 1 for any non-zero value.
enum class Flag {
    EnableHook,
    EnableRestorePoints,
    EnableContextMenu,
    EnableLogFile,
    DisableWarning,
    ShredSubFolder,
    RemoveSubFolder,
    ShredHiddenAndSystemFiles,
};
constexpr size_t kFlagCount = 8;

enum SessionStateValue : long { kSessionIdle = 0, kSessionRunning = 1, kSessionAborted = 2, kSessionCompleted = 3 };

// A temporary file of free-space wiping: filled already, open, overwritten in place.
struct TempFileRecord {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::string path;
    uint64_t bytesWritten = 0;
};

// How a file is shredded: quiet 0 = a listed file (warnings, an undeletable file
// gets its name back), 1 = a file inside a shredded folder, 2 = Recycle Bin
// content (wiped and truncated, left for the shell to remove).
struct ShredRequest {
    std::string path;
    int quietLevel = 0;
    TempFileRecord* temp = nullptr;  // set for free-space wiping only
    unsigned tempIndex = 0;          // 1-based
    unsigned tempCount = 0;
};

// ShredFile's results.
constexpr int kShredContinue = 0;
constexpr int kShredStop = 1;

constexpr size_t kCommandLineSize = 23400;

// Rounds of one pass's write loop over a file of size bytes: one more than the
// whole chunks it holds (a file of exactly 64 KB takes two, the second empty).
uint64_t ChunkRounds(uint64_t size);
// Percent of the item after written bytes of a pass: (written + 1) * 100 / size, at most 100.
long ItemPercent(uint64_t written, uint64_t size);
// Percent of the session, at most 100; without a plan the previous value stands.
long SessionPercent(uint64_t written, uint64_t planned, long previous);

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

    // Settings.
    std::string ShredderApplicationName() const { return Get(appName_); }
    void SetShredderApplicationName(std::string v) { Set(appName_, std::move(v)); }
    std::string ProfileName() const { return Get(profileName_); }
    void SetProfileName(std::string v) { Set(profileName_, std::move(v)); }
    std::string Language() const { return Get(language_); }
    void SetLanguage(std::string v) { Set(language_, std::move(v)); }
    std::string ApplicationPath() const { return Get(applicationPath_); }
    void SetApplicationPath(std::string v) { Set(applicationPath_, std::move(v)); }
    std::string LogFileName() const { return Get(logFileName_); }
    void SetLogFileName(std::string v) { Set(logFileName_, std::move(v)); }
    short ShredMethod() const { return shredMethod_; }
    // Refuses (false, value kept) an index outside the method table's range.
    bool SetShredMethod(long index);
    long FlagValue(Flag f) const { return flags_[static_cast<size_t>(f)]; }
    void SetFlag(Flag f, long value) { flags_[static_cast<size_t>(f)] = value != 0 ? 1 : 0; }
    long SessionType() const { return sessionType_; }
    void SetSessionType(long v) { sessionType_ = v; }
    long ParentWindowHandle() const { return parentWindow_; }
    void SetParentWindowHandle(long v) { parentWindow_ = v; }
    std::string CommandLineString() const;
    void SetCommandLineString(const std::string& text);  // cut to fit the 23,400-byte buffer

    // Status.
    long CurrentProgress() const { return currentProgress_; }
    long CurrentTotalProgress() const { return totalProgress_; }
    long SessionState() const { return sessionState_; }
    void SetSessionState(long s) { sessionState_ = s; }
    long FilesInUseCount() const { return filesInUse_; }
    void SetFilesInUseCount(long n) { filesInUse_ = n; }
    std::string CurrentItemShredded() const { return Get(currentItem_); }
    std::string LastMessage() const { return Get(lastMessage_); }
    void SetLastMessage(std::string v) { Set(lastMessage_, std::move(v)); }
    std::string MessageText() const { return Get(messageText_); }
    std::string ErrorText() const { return Get(errorText_); }
    long ErrorNumber() const { return errorNumber_; }
    bool Initialized() const;

    // Session counters: planned bytes set, written bytes and both percentages reset.
    void ResetProgress(uint64_t plannedBytes = 0);
    uint64_t PlannedBytes() const { return plannedBytes_; }
    uint64_t BytesWritten() const { return bytesWritten_; }
    void SetAbort(bool on) { abort_ = on ? 1 : 0; }
    bool AbortRequested() const { return abort_ != 0; }

    // Method table and its cursor (make the item under the cursor current, then advance).
    long GetFirstAlgorithm();
    long NextAlgorithm();
    bool HasCurrentAlgorithm() const;
    std::string CurrentAlgorithmName() const;
    std::string CurrentAlgorithmDescription() const;
    long CurrentAlgorithmPassesCount() const;  // -1 without a current method
    long CurrentFirstPassPatternLength() const;
    long CurrentFirstPassWriteType() const;
    std::string CurrentFirstPassPattern() const;  // the pattern bytes as characters
    // Passes of the method at ShredMethod (0 before Initialize).
    long PassesOfSelectedMethod() const;

    // Messages: the text of a number from "<ApplicationPath>\Lang\<Language>.ini",
    // section ProfileName, with "#" as a line break, else the built-in English text.
    std::string LookupMessage(long number) const;
    // Reports by kind: an event unless DisableWarning, and a log line when logging
    // is on, DisableWarning is on or it is a warning.
    void ReportError(long number, const std::string& text);
    void ReportMessage(const std::string& text);
    void ReportWarning(const std::string& text);
    // An error that is fired only, never logged.
    void FireErrorEvent(long number, const std::string& text);
    std::string LogFilePath() const;

    // Overwrites a file with every pass of the method at ShredMethod, truncates it,
    // renames and deletes it; or, for free-space wiping, overwrites an open
    // temporary file in place. kShredStop when aborted or when seeking failed.
    int ShredFile(const ShredRequest& request);

    // The system as read by Initialize.
    SystemFolders SystemFolderList() const;
    FixedDriveTable DriveTable() const;
    std::string UserSid() const { return Get(userSid_); }
    bool RecycleBinApisAvailable() const { return recycleBinApis_; }

    // Dispatches the window messages waiting for the calling thread.
    static void PumpWaitingMessages();

private:
    std::string Get(const std::string& field) const;
    void Set(std::string& field, std::string value);
    void SetCurrentItem(const std::string& item);
    void FireMessage(const std::string& text);
    void Report(MessageKind kind, long number, const std::string& text);
    void AppendLogLine(const std::string& line);
    void ApplyDefaults();
    void FreeResources();
    void SetCurrentProgress(long percent);
    void FireTotalProgress();
    void CountWritten(uint64_t bytes);
    void RemoveShreddedFile(const std::string& path, int quietLevel);
    void ReportWriteFailure(DWORD code);

    ShredderEvents& events_;

    mutable std::mutex mu_;  // guards every text and table below
    std::string appName_, profileName_, language_, applicationPath_, logFileName_;
    std::string currentItem_, lastMessage_, messageText_, errorText_, userSid_;
    std::vector<char> commandLine_ = std::vector<char>(kCommandLineSize, '\0');
    std::vector<ShreddingAlgorithm> algorithms_;
    long algorithmCursor_ = -1;   // index of the next method, -1 without a cursor
    long currentAlgorithm_ = -1;  // index of the current method, -1 without one
    std::shared_ptr<uint8_t[]> buffer_;  // a running shred keeps its own reference
    SystemFolders systemFolders_;
    FixedDriveTable drives_;

    std::mutex logMu_;  // one line at a time

    std::atomic<long> errorNumber_{0};
    std::atomic<short> shredMethod_{0};
    std::array<std::atomic<long>, kFlagCount> flags_{};
    std::atomic<long> sessionType_{0}, parentWindow_{0};
    std::atomic<long> currentProgress_{0}, totalProgress_{0}, sessionState_{kSessionIdle}, filesInUse_{0};
    std::atomic<uint64_t> plannedBytes_{0}, bytesWritten_{0};
    std::atomic<long> abort_{0};
    std::atomic<bool> recycleBinApis_{false};

    HANDLE releasedEvent_ = nullptr;
    HMODULE kernel32_ = nullptr;
    FARPROC getDiskFreeSpace_ = nullptr;  // GetDiskFreeSpaceExA, else GetDiskFreeSpaceA
    bool haveDiskFreeSpaceEx_ = false;
    FARPROC setFilePointerEx_ = nullptr;
};

}  // namespace fraxil
