#include "file_wiper.h"

#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "text/text.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <new>
#include <vector>

namespace fraxil {

namespace fs = tidvex::fs;

namespace {

std::string Number(uint64_t n) { return std::to_string(n); }

// What one handle needs to judge, unmark, overwrite and truncate a file. Not
// the right to delete it: others may go on reading and writing it meanwhile.
constexpr DWORD kWriteAccess = GENERIC_READ | GENERIC_WRITE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

// Puts what a pass has written so far on the device while the pass goes on:
// the device works while the pass writes into the cache and waits for its
// events, and the flush at the pass's end waits only for the rest. A thread of
// its own flushes the file after every step written; what it finds wrong the
// flush at the end finds too. A file of less than two steps has no such thread.
class EarlyWriteback {
public:
    static constexpr uint64_t kStep = 8 << 20;

    EarlyWriteback(HANDLE file, uint64_t size) : file_(file) {
        if (size < 2 * kStep) return;
        wake_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (wake_ && stop_) thread_.Reset(CreateThread(nullptr, 0, &EarlyWriteback::Run, this, 0, nullptr));
    }
    ~EarlyWriteback() {
        if (!thread_) return;
        SetEvent(stop_.Get());
        WaitForSingleObject(thread_.Get(), INFINITE);
    }
    EarlyWriteback(const EarlyWriteback&) = delete;
    EarlyWriteback& operator=(const EarlyWriteback&) = delete;

    void StartPass() { next_ = kStep; }
    // `written` bytes of this pass are in the file.
    void Written(uint64_t written) {
        if (!thread_ || written < next_) return;
        next_ = written + kStep;
        SetEvent(wake_.Get());
    }

private:
    static DWORD WINAPI Run(void* p) {
        auto* self = static_cast<EarlyWriteback*>(p);
        const HANDLE waits[2] = {self->stop_.Get(), self->wake_.Get()};
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) FlushFileBuffers(self->file_);
        return 0;
    }

    HANDLE file_;
    uint64_t next_ = kStep;
    tidvex::handles::KernelObject wake_, stop_, thread_;
};

bool SeekToStart(HANDLE file) {
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

bool SeekTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
}

}  // namespace

uint64_t ChunkRounds(uint64_t size) { return (size + 1) / kWriteBufferSize + 1; }

long ItemPercent(uint64_t written, uint64_t size) {
    if (size == 0) return 100;
    return static_cast<long>(std::min<uint64_t>(100, (written + 1) * 100 / size));
}

long SessionPercent(uint64_t written, uint64_t planned, long previous) {
    if (planned == 0) return previous;
    double percent = static_cast<double>(written) * 100.0 / static_cast<double>(planned);
    return static_cast<long>(std::min(100.0, percent));
}

FileWiper::FileWiper(const ShredderSettings& settings, MessageLog& log, const AlgorithmCursor& algorithms,
                     ShredderEvents& events)
    : settings_(settings), log_(log), algorithms_(algorithms), events_(events) {}

std::shared_ptr<uint8_t[]> FileWiper::NewBuffer() {
    std::shared_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kWriteBufferSize]);
    if (buffer) std::fill_n(buffer.get(), kWriteBufferSize, uint8_t{0});
    return buffer;
}

void FileWiper::SetBuffer(std::shared_ptr<uint8_t[]> buffer) {
    std::lock_guard lock(mu_);
    buffer_ = std::move(buffer);
}

bool FileWiper::HasBuffer() const {
    std::lock_guard lock(mu_);
    return buffer_ != nullptr;
}

std::string FileWiper::CurrentItemShredded() const {
    std::lock_guard lock(mu_);
    return currentItem_;
}

std::shared_ptr<uint8_t[]> FileWiper::Buffer() const {
    std::lock_guard lock(mu_);
    return buffer_;
}

void FileWiper::ResetProgress(uint64_t plannedBytes) {
    plannedBytes_ = plannedBytes;
    bytesWritten_ = 0;
    currentProgress_ = 0;
    totalProgress_ = 0;
}

void FileWiper::SetCurrentItem(const std::string& item) {
    {
        std::lock_guard lock(mu_);
        currentItem_ = item;
    }
    events_.OnCurrentItemShredded(item);
}

