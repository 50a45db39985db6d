// The overwriting shredder of the program and of the cleaning library: it
// overwrites a file with a fixed run of byte patterns and deletes it, shreds the
// files of a folder tree with optional filters, and fills a drive's free space
// with temporary files. Everything runs on the caller's thread and yields to the
// message loop between writes, which is when a caller's StopShred can arrive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tidvex::shred {

// Where the cleaning library's copy differs from the program's. The program
// uses the defaults.
struct ShredOptions {
    // Whether FileShred overwrites before it deletes; empty means always (the
    // program). The library passes its library-wide shred switch.
    std::function<bool()> shredSwitch;
    // The plain delete (switch off) passes its failure to the caller unless this
    // is set (the library ignores it).
    bool ignorePlainDeleteFailure = false;
    // Called after each overwritten file has been deleted, with its path (the
    // library's daily log line). What it throws is ignored.
    std::function<void(const std::string& path)> fileShredded;
    // Called after the name of a file with other names has been deleted without
    // overwriting: its content is the other names' too, and stays. What it
    // throws is ignored.
    std::function<void(const std::string& path)> nameOnlyDeleted;
    // Folders the folder walk keeps, in any spelling: it never enters,
    // overwrites, renames or removes one, nor therefore a folder above one,
    // which is not empty. A file named to FileShred is the caller's to judge.
    std::vector<std::wstring> keptFolders;
    // Test seam: called with the path of each file the shredder has written,
    // just before it deletes it, when the bytes are final.
    std::function<void(const std::string& path)> beforeDelete;
};

// The 21 runs of ten bytes each, written from a file's first byte on and
// repeated to its end.
inline constexpr unsigned char kOverwriteRuns[21] = {85, 170, 74, 99, 71, 92,  101, 112, 1,   61, 97,
                                                     119, 86, 79, 109, 72, 90, 0,   255, 212, 0};
inline constexpr int kRunLength = 10;
inline constexpr int kSequenceLength = 21 * kRunLength;  // 210

// What a log says of a file whose name alone was deleted, unwritten, because
// other names share its content: the path and why.
std::string NameOnlyDeletedNote(const std::string& path);

// The free-space fill writes files of this size.
inline constexpr std::int64_t kFillFileSize = 10'000'000;

class Shredder {
public:
    explicit Shredder(ShredOptions options = {});

    // Events. Progress is raised by ShredFreeSpace; FolderShredCompleted and
    // ShowLog are part of the class's interface but nothing raises them.
    std::function<void(double& percent)> Progress;
    std::function<void(std::int32_t total)> FolderShredCompleted;
    std::function<void(const std::string& msg)> ShowLog;

    // Always 0: nothing adds to it.
    std::int32_t TotalBytes() const { return 0; }

    // Overwrites the whole file (at least 210 bytes; of a sparse file only its
    // data, its holes taking no space) and deletes it; returns its
    // length before shredding, 0 when it could not be measured, when only a
    // plain delete was done, or when the path is refused (empty, relative, a
    // root, a device, an administrative share, a folder or a link, whose target
    // is never touched). The path is made canonical (fs/canonical.h) first. A
    // shortcut (a path ending in "lnk") and a file with other names are deleted
    // without being written to. A file in use is left as it was. Failures end
    // the call quietly; a stop leaves the file partly overwritten.
    std::int64_t FileShred(const std::wstring& file);
    std::int64_t FileShred(const std::string& file);

    // Shreds the files of a folder whose extension matches `File_Extension`
    // ("*" for all; else compared with the lower-cased extension, or with a
    // whole dot-less name ignoring case), within the size bounds in kilobytes
    // when either is non-zero; sub-folders too (without the bounds) when asked;
    // then removes the folder unless `DeleteContentsOnly`. Links are never
    // walked into, written or removed: a folder reached through a link, the
    // named one or one below it, is left whole; so is a kept folder (options),
    // and the folders above one keep their place. Returns 0.
    std::int32_t FolderShred(const std::wstring& fname, bool DeleteContentsOnly = false,
                             const std::string& File_Extension = "", bool SubDirectoriesIncluded = false,
                             double Max_fsize = 0, double Min_fsize = 0);
    std::int32_t FolderShred(const std::string& fname, bool DeleteContentsOnly = false,
                             const std::string& File_Extension = "", bool SubDirectoriesIncluded = false,
                             double Max_fsize = 0, double Min_fsize = 0);

    // Fills the free space of the drive that `drive` begins with ("C:", "C:\x")
    // with 10,000,000-byte files "TmpShred.<n>" and a last "TmpShred.x" for the
    // rest, keeps them until the drive is full, the count is reached or a stop,
    // then deletes them all. Progress after each file, 100 at the end. A failure
    // other than a full drive deletes what was written and throws RunTimeError.
    void ShredFreeSpace(const std::string& drive);

    // Kilobytes to bytes.
    double toByte(double x) const { return x * 1024; }

    // Sets the stop flag; it stays as set until the next call.
    void StopShred(bool bSet) { stop_ = bSet; }

private:
    // Whether the folder is kept or holds a kept folder.
    bool ShredFolder(const std::wstring& folder, bool contentsOnly, const std::string& extension, bool subFolders,
                     double maxBytes, double minBytes);
    bool Keeps(const std::wstring& folder) const;
    // Writes the sequence over the open file of `size` bytes; false when it
    // stopped or a write failed (the file keeps what it holds).
    bool Overwrite(void* file, std::int64_t size);
    void PlainDelete(const std::wstring& file);
    static void Notify(const std::function<void(const std::string&)>& hook, const std::wstring& path);
    bool IsShortcut(const std::wstring& file) const;

    ShredOptions options_;
    // The kept folders in their canonical form.
    std::vector<std::wstring> kept_;
    bool stop_ = false;
};

}  // namespace tidvex::shred
