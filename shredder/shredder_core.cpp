#include "shredder_core.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace fraxil {

namespace {

std::string Number(uint64_t n) { return std::to_string(n); }

bool SeekToStart(HANDLE file) {
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
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

ShredderCore::ShredderCore(ShredderEvents& events) : events_(events) {}

ShredderCore::~ShredderCore() { FreeResources(); }

std::string ShredderCore::Get(const std::string& field) const {
    std::lock_guard lock(mu_);
    return field;
}

void ShredderCore::Set(std::string& field, std::string value) {
    std::lock_guard lock(mu_);
    field = std::move(value);
}

bool ShredderCore::SetShredMethod(long index) {
    if (index < 0 || index >= kAlgorithmCount) return false;
    shredMethod_ = static_cast<short>(index);
    return true;
}

std::string ShredderCore::CommandLineString() const {
    std::lock_guard lock(mu_);
    return std::string(commandLine_.data());
}

void ShredderCore::SetCommandLineString(const std::string& text) {
    std::lock_guard lock(mu_);
    std::fill(commandLine_.begin(), commandLine_.end(), '\0');
    std::copy_n(text.begin(), std::min(text.size(), kCommandLineSize - 1), commandLine_.begin());
}

bool ShredderCore::Initialized() const {
    std::lock_guard lock(mu_);
    return buffer_ != nullptr;
}

void ShredderCore::ApplyDefaults() {
    {
        std::lock_guard lock(mu_);
        language_ = "English";
        logFileName_ = "log.txt";
        errorText_.clear();
    }
    errorNumber_ = 0;
    shredMethod_ = 0;
    for (auto& f : flags_) f = 0;
    SetFlag(Flag::EnableRestorePoints, 1);
    SetFlag(Flag::EnableContextMenu, 1);
    SetFlag(Flag::ShredHiddenAndSystemFiles, 1);
    sessionType_ = 0;
    sessionState_ = kSessionIdle;
    ResetProgress(0);
}

long ShredderCore::Initialize() {
    ApplyDefaults();
    FreeResources();
    releasedEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    abort_ = 0;
    {
        std::lock_guard lock(mu_);
        algorithms_ = BuildAlgorithmTable();
        algorithmCursor_ = -1;
        currentAlgorithm_ = -1;
    }

    std::shared_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kWriteBufferSize]);
    if (!buffer) {
        FireErrorEvent(39006, LookupMessage(39006));
        return 0;
    }
    std::fill_n(buffer.get(), kWriteBufferSize, uint8_t{0});

    // The object's own thread must be able to use COM; one that is in an apartment
    // already keeps it.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == S_FALSE) CoUninitialize();
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
        FireErrorEvent(39007, LookupMessage(39007));
        return 0;
    }

    SystemFolders folders = ReadSystemFolders();
    recycleBinApis_ = CheckRecycleBinApis();

    HMODULE kernel = LoadLibraryA("kernel32.dll");
    if (!kernel) {
        FireErrorEvent(31008, LookupMessage(31008));
        return 0;
    }
    kernel32_ = kernel;
    getDiskFreeSpace_ = GetProcAddress(kernel, "GetDiskFreeSpaceExA");
    haveDiskFreeSpaceEx_ = getDiskFreeSpace_ != nullptr;
    if (!getDiskFreeSpace_) getDiskFreeSpace_ = GetProcAddress(kernel, "GetDiskFreeSpaceA");
    if (!getDiskFreeSpace_) {
        FireErrorEvent(31009, LookupMessage(31009));
        return 0;
    }

    FixedDriveTable drives = BuildDriveTable();

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    std::string sid;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (drives.anyNtfs && recycleBinApis_) {
            int step = GetUserSidText(sid);
            if (step != 0) {
                FireErrorEvent(31035, FillPlaceholders(LookupMessage(31035), {{'u', Number(step)}}));
                return 0;
            }
        }
        setFilePointerEx_ = GetProcAddress(kernel, "SetFilePointerEx");
        if (!setFilePointerEx_) {
            FireErrorEvent(31009, LookupMessage(31009));
            return 0;
        }
    }

    {
        std::lock_guard lock(mu_);
        buffer_ = std::move(buffer);
        systemFolders_ = std::move(folders);
        drives_ = std::move(drives);
        userSid_ = std::move(sid);
        messageText_ = "Init Success.";
    }
    events_.OnMessage("Init Success.");
    return 1;
}

