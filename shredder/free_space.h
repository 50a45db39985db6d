// Wiping the free space of drives: the space a user may write is filled with
// temporary files of at most 1 GiB in a folder of the drive's root, each
// overwritten by the further passes of the method, then all deleted. Only the
// fixed drives that were listed are wiped.
#pragma once

#include "file_wiper.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fraxil {

class ShredderCore;

// A temporary file never grows beyond this.
constexpr uint64_t kTempFileLimit = uint64_t{1} << 30;

// The number of temporary files for `available` bytes: one per whole GiB and one more.
uint64_t TempFileCount(uint64_t available);

// Whether a name is one the wipe gives its temporary files: "SHRED", three or
// more digits, ".TMP", in any letter case.
bool IsFillFileName(const std::wstring& name);

// FillTemporaryFile's results.
enum FillResult : int { kFillReachedLimit = 0, kFillDiskFull = 1, kFillWriteError = 2, kFillAborted = 3 };

class FreeSpaceWiper {
public:
    explicit FreeSpaceWiper(ShredderCore& core);

    // Every listed drive (upper-cased) that is a fixed drive's root, in order,
    // until an abort; the others are skipped without a report.
    void ShredDriveList(const std::vector<std::wstring>& drives);
    // One drive, root like "C:\".
    void ShredDriveFreeSpace(const std::string& root);
    // Writes zeros from the shared buffer until the file reaches the limit or
    // the disk is full, halving the block down to 512 bytes to use the last
    // clusters. The file's content is on the device when it returns 0 or 1.
    int FillTemporaryFile(TempFileRecord& record);

private:
    // The bytes the user may write on the drive; 0 when it is not wiped (reported).
    uint64_t SpaceToFill(const std::string& root);
    // False when there is no memory for them (reported).
    bool ReserveRecords(std::vector<TempFileRecord>& records, uint64_t count);
    // Plans the session's bytes and gives the write buffer, zeroed; null when there is none.
    std::shared_ptr<uint8_t[]> StartFill(short method, uint64_t available);
    // Creates and fills every temporary file of `records`: how many were made,
    // or nothing when one could not be made or filled.
    std::optional<uint64_t> FillFreeSpace(const std::wstring& folder, short method,
                                          std::vector<TempFileRecord>& records);
    // The further passes of the method over the first `created` files, in place.
    void OverwriteTempFiles(std::vector<TempFileRecord>& records, uint64_t created);
    // Closes and deletes every temporary file still open.
    void DeleteTempFiles(std::vector<TempFileRecord>& records);

    ShredderCore& core_;
};

}  // namespace fraxil
