// The overwriting of one file with every pass of the chosen wiping method, its
// truncation, renaming and deletion, and the progress it reports on the way.
// Every kind of session ends up here; it runs on the session's worker thread.
//
// A listed file is judged and changed only through handles of the guarded file
// path: a link is refused (its target keeps its content and its name), and a file
// with other names is never overwritten: only its listed name is removed.
#pragma once

#include "algorithm_cursor.h"
#include "message_log.h"
#include "settings.h"
#include "shredder_events.h"

#include "handles/handles.h"
#include "shred/data_ranges.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tidvex::fs {
class GuardedFile;
}

namespace fraxil {

// A temporary file of free-space wiping: filled already, open, overwritten in place.
struct TempFileRecord {
    tidvex::handles::File handle;
    std::wstring path;
    uint64_t bytesWritten = 0;
};

// How a file is shredded: quiet 0 = a listed file (warnings, an undeletable file
// gets its name back), 1 = a file inside a shredded folder, 2 = Recycle Bin
// content (wiped and truncated, left for the shell to remove). Paths are UTF-16
// from end to end; the events show them in the system code page.
struct ShredRequest {
    std::wstring path;
    int quietLevel = 0;
    TempFileRecord* temp = nullptr;  // set for free-space wiping only
    unsigned tempIndex = 0;          // 1-based
    unsigned tempCount = 0;
};

// The folder part of a path (up to its last "\"), "." when it has none.
std::wstring FolderOf(const std::wstring& path);
// A fresh name in `folder` of the form GetTempFileName gives ("del", at most four
// hex digits, ".tmp"), reserved by making an empty file of that name; at any
// length of the folder. Nothing when it cannot.
std::optional<std::wstring> ReserveTempName(const std::wstring& folder);

// ShredFile's results.
constexpr int kShredContinue = 0;
constexpr int kShredStop = 1;

// Rounds of one pass's write loop over a file of size bytes: one more than the
// whole chunks it holds (a file of exactly 64 KB takes two, the second empty).
uint64_t ChunkRounds(uint64_t size);
// Percent of the item after written bytes of a pass: (written + 1) * 100 / size, at most 100.
long ItemPercent(uint64_t written, uint64_t size);
// Percent of the session, at most 100; without a plan the previous value stands.
long SessionPercent(uint64_t written, uint64_t planned, long previous);

class FileWiper {
public:
    FileWiper(const ShredderSettings& settings, MessageLog& log, const AlgorithmCursor& algorithms,
              ShredderEvents& events);

    // The 65,536-byte write buffer, from Initialize to Release; a running shred
    // keeps its own reference. Null when it cannot be had.
    static std::shared_ptr<uint8_t[]> NewBuffer();
    void SetBuffer(std::shared_ptr<uint8_t[]> buffer);
    bool HasBuffer() const;

    // Overwrites a file with every pass of the method at ShredMethod, truncates it,
    // renames and deletes it; or, for free-space wiping, overwrites an open
    // temporary file in place. kShredStop when aborted or when seeking failed.
    int ShredFile(const ShredRequest& request);

    long CurrentProgress() const { return currentProgress_; }
    long CurrentTotalProgress() const { return totalProgress_; }
    std::string CurrentItemShredded() const;
    long FilesInUseCount() const { return filesInUse_; }
    void SetFilesInUseCount(long n) { filesInUse_ = n; }

    // What the folder, free-space and Recycle Bin routines report on the way:
    // the item text, the item's percent and the session's (each fired), and
    // bytes written to the session's count (which fires the session's percent).
    void SetCurrentItem(const std::string& item);
    void SetCurrentProgress(long percent);
    void FireTotalProgress();
    void CountWritten(uint64_t bytes);

    // The write buffer while it exists (null after Release).
    std::shared_ptr<uint8_t[]> Buffer() const;
    void SetPlannedBytes(uint64_t planned) { plannedBytes_ = planned; }

    // Session counters: planned bytes set, written bytes and both percentages reset.
    void ResetProgress(uint64_t plannedBytes = 0);
    uint64_t PlannedBytes() const { return plannedBytes_; }
    uint64_t BytesWritten() const { return bytesWritten_; }
    void SetAbort(bool on) { abort_ = on ? 1 : 0; }
    bool AbortRequested() const { return abort_ != 0; }

    // Dispatches the window messages waiting for the calling thread.
    static void PumpWaitingMessages();

private:
    // How the passes over one file ended: all written; stopped (no method, or a
    // seek failed: reported, the session stops); or a write failed (reported, the
    // file keeps whatever it holds and is left in place).
    enum class PassesEnd { Written, Stop, WriteFailed };
    // Each pass writes the file's data only (all of it, unless it is sparse).
    PassesEnd WritePasses(HANDLE file, const tidvex::shred::DataRanges& data);
    // The steps of a shred, each false (or a result) when the file is dealt
    // with or left before its end.
    struct WritableFile;
    int OverwriteFillFile(const ShredRequest& request);
    bool OpenToOverwrite(const ShredRequest& request, const std::string& shown, WritableFile& file);
    bool NeedsOverwriting(const ShredRequest& request, const std::string& shown, tidvex::fs::GuardedFile& judged);
    bool ReopenForWriting(const std::string& shown, WritableFile& file);
    int OverwriteAndRemove(const ShredRequest& request, WritableFile& file);
    bool CutToNothing(WritableFile& file);
    void CountFileInUse(const std::string& shown);
    void ReportWriteFailure(DWORD code);
    void RemoveShreddedFile(const std::wstring& path, int quietLevel);

    const ShredderSettings& settings_;
    MessageLog& log_;
    const AlgorithmCursor& algorithms_;
    ShredderEvents& events_;

    mutable std::mutex mu_;  // guards the item text and the buffer
    std::string currentItem_;
    std::shared_ptr<uint8_t[]> buffer_;

    std::atomic<long> currentProgress_{0}, totalProgress_{0}, filesInUse_{0};
    std::atomic<uint64_t> plannedBytes_{0}, bytesWritten_{0};
    std::atomic<long> abort_{0};
};

}  // namespace fraxil