void ShredderCore::FreeResources() {
    {
        std::lock_guard lock(mu_);
        buffer_.reset();
        algorithms_.clear();
        algorithmCursor_ = -1;
        currentAlgorithm_ = -1;
        systemFolders_ = {};
        drives_ = {};
        userSid_.clear();
    }
    if (kernel32_) FreeLibrary(kernel32_);
    kernel32_ = nullptr;
    getDiskFreeSpace_ = nullptr;
    haveDiskFreeSpaceEx_ = false;
    setFilePointerEx_ = nullptr;
    recycleBinApis_ = false;
    if (releasedEvent_) {
        SetEvent(releasedEvent_);
        CloseHandle(releasedEvent_);
        releasedEvent_ = nullptr;
    }
}

void ShredderCore::Release() { FreeResources(); }

SystemFolders ShredderCore::SystemFolderList() const {
    std::lock_guard lock(mu_);
    return systemFolders_;
}

FixedDriveTable ShredderCore::DriveTable() const {
    std::lock_guard lock(mu_);
    return drives_;
}

// --- method cursor ---------------------------------------------------------

long ShredderCore::GetFirstAlgorithm() {
    bool empty;
    {
        std::lock_guard lock(mu_);
        empty = algorithms_.empty();
        if (!empty) {
            currentAlgorithm_ = 0;
            algorithmCursor_ = 0;
        }
    }
    if (empty) {
        ReportError(37016, LookupMessage(37016));
        return 0;
    }
    return 1;
}

long ShredderCore::NextAlgorithm() {
    bool atEnd;
    {
        std::lock_guard lock(mu_);
        atEnd = algorithmCursor_ < 0 || algorithmCursor_ >= static_cast<long>(algorithms_.size());
        if (!atEnd) currentAlgorithm_ = algorithmCursor_++;
    }
    if (atEnd) {
        ReportError(37017, LookupMessage(37017));
        return 0;
    }
    return 1;
}

bool ShredderCore::HasCurrentAlgorithm() const {
    std::lock_guard lock(mu_);
    return currentAlgorithm_ >= 0 && currentAlgorithm_ < static_cast<long>(algorithms_.size());
}

std::string ShredderCore::CurrentAlgorithmName() const {
    std::lock_guard lock(mu_);
    if (currentAlgorithm_ < 0 || currentAlgorithm_ >= static_cast<long>(algorithms_.size())) return {};
    return algorithms_[currentAlgorithm_].name;
}

std::string ShredderCore::CurrentAlgorithmDescription() const {
    std::lock_guard lock(mu_);
    if (currentAlgorithm_ < 0 || currentAlgorithm_ >= static_cast<long>(algorithms_.size())) return {};
    return algorithms_[currentAlgorithm_].description;
}

long ShredderCore::CurrentAlgorithmPassesCount() const {
    std::lock_guard lock(mu_);
    if (currentAlgorithm_ < 0 || currentAlgorithm_ >= static_cast<long>(algorithms_.size())) return -1;
    return static_cast<long>(algorithms_[currentAlgorithm_].passes.size());
}

long ShredderCore::CurrentFirstPassPatternLength() const {
    std::lock_guard lock(mu_);
    if (currentAlgorithm_ < 0 || currentAlgorithm_ >= static_cast<long>(algorithms_.size())) return -1;
    const auto& passes = algorithms_[currentAlgorithm_].passes;
    return passes.empty() ? -1 : static_cast<long>(passes.front().pattern.size());
}

long ShredderCore::CurrentFirstPassWriteType() const {
    std::lock_guard lock(mu_);
    if (currentAlgorithm_ < 0 || currentAlgorithm_ >= static_cast<long>(algorithms_.size())) return -1;
    const auto& passes = algorithms_[currentAlgorithm_].passes;
    return passes.empty() ? -1 : static_cast<long>(passes.front().type);
}

std::string ShredderCore::CurrentFirstPassPattern() const {
    std::lock_guard lock(mu_);
    if (currentAlgorithm_ < 0 || currentAlgorithm_ >= static_cast<long>(algorithms_.size())) return {};
    const auto& passes = algorithms_[currentAlgorithm_].passes;
    if (passes.empty()) return {};
    const auto& bytes = passes.front().pattern;
    return std::string(bytes.begin(), bytes.end());
}

long ShredderCore::PassesOfSelectedMethod() const {
    std::lock_guard lock(mu_);
    size_t index = static_cast<size_t>(shredMethod_.load());
    return index < algorithms_.size() ? static_cast<long>(algorithms_[index].passes.size()) : 0;
}

// --- messages and log --------------------------------------------------------

std::string ShredderCore::LookupMessage(long number) const {
    std::string file, section;
    {
        std::lock_guard lock(mu_);
        file = applicationPath_ + "\\Lang\\" + language_ + ".ini";
        section = profileName_;
    }
    // The profile functions trim a default's trailing blanks; a marker that no
    // file holds tells a missing key, and the built-in text is used as it is.
    static const char kMissing[] = "\x01";
    std::string key = std::to_string(number);
    char value[2000] = {};
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, value, sizeof value, file.c_str());
    std::string text(value, n);
    if (text == kMissing) text = EnglishText(number);
    return ExpandLineBreaks(std::move(text));
}

