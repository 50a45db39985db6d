#include "shred/shredder.h"

#include "fs/canonical.h"
#include "fs/fso.h"
#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "handles/handles.h"
#include "pump/pump.h"
#include "shred/data_ranges.h"
#include "text/text.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace tidvex::shred {

namespace {

// A whole number of sequences, so that every block starts the sequence anew.
constexpr DWORD kOverwriteBlock = 312 * kSequenceLength;  // 65,520 bytes
constexpr DWORD kFillBlock = 1'000'000;

const std::array<unsigned char, kOverwriteBlock>& OverwriteBlock() {
    static const auto block = [] {
        std::array<unsigned char, kOverwriteBlock> b{};
        for (DWORD i = 0; i < kOverwriteBlock; ++i) b[i] = kOverwriteRuns[(i % kSequenceLength) / kRunLength];
        return b;
    }();
    return block;
}

// The last dot-separated part of a name; a name without a dot is its own last part.
std::wstring LastPart(const std::wstring& name) {
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(dot + 1);
}

// Whether a name is taken by the filter: a dot-less name equal to it ignoring
// case; else "*" takes every file within the bounds and any other filter the
// lower-cased last part within them. A filter the code page cannot give back
// takes nothing.
bool Takes(const std::wstring& name, const std::string& filter, bool inBounds) {
    const std::wstring wanted = text::Wide(filter);
    bool take = name.find(L'.') == std::wstring::npos && text::EqualsNoCase(name, wanted);
    if (filter == "*") return take || inBounds;
    std::wstring last = LastPart(name);
    if (!last.empty()) CharLowerBuffW(last.data(), static_cast<DWORD>(last.size()));
    return take || (inBounds && last == wanted);
}

enum class FillEnd { Written, DriveFull, Stopped };

}  // namespace

std::string NameOnlyDeletedNote(const std::string& path) {
    return path + " - only this name was deleted: the file has other names, which keep its content";
}

Shredder::Shredder(ShredOptions options) : options_(std::move(options)) {
    for (const std::wstring& folder : options_.keptFolders) {
        const fs::CanonicalPath canonical = fs::Canonical(folder);
        if (canonical) kept_.push_back(canonical.path);
    }
}

bool Shredder::Keeps(const std::wstring& folder) const {
    return std::any_of(kept_.begin(), kept_.end(),
                       [&](const std::wstring& kept) { return fs::SamePath(folder, kept); });
}

bool Shredder::IsShortcut(const std::wstring& file) const {
    return file.size() >= 3 && text::EqualsNoCase(std::wstring_view(file).substr(file.size() - 3), L"lnk");
}

void Shredder::PlainDelete(const std::wstring& file) {
    try {
        fs::gFSO().DeleteFile(file, true);
    } catch (const RunTimeError&) {
        if (!options_.ignorePlainDeleteFailure) throw;
    }
}

std::int64_t Shredder::FileShred(const std::string& file) { return FileShred(text::Wide(file)); }

