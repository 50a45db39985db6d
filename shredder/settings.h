// The shredder's settings: its texts, its on/off flags, the wiping method and the
// session kind, with the defaults that Initialize sets. The session worker reads
// them while the caller's thread may set them: the texts are guarded by one
// lock, the numbers are atomic.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace fraxil {

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

constexpr size_t kCommandLineSize = 23400;

class ShredderSettings {
public:
    // Language "English", log "log.txt", method 0, the restore-point, context-menu
    // and hidden-file flags 1, every other flag and the session kind 0.
    void ApplyDefaults();

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
    // Kept in UTF-16, cut where its system code page form would no longer fit
    // the 23,400-byte buffer with its closing zero.
    std::wstring CommandLineString() const;
    void SetCommandLineString(std::wstring_view text);
    // Whether the cut fell inside an item: the text ends in something other
    // than a blank and went on with more of it, so its end is no whole item.
    bool CommandLineCutInsideItem() const { return commandLineCut_; }

    short ShredMethod() const { return shredMethod_; }
    // Refuses (false, value kept) an index outside the method table's range.
    bool SetShredMethod(long index);
    long FlagValue(Flag f) const { return flags_[static_cast<size_t>(f)]; }
    void SetFlag(Flag f, long value) { flags_[static_cast<size_t>(f)] = value != 0 ? 1 : 0; }
    long SessionType() const { return sessionType_; }
    void SetSessionType(long v) { sessionType_ = v; }
    long ParentWindowHandle() const { return parentWindow_; }
    void SetParentWindowHandle(long v) { parentWindow_ = v; }

private:
    std::string Get(const std::string& field) const;
    void Set(std::string& field, std::string value);

    mutable std::mutex mu_;  // guards the texts
    std::string appName_, profileName_, language_, applicationPath_, logFileName_;
    std::wstring commandLine_;

    std::atomic<bool> commandLineCut_{false};
    std::atomic<short> shredMethod_{0};
    std::array<std::atomic<long>, kFlagCount> flags_{};
    std::atomic<long> sessionType_{0}, parentWindow_{0};
};

}  // namespace fraxil
