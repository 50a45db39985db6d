#include "free_space.h"

#include "shredder_core.h"

#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "text/text.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>

namespace fraxil {

namespace fs = tidvex::fs;
using tidvex::text::Narrow;
using tidvex::text::Wide;

namespace {

constexpr DWORD kSmallestBlock = 512;
constexpr uint64_t kBlocksPerFile = kTempFileLimit / kWriteBufferSize;  // 16,384
// Looking for waiting messages is a call to Wine's server that costs about as
// much as writing a block: the fill looks after its first block and then after
// every 16th (1 MB), and reads the abort flag after every one.
constexpr uint64_t kBlocksPerPump = 16;

// The temporary folder must be a folder of its own on the drive: one that was
// there already is used only when it is no link.
bool MakeTempFolder(const std::wstring& folder) {
    if (CreateDirectoryW(fs::CallableFullPath(folder).c_str(), nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    return static_cast<bool>(fs::GuardedFile::OpenFolder(folder, FILE_READ_ATTRIBUTES));
}

// A temporary folder that a process left when it ended during a wipe still
// holds its fill files: they take space the new wipe must reach. Only files of
// the wipe's own names, each a plain file of one name, go; a link is never
// followed, and anything else stays where it is (and keeps the folder).
void RemoveLeftFillFiles(const std::wstring& folder) {
    auto entries = fs::ListFolder(folder);
    if (!entries) return;
    for (const fs::WideFolderEntry& e : *entries) {
        if ((e.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) || !IsFillFileName(e.name))
            continue;
        fs::GuardedFile file = fs::GuardedFile::Open(fs::JoinPath(folder, e.name), DELETE | FILE_READ_ATTRIBUTES);
        if (file && !file.HasOtherNames()) file.MarkForDeletion();
    }
}

std::wstring TempFileName(const std::wstring& folder, uint64_t k) {
    wchar_t name[32];
    std::swprintf(name, sizeof name / sizeof name[0], L"SHRED%03u.TMP", static_cast<unsigned>(k));
    return folder + L"\\" + name;
}

// How far the fill looks for a free name past names that are taken.
constexpr uint64_t kNameTries = 1000;

// Makes the next temporary file of its own, numbered from `next` on: a file
// left by an earlier run loses its name first (never its other names'
// content); a name that something else holds (a folder, a link, a file in use)
// is stepped over, never opened, so nothing is written through a link.
// `next` moves past the number taken.
bool CreateTempFile(const std::wstring& folder, uint64_t& next, TempFileRecord& record) {
    for (uint64_t tries = 0; tries < kNameTries; ++tries, ++next) {
        record.path = TempFileName(folder, next);
        fs::DeleteFileName(record.path, true);
        record.handle.Reset(CreateFileW(fs::CallableFullPath(record.path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_FLAG_WRITE_THROUGH, nullptr));
        if (record.handle) {
            ++next;
            return true;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS && code != ERROR_ACCESS_DENIED) return false;
    }
    return false;
}

}  // namespace

uint64_t TempFileCount(uint64_t available) { return available / kTempFileLimit + 1; }

bool IsFillFileName(const std::wstring& name) {
    constexpr size_t kPrefix = 5, kSuffix = 4;  // "SHRED", ".TMP"
    if (name.size() < kPrefix + 3 + kSuffix) return false;
    if (CompareStringOrdinal(name.c_str(), kPrefix, L"SHRED", kPrefix, TRUE) != CSTR_EQUAL) return false;
    if (CompareStringOrdinal(name.c_str() + name.size() - kSuffix, kSuffix, L".TMP", kSuffix, TRUE) != CSTR_EQUAL)
        return false;
    for (size_t i = kPrefix; i < name.size() - kSuffix; ++i)
        if (name[i] < L'0' || name[i] > L'9') return false;
    return true;
}

FreeSpaceWiper::FreeSpaceWiper(ShredderCore& core) : core_(core) {}

void FreeSpaceWiper::ShredDriveList(const std::vector<std::wstring>& drives) {
    const FixedDriveTable table = core_.DriveTable();
    for (const std::wstring& listed : drives) {
        if (core_.Wiper().AbortRequested()) return;
        std::wstring drive = listed;
        CharUpperBuffW(drive.data(), static_cast<DWORD>(drive.size()));
        for (const std::string& root : table.roots) {
            if (!root.empty() && drive == Wide(root)) {
                ShredDriveFreeSpace(root);
                break;
            }
        }
    }
}

void FreeSpaceWiper::ShredDriveFreeSpace(const std::string& root) {
    if (core_.Wiper().AbortRequested()) return;
    const std::wstring folder = Wide(root) + L"SHREDTMP.$$$";
    if (!MakeTempFolder(folder)) {
        MessageLog& log = core_.Messages();
        log.ReportError(31012, log.LookupMessage(31012));
        return;
    }
    RemoveLeftFillFiles(folder);

    const uint64_t available = SpaceToFill(root);
    std::vector<TempFileRecord> records;
    if (available == 0 || !ReserveRecords(records, TempFileCount(available))) {
        fs::RemoveEmptyFolder(folder);
        return;
    }
    const short method = core_.Settings().ShredMethod();
    const std::shared_ptr<uint8_t[]> buffer = StartFill(method, available);
    const std::optional<uint64_t> created = buffer ? FillFreeSpace(folder, method, records) : std::nullopt;
    if (created && !core_.Wiper().AbortRequested() && method != 0 && *created > 0)
        OverwriteTempFiles(records, *created);

    // Always, also after a failure or an abort: nothing of the wipe stays on the drive.
    DeleteTempFiles(records);
    records.clear();
    fs::RemoveEmptyFolder(folder);
    SetFocus(nullptr);
}

uint64_t FreeSpaceWiper::SpaceToFill(const std::string& root) {
    MessageLog& log = core_.Messages();
    const DiskSpace space = core_.QueryDiskSpace(root).value_or(DiskSpace{});
    const uint64_t available = space.availableToUser;
    if (available == 0) {
        const long number = space.totalFree != 0 ? 31045 : 31046;
        log.ReportError(number, FillFormatted(log.LookupMessage(number), {{'c', root.substr(0, 2)}}));
        return 0;
    }
    if (available != space.totalFree) {
        const std::string quota =
            FillFormatted(log.LookupMessage(31033), {{'s', core_.Settings().ShredderApplicationName()}});
        // Told also as a message: a session that wiped nothing must say why.
        log.ReportMessage(quota);
        if (core_.Settings().FlagValue(Flag::DisableWarning) == 0) {
            core_.SetLastMessage(quota);
            return 0;
        }
    }
    return available;
}

bool FreeSpaceWiper::ReserveRecords(std::vector<TempFileRecord>& records, uint64_t count) {
    try {
        records.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        MessageLog& log = core_.Messages();
        log.ReportError(31006, log.LookupMessage(31006));
        return false;
    }
    return true;
}

std::shared_ptr<uint8_t[]> FreeSpaceWiper::StartFill(short method, uint64_t available) {
    FileWiper& wiper = core_.Wiper();
    const uint64_t passes = core_.Algorithms().PassesOf(static_cast<size_t>(method)).size();
    wiper.SetPlannedBytes((passes + (method != 0 ? 1 : 0)) * available);
    wiper.SetCurrentItem(core_.Messages().LookupMessage(31908));
    wiper.SetCurrentProgress(0);
    std::shared_ptr<uint8_t[]> buffer = wiper.Buffer();
    if (buffer) std::fill_n(buffer.get(), kWriteBufferSize, uint8_t{0});
    return buffer;
}

std::optional<uint64_t> FreeSpaceWiper::FillFreeSpace(const std::wstring& folder, short method,
                                                      std::vector<TempFileRecord>& records) {
    FileWiper& wiper = core_.Wiper();
    MessageLog& log = core_.Messages();
    const uint64_t count = records.size();
    uint64_t created = 0, nextName = 0;
    for (TempFileRecord& record : records) {
        if (!CreateTempFile(folder, nextName, record)) {
            log.ReportError(31013, log.LookupMessage(31013));
            return std::nullopt;
        }
        ++created;
        // A journalling file system holds back the space of files deleted just
        // before until its journal is written: writing it now frees that space for the fill.
        FlushFileBuffers(record.handle.Get());
        const std::string verb = log.LookupMessage(method != 0 ? 31916 : 31915);
        wiper.SetCurrentItem(FillPlaceholders(log.LookupMessage(31914), {{'s', verb},
                                                                         {'u', std::to_string(created)},
                                                                         {'t', std::to_string(count)}}));
        const int result = FillTemporaryFile(record);
        if (result != kFillReachedLimit && result != kFillDiskFull) return std::nullopt;
    }
    return created;
}

void FreeSpaceWiper::OverwriteTempFiles(std::vector<TempFileRecord>& records, uint64_t created) {
    FileWiper& wiper = core_.Wiper();
    for (uint64_t i = 1; i <= created && !wiper.AbortRequested(); ++i) {
        ShredRequest request;
        request.temp = &records[static_cast<size_t>(i - 1)];
        request.tempIndex = static_cast<unsigned>(i);
        request.tempCount = static_cast<unsigned>(created);
        if (wiper.ShredFile(request) != kShredContinue) break;
    }
}

void FreeSpaceWiper::DeleteTempFiles(std::vector<TempFileRecord>& records) {
    FileWiper& wiper = core_.Wiper();
    wiper.SetCurrentProgress(0);
    wiper.FireTotalProgress();
    wiper.SetCurrentItem(core_.Messages().LookupMessage(31911));
    const uint64_t count = records.size();
    for (uint64_t j = 1; j <= count; ++j) {
        TempFileRecord& record = records[static_cast<size_t>(j - 1)];
        if (record.handle) {
            record.handle.Reset();
            fs::DeleteFileName(record.path, true);
        }
        wiper.SetCurrentProgress(static_cast<long>(std::min<uint64_t>(100, 100 * j / count)));
        wiper.FireTotalProgress();
    }
}

int FreeSpaceWiper::FillTemporaryFile(TempFileRecord& record) {
    FileWiper& wiper = core_.Wiper();
    if (wiper.AbortRequested()) return kFillAborted;
    std::shared_ptr<uint8_t[]> buffer = wiper.Buffer();
    if (!buffer) return kFillWriteError;
    DWORD block = kWriteBufferSize;
    wiper.SetCurrentProgress(0);
    wiper.FireTotalProgress();
    uint64_t writes = 0;
    // The system keeps what was written in its cache however the file was
    // opened: only a flush puts the zeros over the old content on the device.
    auto flushed = [&](int result) {
        FlushFileBuffers(record.handle.Get());
        return result;
    };
    for (;;) {
        DWORD done = 0;
        const bool ok = WriteFile(record.handle.Get(), buffer.get(), block, &done, nullptr);
        // A write that succeeds without writing anything is a full disk too.
        const DWORD code = ok ? ERROR_DISK_FULL : GetLastError();
        if (ok && done > 0) {
            ++writes;
            wiper.SetCurrentProgress(static_cast<long>(std::min<uint64_t>(100, writes * 100 / kBlocksPerFile)));
            wiper.CountWritten(done);
            record.bytesWritten += done;
            if (record.bytesWritten >= kTempFileLimit) return flushed(kFillReachedLimit);
            if (writes % kBlocksPerPump == 1) FileWiper::PumpWaitingMessages();
            if (wiper.AbortRequested()) return kFillAborted;
            continue;
        }
        if (block > kSmallestBlock) {
            block /= 2;
            continue;
        }
        if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) return flushed(kFillDiskFull);
        MessageLog& log = core_.Messages();
        std::string text = FillPlaceholders(log.LookupMessage(31047), {{'s', SystemErrorText(code, 255)}});
        log.ReportError(31047, AppendErrorCode(text, code));
        return kFillWriteError;
    }
}

}  // namespace fraxil
