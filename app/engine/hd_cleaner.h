// clsHDCleaner: finds junk files on one drive (log, temporary, "unnecessary",
// check-disk fragments, shortcuts whose target is gone, and the user's own
// extensions) and deletes or shreds them.
//
// Two phases: a scan of the whole drive that collects matching files into six
// lists, then the deletion list by list. The scan takes 70 % of the band that
// StartClean is given, the six lists 5 % each. It runs on the caller's thread
// and yields to the message loop per folder and file; StopClean is noticed when
// the scan next enters a folder and skips the deletion. The scan never follows
// a link (junction, mount point, symbolic link), so it stays on its drive, and
// files and folders on the user's safe list are left alone.
#pragma once

#include "fs/paths.h"
#include "pump/pump.h"
#include "services/lists.h"
#include "shred/shredder.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tidvex::engine {

enum class JunkCategory { Log, Temporary, Unnecessary, CheckDisk, BrokenLink, Custom };
inline constexpr int kJunkCategoryCount = 6;

// The extensions of a custom pattern, lower-cased, in the order given. The
// pattern holds tokens such as ".bak*" joined directly or by "|" (or by ";",
// "," or blanks, as users also type them; "*.bak" is understood too). A token
// without an extension (".", "*.*", ".*") or with wildcards is dropped: it
// would match every file without an extension.
std::vector<std::string> ParseExtensionPattern(const std::string& pattern);

class clsHDCleaner {
public:
    // `windowsFolder`: the folder whose drive an empty drive text stands for.
    explicit clsHDCleaner(std::string windowsFolder = DefaultWindowsFolder());

    // The five category switches off; the custom pattern and the shred switch stay.
    void Reset();
    void IsUserShredderInsteadofNormalDelete(bool on) { shred_ = on; }
    bool IsUserShredderInsteadofNormalDelete() const { return shred_; }
    void CleanLogFiles(bool on) { switches_[0] = on; }
    void CleanTempFiles(bool on) { switches_[1] = on; }
    void CleanUnnecssaryFiles(bool on) { switches_[2] = on; }
    void CleanCheckDiskFiles(bool on) { switches_[3] = on; }
    void CleanBrokenLinkFiles(bool on) { switches_[4] = on; }
    void CleanCustomFiles(const std::string& pattern);

    // Scans the drive that sDrive names ("c:", "c:\", "\\?\C:\") and cleans what
    // it found. An empty text, or a bare "\" (what an empty drive box gives),
    // stands for the Windows folder's drive. `start` ends at the end of the scan's share
    // (start + 0.7 x range), also after the deletion; the last Progress is
    // start + range. Throws RunTimeError when sDrive names no drive.
    void StartClean(double& start, double range, const std::string& sDrive);
    void StartClean(double&& start, double range, const std::string& sDrive) { StartClean(start, range, sDrive); }
    void StopClean() { stop_ = true; }

    // What the scan collected for a category, in the order found (in the code
    // page, for showing; the cleaner itself keeps every path in UTF-16).
    std::vector<std::string> Collected(JunkCategory category) const;
    // The scan pattern built from the switches (".log*|.tmp*._mp*.~mp*..."),
    // the custom part as its extensions' tokens.
    std::string Pattern() const;

    // Events (arguments by reference, as the session receives them).
    std::function<void(std::string& sFolderPath)> ScanningFolder;
    std::function<void(std::string& sType)> EndCleaningType;
    std::function<void(double& iTotlaProgress)> Progress;

private:
    static std::string DefaultWindowsFolder();
    // The drive's root in its canonical form ("C:\").
    std::wstring DriveToScan(const std::string& sDrive) const;
    // A folder whose final path is not its canonical path lies behind a link
    // (its own or one above it) and is not scanned.
    void SearchAndDestroy(const std::wstring& folder);
    void Examine(const fs::LinkProbe& links, const std::wstring& folder, const fs::WideFolderEntry& file);
    // Whether a file is the folder's own rather than a link; one that cannot
    // be opened to tell is logged and passed over.
    bool IsOwnFile(const fs::LinkProbe& links, const std::wstring& folder, const fs::WideFolderEntry& file) const;
    // Logs what the scan could not examine, and why; the scan goes on.
    static void LogNotExamined(DWORD error, const std::wstring& path);
    // Works on its own copy of start: the caller's stays at the end of the scan.
    void DeleteCollectedFiles(double start, double range);
    bool IsSafe(const std::wstring& path);
    void RaiseProgress(double value);
    void RaiseEndType(const std::string& type);
    void YieldTimes(int times);

    std::string windowsFolder_;
    std::array<bool, 5> switches_{};
    std::vector<std::string> custom_;
    bool shred_ = false;
    bool stop_ = false;

    double usedBytes_ = 0;
    double bandStart_ = 0;
    double scanShare_ = 0;
    std::array<std::vector<std::wstring>, kJunkCategoryCount> lists_;
    services::SafeIdentities safe_;  // read at the start of each cleaning
    std::int32_t filesExamined_ = 0;
    double bytesExamined_ = 0;

    shred::Shredder shredder_;
    pump::PacedDoEvents yield_;
};

// Whether a shortcut's target is surely gone. A target that cannot be read, an
// empty one (a shortcut to something that is not a file), a folder, and one on
// an absent, removable or network drive are not broken. Needs COM on the
// calling thread.
bool IsLinkBroken(const std::wstring& shortcut);
bool IsLinkBroken(const std::string& shortcut);

}  // namespace tidvex::engine
