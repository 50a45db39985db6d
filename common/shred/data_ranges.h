// Where a file holds data. A sparse file (one its file system keeps in fewer
// bytes than its size: the holes hold nothing) is overwritten only where it
// holds data: writing its holes would give them space on the drive, up to
// filling it, and destroy nothing.
//
// The platform tells how much space a file takes (FileStandardInfo's
// AllocationSize) but not where (FSCTL_QUERY_ALLOCATED_RANGES fails under
// Wine), so such a file is read: a sector that holds anything but zeros is
// data; one that reads as zeros has nothing to destroy, be it a hole or not.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tidvex::shred {

class DataRanges {
public:
    static constexpr uint64_t kSector = 512;

    // All of a file of `size` bytes.
    explicit DataRanges(uint64_t size);

    // The data of the open file (read access), which is `size` bytes long: all
    // of it unless its file system keeps it in fewer bytes. `stop` is asked
    // between reads; nothing when it said stop or a read failed.
    static std::optional<DataRanges> Find(HANDLE file, uint64_t size, const std::function<bool()>& stop);

    bool Whole() const { return whole_; }
    // The file's size, holes included.
    uint64_t Size() const { return size_; }
    uint64_t DataBytes() const;

    // Calls `write(offset, length)` for each part of [begin, end) that holds
    // data, in order, until one returns false; false then.
    bool ForEachIn(uint64_t begin, uint64_t end, const std::function<bool(uint64_t, uint64_t)>& write) const;

private:
    DataRanges() = default;
    void Add(uint64_t begin, uint64_t end);

    std::vector<std::pair<uint64_t, uint64_t>> runs_;  // [begin, end), in order, apart
    uint64_t size_ = 0;
    bool whole_ = false;
};

}  // namespace tidvex::shred