void FileWiper::SetCurrentProgress(long percent) {
    currentProgress_ = percent;
    events_.OnCurrentProgress(percent);
}

void FileWiper::FireTotalProgress() { events_.OnCurrentTotalProgress(totalProgress_); }

void FileWiper::CountWritten(uint64_t bytes) {
    uint64_t written = bytesWritten_ += bytes;
    totalProgress_ = SessionPercent(written, plannedBytes_, totalProgress_);
    FireTotalProgress();
}

void FileWiper::CountFileInUse(const std::string& shown) {
    log_.ReportWarning(FillPlaceholders(log_.LookupMessage(31037), {{'s', shown}}));
    ++filesInUse_;
}

void FileWiper::PumpWaitingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void FileWiper::ReportWriteFailure(DWORD code) {
    std::string text = FillPlaceholders(log_.LookupMessage(31047), {{'s', SystemErrorText(code, 255)}});
    log_.ReportError(31047, AppendErrorCode(text, code));
}

// The file a shred overwrites: `writer` writes it; `probe`, when the file had
// to be judged through a handle that may not write, stays open until the
// writer is closed (members close in reverse: the writer first).
struct FileWiper::WritableFile {
    fs::GuardedFile probe;
    fs::GuardedFile writer;
    DWORD attributes = 0;
    uint64_t judgedSize = 0;
};

int FileWiper::ShredFile(const ShredRequest& request) {
    if (abort_) return kShredStop;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    if (request.temp) return OverwriteFillFile(request);

    const std::string shown = tidvex::text::Narrow(request.path);
    SetCurrentItem(shown);
    WritableFile file;
    if (!OpenToOverwrite(request, shown, file)) return kShredContinue;
    return OverwriteAndRemove(request, file);
}

int FileWiper::OverwriteFillFile(const ShredRequest& request) {
    SetCurrentItem(FillPlaceholders(log_.LookupMessage(31919), {{'s', tidvex::text::Narrow(request.temp->path)},
                                                                {'u', Number(request.tempIndex)},
                                                                {'t', Number(request.tempCount)}}));
    SetCurrentItem(tidvex::text::Narrow(request.path));
    // The record's handle stays open and the file in place, for the caller.
    if (!request.temp->handle) return kShredContinue;
    switch (WritePasses(request.temp->handle.Get(), tidvex::shred::DataRanges(request.temp->bytesWritten))) {
        case PassesEnd::Stop: return kShredStop;
        case PassesEnd::WriteFailed: return kShredContinue;
        case PassesEnd::Written: break;
    }
    return abort_ ? kShredStop : kShredContinue;
}