std::string ShredderCore::LogFilePath() const {
    std::lock_guard lock(mu_);
    return applicationPath_ + "\\" + (logFileName_.empty() ? std::string("log.txt") : logFileName_);
}

void ShredderCore::AppendLogLine(const std::string& line) {
    std::string path = LogFilePath();
    // Text mode writes every "\n" as the system's line break; a text that holds
    // one already ("\r\n") must not get a second carriage return.
    std::string text;
    text.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') continue;
        text += line[i];
    }
    std::lock_guard lock(logMu_);
    FILE* f = std::fopen(path.c_str(), "a");
    if (!f) return;  // a log that cannot be opened loses the line
    std::fputs(text.c_str(), f);
    std::fputc('\n', f);
    std::fclose(f);
}

void ShredderCore::Report(MessageKind kind, long number, const std::string& text) {
    {
        std::lock_guard lock(mu_);
        if (kind == MessageKind::Error) {
            errorText_ = text;
            errorNumber_ = number;
        } else {
            messageText_ = text;
        }
    }
    bool disableWarning = FlagValue(Flag::DisableWarning) != 0;
    if (!disableWarning && kind != MessageKind::Warning) {
        if (kind == MessageKind::Error)
            events_.OnErrorMessage(text, number);
        else
            events_.OnMessage(text);
        if (FlagValue(Flag::EnableLogFile) != 1) return;
    }
    AppendLogLine(kind == MessageKind::Error ? "Error " + std::to_string(number) + ":" + text : text);
}

void ShredderCore::ReportError(long number, const std::string& text) { Report(MessageKind::Error, number, text); }
void ShredderCore::ReportMessage(const std::string& text) { Report(MessageKind::Message, 0, text); }
void ShredderCore::ReportWarning(const std::string& text) { Report(MessageKind::Warning, 0, text); }

void ShredderCore::FireErrorEvent(long number, const std::string& text) {
    {
        std::lock_guard lock(mu_);
        errorText_ = text;
        errorNumber_ = number;
    }
    events_.OnErrorMessage(text, number);
}

void ShredderCore::FireMessage(const std::string& text) {
    Set(messageText_, text);
    events_.OnMessage(text);
}

// --- progress --------------------------------------------------------------------

void ShredderCore::ResetProgress(uint64_t plannedBytes) {
    plannedBytes_ = plannedBytes;
    bytesWritten_ = 0;
    currentProgress_ = 0;
    totalProgress_ = 0;
}

void ShredderCore::SetCurrentItem(const std::string& item) {
    Set(currentItem_, item);
    events_.OnCurrentItemShredded(item);
}

void ShredderCore::SetCurrentProgress(long percent) {
    currentProgress_ = percent;
    events_.OnCurrentProgress(percent);
}

void ShredderCore::FireTotalProgress() { events_.OnCurrentTotalProgress(totalProgress_); }

void ShredderCore::CountWritten(uint64_t bytes) {
    uint64_t written = bytesWritten_ += bytes;
    totalProgress_ = SessionPercent(written, plannedBytes_, totalProgress_);
    FireTotalProgress();
}

void ShredderCore::PumpWaitingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// --- shredding a file ---------------------------------------------------------------

void ShredderCore::ReportWriteFailure(DWORD code) {
    std::string text = FillPlaceholders(LookupMessage(31047), {{'s', SystemErrorText(code, 255)}});
    ReportError(31047, AppendErrorCode(text, code));
}