std::int64_t Shredder::FileShred(const std::wstring& path) {
    if (options_.shredSwitch && !options_.shredSwitch()) {
        PlainDelete(path);
        return 0;
    }
    pump::BusyPointer busy;
    const fs::CanonicalPath canonical = fs::Canonical(path);
    if (!canonical || canonical.IsRoot()) return 0;
    const std::wstring& file = canonical.path;
    // Judged and changed through handles of its own: a link is refused here, and
    // neither its target's attributes nor its content are ever touched.
    fs::GuardedFile probe = fs::GuardedFile::Open(file, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    if (!probe) return 0;
    const std::int64_t result = static_cast<std::int64_t>(probe.Facts().size);
    const DWORD attributes = probe.Facts().attributes;

    if (IsShortcut(file) || probe.HasOtherNames()) {
        // A shortcut is deleted unwritten; so is a name that shares its content
        // with others, whose content must stay for them.
        const bool shared = probe.HasOtherNames();
        probe.Close();
        if (fs::DeleteFileName(file, true).Done() && shared) Notify(options_.nameOnlyDeleted, file);
        return result;
    }

    probe.SetAttributes(FILE_ATTRIBUTE_NORMAL);
    fs::GuardedFile writer = probe.Reopen(GENERIC_READ | GENERIC_WRITE, 0);
    if (!writer) {
        // In use: left as it was, its marks included.
        probe.SetAttributes(attributes);
        return result;
    }
    if (!Overwrite(writer.Get(), result)) return result;
    // Without the flush the new bytes may never reach the disk before the
    // delete drops them, and the old content stays on the device.
    const bool flushed = FlushFileBuffers(writer.Get());
    writer.Close();
    probe.Close();
    if (!flushed) return result;

    if (options_.beforeDelete) options_.beforeDelete(text::Narrow(file));
    try {
        fs::gFSO().DeleteFile(file, true);
    } catch (const RunTimeError&) {
        return result;
    }
    Notify(options_.fileShredded, file);
    return result;
}

bool Shredder::Overwrite(HANDLE file, std::int64_t size) {
    // All the content, and never less than one full sequence; of a sparse
    // file only its data, so that its holes take no space.
    const std::int64_t length = std::max<std::int64_t>(size, kSequenceLength);
    std::optional<DataRanges> data(length);
    if (length == size) {
        data = DataRanges::Find(file, static_cast<uint64_t>(size), [this] {
            pump::DoEvents();
            return stop_;
        });
        if (!data) return false;
    }
    const auto& block = OverwriteBlock();
    for (std::int64_t done = 0; done < length;) {
        pump::DoEvents();
        if (stop_) return false;
        const DWORD n = static_cast<DWORD>(std::min<std::int64_t>(kOverwriteBlock, length - done));
        // Each part from where the block would put it: the sequence runs on from the file's first byte.
        const bool wrote = data->ForEachIn(done, done + n, [&](uint64_t offset, uint64_t part) {
            LARGE_INTEGER at;
            at.QuadPart = static_cast<LONGLONG>(offset);
            DWORD written = 0;
            return (data->Whole() || SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) &&
                   WriteFile(file, block.data() + (offset - done), static_cast<DWORD>(part), &written, nullptr) &&
                   written == part;
        });
        if (!wrote) return false;
        done += n;
    }
    return true;
}

void Shredder::Notify(const std::function<void(const std::string&)>& hook, const std::wstring& path) {
    if (!hook) return;
    try {
        hook(text::Narrow(path));
    } catch (...) {
    }
}

std::int32_t Shredder::FolderShred(const std::string& fname, bool DeleteContentsOnly,
                                   const std::string& File_Extension, bool SubDirectoriesIncluded, double Max_fsize,
                                   double Min_fsize) {
    return FolderShred(text::Wide(fname), DeleteContentsOnly, File_Extension, SubDirectoriesIncluded, Max_fsize,
                       Min_fsize);
}

std::int32_t Shredder::FolderShred(const std::wstring& fname, bool DeleteContentsOnly,
                                   const std::string& File_Extension, bool SubDirectoriesIncluded, double Max_fsize,
                                   double Min_fsize) {
    ShredFolder(fname, DeleteContentsOnly, File_Extension, SubDirectoriesIncluded, toByte(Max_fsize),
                toByte(Min_fsize));
    return 0;
}

bool Shredder::ShredFolder(const std::wstring& path, bool contentsOnly, const std::string& extension,
                           bool subFolders, double maxBytes, double minBytes) {
    pump::BusyPointer busy;
    const fs::CanonicalPath canonical = fs::Canonical(path);
    if (!canonical || canonical.IsRoot()) return false;
    const std::wstring& folder = canonical.path;
    if (Keeps(folder)) return true;
    // Opened once to be listed and judged: a folder reached through a link, its
    // own or one on the way, is not walked.
    const auto contents = fs::ReadFolder(folder);
    if (!contents || !contents->IsOwn()) return false;
    const fs::LinkProbe probe(folder, contents->finalPath);

    bool keptBelow = false;
    if (subFolders) {
        for (const auto& entry : contents->entries) {
            if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            pump::DoEvents();
            if (stop_) return false;
            // The subfolder's own walk tells whether it is reached through a link.
            if (ShredFolder(fs::ChildPath(folder, entry.name), contentsOnly, extension, true, 0, 0)) keptBelow = true;
        }
    }

    const bool bounded = maxBytes != 0 || minBytes != 0;
    for (const auto& entry : contents->entries) {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || probe.IsLink(entry.name, entry.attributes)) continue;
        const double size = static_cast<double>(entry.size);
        const bool inBounds = !bounded || (minBytes <= size && size <= maxBytes);
        if (Takes(entry.name, extension, inBounds)) FileShred(fs::ChildPath(folder, entry.name));
    }

    pump::DoEvents();
    if (stop_) return false;
    // A folder that holds a kept one keeps its attributes and its place.
    if (keptBelow) return true;
    if (!contentsOnly) {
        fs::GuardedFile own =
            fs::GuardedFile::OpenFolder(folder, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
        if (own) {
            own.SetAttributes(FILE_ATTRIBUTE_NORMAL);
            own.MarkForDeletion();
        }
    }
    return false;
}

namespace {

// Writes `size` bytes "0" into a new file, or into one of that name left from an
// earlier fill, emptied first (remembered in `written` as soon as it is open),
// and flushes them to the disk. A link or a file with other names of that name
// is never written to.
FillEnd WriteFillFile(const std::string& path, std::int64_t size, std::vector<std::string>& written,
                      const bool& stop) {
    handles::File created(
        CreateFileW(text::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    fs::GuardedFile existing;
    HANDLE h = created.Get();
    if (!created) {
        DWORD code = GetLastError();
        if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) return FillEnd::DriveFull;
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            throw fs::FsErrorFromPlatform(code, fs::kPathNotFound);
        }
        existing = fs::GuardedFile::Open(path, GENERIC_WRITE, 0);
        if (existing.Refusal() == fs::FileRefusal::Failed) throw fs::FsErrorFromPlatform(existing.Error());
        if (!existing || existing.HasOtherNames()) throw fs::MakeFsError(fs::kPermissionDenied);
        if (!SetEndOfFile(existing.Get())) throw fs::FsErrorFromPlatform(GetLastError());
        h = existing.Get();
    }
    written.push_back(path);
    static const std::string zeros(kFillBlock, '0');
    FillEnd end = FillEnd::Written;
    DWORD failure = 0;
    for (std::int64_t done = 0; done < size;) {
        if (done > 0) {
            pump::DoEvents();
            if (stop) {
                end = FillEnd::Stopped;
                break;
            }
        }
        const DWORD n = static_cast<DWORD>(std::min<std::int64_t>(kFillBlock, size - done));
        DWORD wrote = 0;
        if (!WriteFile(h, zeros.data(), n, &wrote, nullptr)) {
            failure = GetLastError();
            break;
        }
        if (wrote != n) {
            failure = ERROR_DISK_FULL;
            break;
        }
        done += n;
    }
    if (!failure && !FlushFileBuffers(h)) failure = GetLastError();
    created.Reset();
    existing.Close();
    if (failure == ERROR_DISK_FULL || failure == ERROR_HANDLE_DISK_FULL) return FillEnd::DriveFull;
    if (failure) throw fs::FsErrorFromPlatform(failure);
    return end;
}

}  // namespace

void Shredder::ShredFreeSpace(const std::string& drive) {
    pump::BusyPointer busy;
    const char letter = drive.empty() ? '\0' : static_cast<char>(drive[0] & ~0x20);
    if (drive.size() < 2 || letter < 'A' || letter > 'Z' || drive[1] != ':') throw fs::MakeFsError(fs::kPathNotFound);
    const std::string root = drive.substr(0, 2) + "\\";
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceW(text::Wide(root).c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters)) {
        throw fs::FsErrorFromPlatform(GetLastError(), fs::kPathNotFound);
    }
    const std::int64_t freeBytes =
        static_cast<std::int64_t>(sectorsPerCluster) * bytesPerSector * static_cast<std::int64_t>(freeClusters);
    const std::int64_t count = freeBytes / kFillFileSize;
    const std::int64_t rest = freeBytes - count * kFillFileSize;

    // Every file stays until the space is filled; only then do they all go.
    std::vector<std::string> written;
    auto removeAll = [&] {
        bool removed = true;
        for (const auto& path : written) {
            if (options_.beforeDelete) options_.beforeDelete(path);
            removed = fs::DeleteFileName(path, false).Done() && removed;
        }
        written.clear();
        return removed;
    };

    FillEnd end = FillEnd::Written;
    try {
        for (std::int64_t i = 1; i <= count && end == FillEnd::Written; ++i) {
            pump::DoEvents();
            if (stop_) {
                end = FillEnd::Stopped;
                break;
            }
            end = WriteFillFile(root + "TmpShred." + std::to_string(i), kFillFileSize, written, stop_);
            if (end == FillEnd::Written && Progress) {
                double percent = static_cast<double>(i) * 100 / static_cast<double>(count);
                Progress(percent);
            }
        }
        if (end == FillEnd::Written) end = WriteFillFile(root + "TmpShred.x", rest, written, stop_);
    } catch (...) {
        removeAll();
        throw;
    }
    if (!removeAll()) throw fs::MakeFsError(fs::kPermissionDenied);
    if (end != FillEnd::Stopped && Progress) {
        double percent = 100;
        Progress(percent);
    }
}

}  // namespace tidvex::shred