bool FileWiper::OpenToOverwrite(const ShredRequest& request, const std::string& shown, WritableFile& file) {
    // The status is read through the guard: a link is not the listed file, and
    // neither the attributes nor the content of what it leads to are touched.
    // One handle serves from the judging to the truncation, so the name is
    // judged once for all of it. A file that refuses writing (read-only, in use)
    // is judged through a handle that may only read and change its attributes,
    // and opened for writing once its marks are cleared.
    fs::GuardedFile whole = fs::GuardedFile::Open(request.path, kWriteAccess, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                  FILE_FLAG_WRITE_THROUGH);
    if (!whole) file.probe = fs::GuardedFile::Open(request.path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    fs::GuardedFile& judged = whole ? whole : file.probe;
    if (!judged) {
        log_.ReportError(31034, FillPlaceholders(log_.LookupMessage(31034), {{'s', shown}}));
        return false;
    }
    file.attributes = judged.Facts().attributes;
    file.judgedSize = judged.Facts().size;
    if (!NeedsOverwriting(request, shown, judged)) return false;

    judged.SetAttributes(FILE_ATTRIBUTE_NORMAL);
    if (whole) {
        file.writer = std::move(whole);
        return true;
    }
    return ReopenForWriting(shown, file);
}

bool FileWiper::NeedsOverwriting(const ShredRequest& request, const std::string& shown, fs::GuardedFile& judged) {
    if (judged.Facts().size == 0) {
        judged.Close();
        fs::DeleteFileName(request.path, false);
        return false;
    }
    const DWORD marked = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((judged.Facts().attributes & marked) && request.quietLevel == 0) {
        log_.ReportWarning(FillPlaceholders(log_.LookupMessage(31036), {{'s', shown}}));
        if (settings_.FlagValue(Flag::ShredHiddenAndSystemFiles) == 0) return false;
    }
    if (judged.HasOtherNames()) {
        // Its content is also the content of its other names: overwriting it
        // would destroy theirs. Only the listed name goes (Recycle Bin content is
        // left for the shell to remove), and the log says so.
        judged.Close();
        if (request.quietLevel != 2 && !fs::DeleteFileName(request.path, true).Done()) {
            CountFileInUse(shown);
        } else {
            log_.ReportWarning(FillPlaceholders(log_.LookupMessage(31041), {{'s', shown}}));
        }
        return false;
    }
    return true;
}

bool FileWiper::ReopenForWriting(const std::string& shown, WritableFile& file) {
    file.writer = file.probe.Reopen(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    FILE_FLAG_WRITE_THROUGH);
    if (file.writer) return true;
    // In use: left as it was, its marks included.
    file.probe.SetAttributes(file.attributes);
    if (file.writer.Refusal() == fs::FileRefusal::Link) {
        log_.ReportError(31034, FillPlaceholders(log_.LookupMessage(31034), {{'s', shown}}));
    } else {
        CountFileInUse(shown);
    }
    return false;
}

int FileWiper::OverwriteAndRemove(const ShredRequest& request, WritableFile& file) {
    // The open file is what gets overwritten: its size counts, not the one read
    // before; that one still serves if the open file's size cannot be read, so a
    // file is never truncated unwritten.
    uint64_t size = file.judgedSize;
    LARGE_INTEGER openSize;
    if (GetFileSizeEx(file.writer.Get(), &openSize)) size = static_cast<uint64_t>(openSize.QuadPart);
    // An abort meanwhile leaves the passes nothing to write: the file is cut and removed all the same.
    std::optional<tidvex::shred::DataRanges> data = tidvex::shred::DataRanges::Find(file.writer.Get(), size, [this] {
        PumpWaitingMessages();
        return abort_ != 0;
    });
    if (!data && !abort_) {
        ReportWriteFailure(GetLastError());
        return kShredContinue;  // nothing was written: the file stays as it was
    }
    if (!data) data.emplace(size);

    switch (WritePasses(file.writer.Get(), *data)) {
        case PassesEnd::Stop: return kShredStop;
        case PassesEnd::WriteFailed: return kShredContinue;  // old content may remain: the file stays
        case PassesEnd::Written: break;
    }
    if (!CutToNothing(file)) return kShredStop;
    if (request.quietLevel != 2) RemoveShreddedFile(request.path, request.quietLevel);
    return abort_ ? kShredStop : kShredContinue;
}

bool FileWiper::CutToNothing(WritableFile& file) {
    if (!SeekToStart(file.writer.Get())) {
        DWORD code = GetLastError();
        file.writer.Close();
        log_.ReportError(37000, SystemErrorText(code, 100));
        return false;
    }
    SetEndOfFile(file.writer.Get());
    file.writer.Close();
    file.probe.Close();
    return true;
}

FileWiper::PassesEnd FileWiper::WritePasses(HANDLE file, const tidvex::shred::DataRanges& data) {
    std::vector<PassInfo> passes = algorithms_.PassesOf(static_cast<size_t>(settings_.ShredMethod()));
    std::shared_ptr<uint8_t[]> buffer;
    {
        std::lock_guard lock(mu_);
        buffer = buffer_;
    }
    if (passes.empty() || !buffer) {
        log_.ReportError(37016, log_.LookupMessage(37016));
        return PassesEnd::Stop;
    }

    SetCurrentProgress(0);
    FireTotalProgress();

    const uint64_t size = data.Size();
    EarlyWriteback writeback(file, data.Whole() ? size : 0);
    const std::string passCount = Number(passes.size());
    for (size_t p = 0; p < passes.size(); ++p) {
        const PassInfo& pass = passes[p];
        std::string text = FillPlaceholders(log_.LookupMessage(31921), {{'d', Number(p + 1)}, {'e', passCount}});
        FillWriteBuffer(buffer.get(), pass, static_cast<size_t>(std::min<uint64_t>(size, kWriteBufferSize)));
        switch (pass.type) {
            case WriteType::Random:
                text += log_.LookupMessage(31923);
                break;
            case WriteType::Pattern:
                text += log_.LookupMessage(31922);
                text += " 0x";
                for (uint8_t b : pass.pattern) text += FormatPatternHex(b);
                break;
            case WriteType::Complement:
                text += log_.LookupMessage(31924);
                break;
        }
        log_.FireMessage(text);

        if (!SeekToStart(file)) {
            log_.ReportError(37000, SystemErrorText(GetLastError(), 100));
            return PassesEnd::Stop;
        }
        const uint64_t chunks = ChunkRounds(size);
        uint64_t written = 0;
        writeback.StartPass();
        for (uint64_t c = 0; c < chunks && !abort_; ++c) {
            DWORD k = static_cast<DWORD>(std::min<uint64_t>(size - written, kWriteBufferSize));
            // Only the data of the chunk, each part from where the chunk's
            // buffer would put it: a sparse file's holes stay holes.
            const bool wrote = data.ForEachIn(written, written + k, [&](uint64_t offset, uint64_t length) {
                const DWORD n = static_cast<DWORD>(length);
                DWORD done = 0;
                BOOL ok = (data.Whole() || SeekTo(file, offset)) &&
                          WriteFile(file, buffer.get() + (offset - written), n, &done, nullptr);
                if (ok && done == n) return true;
                // Old content may still be there: this file does not count as shredded.
                ReportWriteFailure(ok ? ERROR_DISK_FULL : GetLastError());
                return false;
            });
            if (!wrote) return PassesEnd::WriteFailed;
            written += k;
            writeback.Written(written);
            SetCurrentProgress(ItemPercent(written, size));
            CountWritten(k);
        }
        // The system may keep the pass in its cache however the file was opened;
        // only a flush puts it on the device before the next pass or the truncation.
        if (!FlushFileBuffers(file)) {
            ReportWriteFailure(GetLastError());
            return PassesEnd::WriteFailed;
        }
        PumpWaitingMessages();
    }
    return PassesEnd::Written;
}

// Renames the emptied file to a fresh name in its folder before deleting it, so
// the directory keeps neither its content nor its name. Both go through one
// guarded handle of the file (it goes when that handle is closed), so a link
// put in the file's place meanwhile is neither renamed nor followed.
void FileWiper::RemoveShreddedFile(const std::wstring& path, int quietLevel) {
    fs::GuardedFile file = fs::GuardedFile::Open(path, DELETE | FILE_READ_ATTRIBUTES);
    if (file) {
        bool renamed = false;
        if (std::optional<std::wstring> temp = ReserveTempName(FolderOf(path))) {
            fs::DeleteFileName(*temp, false);  // the empty file that reserved the name
            renamed = file.Rename(*temp);
        }
        if (file.MarkForDeletion()) return;
        // With quiet level 1 the file stays under the fresh name.
        if (renamed && quietLevel == 0) file.Rename(path);
    }
    if (quietLevel == 0)
        log_.ReportWarning(FillPlaceholders(log_.LookupMessage(31038), {{'s', tidvex::text::Narrow(path)}}));
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::optional<std::wstring> ReserveTempName(const std::wstring& folder) {
    // GetTempFileName copies into a buffer of MAX_PATH characters whatever the
    // folder's length, so the names are made here the way it makes them: from
    // a number that starts at the clock and counts on past names already taken.
    const std::wstring full = fs::CallableFullPath(folder);
    if (full.empty()) return std::nullopt;
    const unsigned start = GetTickCount() & 0xffff;
    for (unsigned i = 0; i < 0x10000; ++i) {
        const unsigned unique = ((start + i) & 0xffff) ? (start + i) & 0xffff : 1;
        wchar_t name[16];
        std::swprintf(name, sizeof name / sizeof name[0], L"del%x.tmp", unique);
        const std::wstring path = fs::JoinPath(full, std::wstring(name));
        // CREATE_NEW never follows a link of that name, dangling or not.
        tidvex::handles::File reserved(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (reserved) return fs::JoinPath(folder, std::wstring(name));
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace fraxil