int ShredderCore::ShredFile(const ShredRequest& request) {
    if (abort_) return kShredStop;
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    const bool freeSpace = request.temp != nullptr;
    if (freeSpace) {
        SetCurrentItem(FillPlaceholders(LookupMessage(31919), {{'s', request.temp->path},
                                                               {'u', Number(request.tempIndex)},
                                                               {'t', Number(request.tempCount)}}));
    }
    const std::string& path = request.path;
    SetCurrentItem(path);

    HANDLE file = INVALID_HANDLE_VALUE;
    uint64_t size = 0;
    if (freeSpace) {
        file = request.temp->handle;
        size = request.temp->bytesWritten;
        if (file == INVALID_HANDLE_VALUE || file == nullptr) return kShredContinue;
    } else {
        WIN32_FILE_ATTRIBUTE_DATA status;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &status)) {
            ReportError(31034, FillPlaceholders(LookupMessage(31034), {{'s', path}}));
            return kShredContinue;
        }
        if (status.nFileSizeHigh == 0 && status.nFileSizeLow == 0) {
            DeleteFileA(path.c_str());
            return kShredContinue;
        }
        const DWORD marked = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if ((status.dwFileAttributes & marked) && request.quietLevel == 0) {
            ReportWarning(FillPlaceholders(LookupMessage(31036), {{'s', path}}));
            if (FlagValue(Flag::ShredHiddenAndSystemFiles) == 0) return kShredContinue;
        }
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            ReportWarning(FillPlaceholders(LookupMessage(31037), {{'s', path}}));
            ++filesInUse_;
            return kShredContinue;
        }
        // The open file is what gets overwritten: its size counts, not the one read
        // before; that one still serves if the open file's size cannot be read, so a
        // file is never truncated unwritten.
        size = (static_cast<uint64_t>(status.nFileSizeHigh) << 32) | status.nFileSizeLow;
        LARGE_INTEGER openSize;
        if (GetFileSizeEx(file, &openSize)) size = static_cast<uint64_t>(openSize.QuadPart);
    }
    auto closeOwned = [&] {
        if (!freeSpace) CloseHandle(file);
    };

    std::vector<PassInfo> passes;
    std::shared_ptr<uint8_t[]> buffer;
    {
        std::lock_guard lock(mu_);
        size_t index = static_cast<size_t>(shredMethod_.load());
        if (index < algorithms_.size()) passes = algorithms_[index].passes;
        buffer = buffer_;
    }
    if (passes.empty() || !buffer) {
        closeOwned();
        ReportError(37016, LookupMessage(37016));
        return kShredStop;
    }

    SetCurrentProgress(0);
    FireTotalProgress();

    const std::string passCount = Number(passes.size());
    for (size_t p = 0; p < passes.size(); ++p) {
        const PassInfo& pass = passes[p];
        std::string text = FillPlaceholders(LookupMessage(31921), {{'d', Number(p + 1)}, {'e', passCount}});
        FillWriteBuffer(buffer.get(), pass);
        switch (pass.type) {
            case WriteType::Random:
                text += LookupMessage(31923);
                break;
            case WriteType::Pattern:
                text += LookupMessage(31922);
                text += " 0x";
                for (uint8_t b : pass.pattern) text += FormatPatternHex(b);
                break;
            case WriteType::Complement:
                text += LookupMessage(31924);
                break;
        }
        FireMessage(text);

        if (!SeekToStart(file)) {
            DWORD code = GetLastError();
            closeOwned();
            ReportError(37000, SystemErrorText(code, 100));
            return kShredStop;
        }
        const uint64_t chunks = ChunkRounds(size);
        uint64_t written = 0;
        for (uint64_t c = 0; c < chunks && !abort_; ++c) {
            DWORD k = static_cast<DWORD>(std::min<uint64_t>(size - written, kWriteBufferSize));
            if (k > 0) {
                DWORD done = 0;
                BOOL ok = WriteFile(file, buffer.get(), k, &done, nullptr);
                if (!ok || done != k) {
                    // Old content may still be there: this file does not count as shredded.
                    DWORD code = ok ? ERROR_DISK_FULL : GetLastError();
                    closeOwned();
                    ReportWriteFailure(code);
                    return kShredContinue;
                }
            }
            written += k;
            SetCurrentProgress(ItemPercent(written, size));
            CountWritten(k);
        }
        // The system may keep the pass in its cache however the file was opened;
        // only a flush puts it on the device before the next pass or the truncation.
        if (!FlushFileBuffers(file)) {
            DWORD code = GetLastError();
            closeOwned();
            ReportWriteFailure(code);
            return kShredContinue;
        }
        PumpWaitingMessages();
    }

    if (freeSpace) return abort_ ? kShredStop : kShredContinue;

    if (!SeekToStart(file)) {
        DWORD code = GetLastError();
        CloseHandle(file);
        ReportError(37000, SystemErrorText(code, 100));
        return kShredStop;
    }
    SetEndOfFile(file);
    CloseHandle(file);

    if (request.quietLevel != 2) RemoveShreddedFile(path, request.quietLevel);
    return abort_ ? kShredStop : kShredContinue;
}

// Renames the emptied file to a fresh name in its folder before deleting it, so
// the directory keeps neither its content nor its name.
void ShredderCore::RemoveShreddedFile(const std::string& path, int quietLevel) {
    size_t slash = path.find_last_of('\\');
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    char temp[MAX_PATH] = {};
    std::string target = path;
    if (GetTempFileNameA(folder.c_str(), "del", 0, temp)) {
        DeleteFileA(temp);
        if (MoveFileA(path.c_str(), temp)) target = temp;
    }
    if (DeleteFileA(target.c_str())) return;
    if (quietLevel == 0) {
        if (target != path) MoveFileA(target.c_str(), path.c_str());
        ReportWarning(FillPlaceholders(LookupMessage(31038), {{'s', path}}));
    }
}

}  // namespace fraxil
