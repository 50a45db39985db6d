#include "shred/data_ranges.h"

#include <algorithm>
#include <memory>
#include <new>

namespace tidvex::shred {

namespace {

constexpr DWORD kReadBlock = 1 << 20;

std::optional<uint64_t> AllocatedBytes(HANDLE file) {
    FILE_STANDARD_INFO info{};
    if (!GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info)) return std::nullopt;
    return static_cast<uint64_t>(info.AllocationSize.QuadPart);
}

bool HoldsData(const unsigned char* bytes, size_t length) {
    return std::any_of(bytes, bytes + length, [](unsigned char b) { return b != 0; });
}

}  // namespace

DataRanges::DataRanges(uint64_t size) : size_(size), whole_(true) {
    if (size > 0) runs_.push_back({0, size});
}

void DataRanges::Add(uint64_t begin, uint64_t end) {
    if (!runs_.empty() && runs_.back().second == begin)
        runs_.back().second = end;
    else
        runs_.push_back({begin, end});
}

uint64_t DataRanges::DataBytes() const {
    uint64_t bytes = 0;
    for (const auto& [begin, end] : runs_) bytes += end - begin;
    return bytes;
}

std::optional<DataRanges> DataRanges::Find(HANDLE file, uint64_t size, const std::function<bool()>& stop) {
    const std::optional<uint64_t> allocated = AllocatedBytes(file);
    if (!allocated || *allocated >= size) return DataRanges(size);
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kReadBlock]);
    if (!buffer) return std::nullopt;
    DataRanges found;
    found.size_ = size;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return std::nullopt;
    // Every sector of data lies in space the file takes: once they fill it, the rest is holes.
    uint64_t seen = 0;
    for (uint64_t offset = 0; offset < size && seen < *allocated;) {
        if (stop && stop()) return std::nullopt;
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(kReadBlock, size - offset));
        DWORD got = 0;
        if (!ReadFile(file, buffer.get(), want, &got, nullptr) || got == 0) return std::nullopt;
        for (DWORD at = 0; at < got; at += kSector) {
            const DWORD length = std::min<DWORD>(kSector, got - at);
            if (!HoldsData(buffer.get() + at, length)) continue;
            found.Add(offset + at, offset + at + length);
            seen += kSector;
        }
        offset += got;
    }
    return found;
}

bool DataRanges::ForEachIn(uint64_t begin, uint64_t end,
                           const std::function<bool(uint64_t, uint64_t)>& write) const {
    auto run = std::upper_bound(runs_.begin(), runs_.end(), begin,
                                [](uint64_t offset, const auto& r) { return offset < r.second; });
    for (; run != runs_.end() && run->first < end; ++run) {
        const uint64_t from = std::max(begin, run->first), to = std::min(end, run->second);
        if (from < to && !write(from, to - from)) return false;
    }
    return true;
}

}  // namespace tidvex::shred
