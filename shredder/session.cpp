#include "session.h"

#include "command_line.h"
#include "shredder_core.h"

#include "com/com_types.h"
#include "com/server.h"
#include "errors/run_time_error.h"
#include "fs/canonical.h"
#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "text/text.h"

namespace fraxil {

namespace fs = tidvex::fs;
using tidvex::text::Narrow;
using tidvex::text::Wide;

namespace {

struct WorkerStart {
    SessionRunner* runner;
    std::unique_ptr<WorkerHold> hold;
    HMODULE module;
};

// Waits until the object is signalled, dispatching this thread's messages
// meanwhile, sent ones included.
void WaitDispatching(HANDLE object) {
    while (MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        FileWiper::PumpWaitingMessages();
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> StatusOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    // Taken literally: a "?" or "*" names nothing.
    if (path.empty() || fs::HasWildcards(path)) return std::nullopt;
    const std::wstring extended = fs::CallableFullPath(path);
    if (extended.empty() || !GetFileAttributesExW(extended.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return data;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    tidvex::handles::File file(CreateFileW(fs::CallableFullPath(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
}

}  // namespace

SessionRunner::SessionRunner(ShredderCore& core)
    : core_(core), workDone_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

SessionRunner::~SessionRunner() {
    // A worker holds its object while it runs: this runs on the worker itself
    // (it let the last reference go) or after its work. Without a hold (the
    // core used directly) the work is stopped and waited for.
    DWORD id;
    HANDLE thread;
    {
        std::lock_guard lock(mu_);
        id = threadId_;
        thread = thread_.Get();
    }
    if (!thread || id == GetCurrentThreadId()) return;
    core_.Wiper().SetAbort(true);
    WaitForWork(INFINITE);
    // What the worker lets go at its end may call into this thread (a COM proxy
    // that the worker's apartment releases calls its object's apartment), so
    // this thread goes on dispatching until the worker has gone.
    WaitDispatching(thread);
}

bool SessionRunner::WorkerAlive() const {
    std::lock_guard lock(mu_);
    return thread_ && WaitForSingleObject(thread_.Get(), 0) == WAIT_TIMEOUT;
}

bool SessionRunner::WaitForWork(DWORD milliseconds) { return Await(workDone_.Get(), milliseconds); }

bool SessionRunner::Await(HANDLE what, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &what, FALSE, 50, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        if (r == WAIT_OBJECT_0 + 1) FileWiper::PumpWaitingMessages();
        if (milliseconds != INFINITE && GetTickCount() - start >= milliseconds) return false;
    }
}

void SessionRunner::EndBeforeRelease() {
    HANDLE thread = nullptr;
    {
        std::lock_guard lock(mu_);
        if (!thread_ || threadId_ == GetCurrentThreadId()) return;
        if (!DuplicateHandle(GetCurrentProcess(), thread_.Get(), GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0))
            return;
    }
    tidvex::handles::KernelObject worker(thread);
    bool done = Await(workDone_.Get(), kLetFinish);
    if (!done) {
        long running = kSessionRunning;
        state_.compare_exchange_strong(running, kSessionAborted);
        core_.Wiper().SetAbort(true);
        done = Await(workDone_.Get(), kLetCleanUp);
    }
    // Once the thread has ended, it holds nothing of the object any more.
    if (done) Await(worker.Get(), kLetCleanUp);
}

void SessionRunner::EndPreviousWork() {
    if (WaitForSingleObject(workDone_.Get(), 0) == WAIT_OBJECT_0) return;
    busy_ = true;
    WaitForWork(INFINITE);
    busy_ = false;
}

void SessionRunner::Refuse() {
    MessageLog& log = core_.Messages();
    log.StoreError(37001, log.LookupMessage(37001));
}

void SessionRunner::ResetSession() {
    core_.Files().Clear();
    core_.Folders().Clear();
    core_.Drives().Clear();
    core_.RestorePoints().Clear();
    state_ = kSessionIdle;
    core_.Wiper().SetAbort(false);
}

bool SessionRunner::ReturnToIdle() {
    if (state_ == kSessionRunning || WaitForSingleObject(workDone_.Get(), 0) != WAIT_OBJECT_0) return false;
    state_ = kSessionIdle;
    core_.Wiper().SetAbort(false);
    return true;
}

long SessionRunner::NewSession() {
    if (state_ == kSessionRunning || busy_) {
        Refuse();
        return 0;
    }
    if (state_ == kSessionIdle) return 1;
    // An aborted worker may still be removing what it made: it must never see its abort cleared.
    EndPreviousWork();
    ResetSession();
    return 1;
}

long SessionRunner::StartSession() {
    if (state_ == kSessionRunning || busy_) {
        Refuse();
        return 0;
    }
    EndPreviousWork();
    FileWiper& wiper = core_.Wiper();
    const long previous = state_.exchange(kSessionRunning);
    wiper.ResetProgress(0);
    core_.Events().ForgetProgress();
    wiper.SetAbort(false);
    wiper.SetFilesInUseCount(0);
    ResetEvent(workDone_.Get());

    auto start = std::make_unique<WorkerStart>(WorkerStart{this, holdFactory_ ? holdFactory_() : nullptr,
                                                           tidvex::com::ReferenceOwnModule()});
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, &SessionRunner::ThreadProc, start.get(), CREATE_SUSPENDED, &id);
    if (!thread) {
        const DWORD code = GetLastError();
        if (start->module) FreeLibrary(start->module);
        state_ = previous;
        SetEvent(workDone_.Get());
        throw tidvex::PlatformError(code);
    }
    start.release();
    SetThreadPriority(thread, THREAD_PRIORITY_IDLE);
    {
        std::lock_guard lock(mu_);
        thread_.Reset(thread);
        threadId_ = id;
    }
    ResumeThread(thread);
    return 1;
}

long SessionRunner::AbortSession() {
    long running = kSessionRunning;
    if (!state_.compare_exchange_strong(running, kSessionAborted)) {
        MessageLog& log = core_.Messages();
        log.ReportError(37018, log.LookupMessage(37018));
        return 0;
    }
    core_.Wiper().SetAbort(true);
    return 1;
}

DWORD WINAPI SessionRunner::ThreadProc(void* p) {
    const HMODULE module = static_cast<WorkerStart*>(p)->module;
    {
        tidvex::com::ComInit com(COINIT_MULTITHREADED);
        std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(p));
        start->runner->RunWork();
        // Letting the hold go may end the object and this runner with it.
    }
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

void SessionRunner::RunWork() {
    const MessageLog::KeptTexts kept(core_.Messages());
    switch (core_.Settings().SessionType()) {
        case 0: ShredFilesAndFolders(); break;
        case 1: core_.FreeSpace().ShredDriveList(core_.Drives().Items()); break;
        case 2: core_.RecycleBin().ShredRecycleBin(); break;
        default: break;  // no work: the session completes
    }
    FinishSession();
}

void SessionRunner::FinishSession() {
    long running = kSessionRunning;
    if (!state_.compare_exchange_strong(running, kSessionCompleted)) {
        SetEvent(workDone_.Get());  // aborted: no completion
        return;
    }
    FileWiper& wiper = core_.Wiper();
    if (wiper.CurrentTotalProgress() == 100) core_.Events().OnFinalTotalProgress(100);
    // Never looked for at a drive's root: without an application path there is no work list.
    const std::string app = core_.Settings().ApplicationPath();
    if (!app.empty()) fs::DeleteFileName(Wide(app) + L"\\files.txt", false);
    // The work is over: a handler of the completion may start the next session.
    SetEvent(workDone_.Get());
    core_.Events().OnSessionCompleted();
}

uint64_t SessionRunner::PlannedBytesOfLists() const {
    uint64_t bytes = 0;
    for (const std::wstring& file : core_.Files().Items()) {
        if (auto status = StatusOf(file))
            bytes += (uint64_t{status->nFileSizeHigh} << 32) | status->nFileSizeLow;
    }
    for (const std::wstring& folder : core_.Folders().Items()) bytes += TreeBytes(folder);
    return bytes;
}

void SessionRunner::ShredFilesAndFolders() {
    FileWiper& wiper = core_.Wiper();
    const size_t passes = core_.Algorithms().PassesOf(static_cast<size_t>(core_.Settings().ShredMethod())).size();
    wiper.SetPlannedBytes(PlannedBytesOfLists() * passes);
    ShredFileList();
    ShredFolderList();
}

void SessionRunner::ShredFileList() {
    FileWiper& wiper = core_.Wiper();
    MessageLog& log = core_.Messages();
    const std::vector<std::wstring> files = core_.Files().Items();
    if (!wiper.AbortRequested()) {
        if (files.empty()) {
            log.ReportMessage(log.LookupMessage(37010));
        } else {
            log.ReportMessage(log.LookupMessage(37020));
            for (const std::wstring& file : files) {
                if (wiper.AbortRequested()) break;
                ShredRequest request;
                request.path = file;
                if (wiper.ShredFile(request) == kShredStop) {
                    log.ReportError(37019, log.LookupMessage(37019));
                    break;
                }
            }
        }
    }
    core_.Files().Clear();
}

void SessionRunner::ShredFolderList() {
    FileWiper& wiper = core_.Wiper();
    MessageLog& log = core_.Messages();
    FolderShredder& folders = core_.FolderWork();
    const std::vector<std::wstring> listed = core_.Folders().Items();
    folders.ForgetProtectedFolders();
    if (listed.empty()) {
        log.ReportMessage(log.LookupMessage(37012));
    } else {
        log.ReportMessage(log.LookupMessage(37021));
        for (const std::wstring& folder : listed) {
            if (wiper.AbortRequested()) break;
            const auto status = StatusOf(folder);
            const bool system = status && (status->dwFileAttributes & FILE_ATTRIBUTE_SYSTEM);
            const FolderResult result = folders.ShredFolder(folder, system, kListedFolder);
            if (wiper.AbortRequested()) break;
            if (result == FolderResult::Kept) continue;  // skipped, or holds what was: it stays where it is
            if (unsigned long error = folders.RemoveIfEmpty(folder))
                log.ReportError(31043, folders.RemovalFailureText(folder, error, false));
        }
    }
    core_.Folders().Clear();
}

long SessionRunner::ProcessCommandLine() {
    if (state_ == kSessionRunning || busy_) {
        Refuse();
        return 0;
    }
    if (WaitForSingleObject(workDone_.Get(), 0) != WAIT_OBJECT_0) {
        // An aborted session's worker still works: its abort must stand, so the
        // session counts as running, and the caller hears so.
        MessageLog& log = core_.Messages();
        log.ReportError(37001, log.LookupMessage(37001));
        return 0;
    }
    NewSession();
    const std::wstring text = core_.Settings().CommandLineString();
    std::vector<std::wstring> tokens;
    switch (SourceOf(text)) {
        case CommandSource::None: return 1;
        case CommandSource::Text:
            tokens = ItemsOfCommandText(text);
            break;
        case CommandSource::WorkList: {
            const std::string app = core_.Settings().ApplicationPath();
            if (!app.empty()) {
                if (auto bytes = ReadWholeFile(Wide(app) + L"\\files.txt")) tokens = SplitWorkList(*bytes);
            }
            break;
        }
    }
    const CommandItems sorted = SortCommandItems(tokens);
    ShredderSettings& settings = core_.Settings();
    if (sorted.method) settings.SetShredMethod(*sorted.method);  // a method outside the table is ignored
    if (sorted.subFolders) settings.SetFlag(Flag::ShredSubFolder, *sorted.subFolders);
    if (sorted.removeSubFolders) settings.SetFlag(Flag::RemoveSubFolder, *sorted.removeSubFolders);
    BuildSessionFromCommandLine(sorted.items);
    return 1;
}

std::vector<std::wstring> SessionRunner::ItemsOfCommandText(const std::wstring& text) {
    const bool cut = core_.Settings().CommandLineCutInsideItem();
    std::vector<std::wstring> tokens = SplitCommandText(text, cut);
    if (!SplitBrokeAPath(text, tokens)) return tokens;
    // A path with blanks, unquoted: no piece of it is an item, only the whole
    // text can be, and a text cut short names something else.
    const std::wstring whole = WholeItemText(text);
    if (!cut && IsFullPathOrKeyword(whole) && StatusOf(whole)) return {whole};
    MessageLog& log = core_.Messages();
    log.ReportError(37022, FillPlaceholders(log.LookupMessage(37022), {{'s', Narrow(whole)}}));
    return {};
}

void SessionRunner::BuildSessionFromCommandLine(const std::vector<std::wstring>& items) {
    FileWiper& wiper = core_.Wiper();
    MessageLog& log = core_.Messages();
    ShredderSettings& settings = core_.Settings();
    wiper.SetAbort(false);
    if (items.size() != 1)
        log.ReportMessage(FillPlaceholders(log.LookupMessage(31051), {{'u', std::to_string(items.size())}}));

    const FixedDriveTable drives = core_.DriveTable();
    for (const std::wstring& item : items) {
        if (item == L"recycle") {
            settings.SetSessionType(2);
            break;
        }
        if (item == L"restorepoints") {
            core_.FolderWork().ShredSystemVolumeInformation();
            break;
        }
        if (!IsFullPathOrKeyword(item)) {
            log.ReportWarning(FillPlaceholders(log.LookupMessage(37023), {{'s', Narrow(item)}}));
            continue;
        }
        auto status = StatusOf(item);
        if (!status) {
            // Only the exact root of a fixed drive that cannot be read goes to
            // the drive list; any other unknown text is ignored.
            std::wstring upper = item;
            CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
            for (const std::string& fixed : drives.roots) {
                if (!fixed.empty() && Wide(fixed) == upper) {
                    core_.Drives().Add(upper, DuplicateReport::Message);
                    settings.SetSessionType(1);
                    break;
                }
            }
            continue;
        }
        // A drive, however it is spelt ("C:", "t:\", "T:\."), is never
        // shredded from the command line: not as a folder, nor its free space.
        if (fs::IsRootPath(item)) continue;
        if (status->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            core_.Folders().Add(item, DuplicateReport::Message);
        else
            core_.Files().Add(item, DuplicateReport::Message);
        settings.SetSessionType(0);
    }
    StartSession();
}

}  // namespace fraxil
