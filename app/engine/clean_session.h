// clsCleanSession: one cleaning. It runs the registry cleaner, the hard-disk
// cleaner and the library's browser, messenger, Windows and Office cleaners one
// after another on one progress scale (registry 0-20, hard disk 20-90, then the
// marks 92.5, 95, 97.5 and 100), deletes the user's black list, and reports by
// four events: the item being cleaned, each finished item, the progress and
// the end.
//
// The window makes a new session for every cleaning, copies its boxes into the
// cleaning options (SetCleanSettings), sets the six switches and calls
// StartClean, which returns when the cleaning is over. Every cleaner runs
// whatever its switch says; a switch only decides whether the cleaner is given
// the options first (otherwise it keeps the all-off switches of its creation).
//
// The cleaners yield to the message loop, so the window's Stop arrives while
// StartClean is on the stack. After StopClean the session starts no further
// cleaner and raises no further event, also none that a cleaner raises while it
// unwinds; the window may drop its reference from inside that handler, since
// StartClean keeps the session alive until it returns.
//
// A StartClean that fails logs the error ("StartClean@clsCleanSession") and
// returns false: no later step runs, no further event is raised and there is
// no CleaningDone. The window, seeing false while it still holds this session,
// returns to idle as its Stop does. True means the cleaning ran to its end or
// was stopped.
#pragma once

#include "engine/clean_options.h"
#include "engine/hd_cleaner.h"
#include "engine/library_cleaners.h"
#include "engine/reg_cleaner.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace tidvex::engine {

class clsCleanSession : public std::enable_shared_from_this<clsCleanSession> {
public:
    // A new session and its six cleaners, created in order: registry, hard
    // disk, browser, messenger, Windows, Office. One that cannot be created is
    // logged ("Class_Initialize@clsCleanSession") and it and those after it stay
    // empty; the first call on one ends the cleaning, logged.
    static std::shared_ptr<clsCleanSession> Create(const CleaningForm& frmMain);
    ~clsCleanSession();
    clsCleanSession(const clsCleanSession&) = delete;
    clsCleanSession& operator=(const clsCleanSession&) = delete;

    void isCleanRegistry(bool on) { isCleanRegistry_ = on; }
    void isCleanHD(bool on) { isCleanHD_ = on; }
    void isCleanChat(bool on) { isCleanChat_ = on; }
    void isCleanBrowsers(bool on) { isCleanBrowsers_ = on; }
    void isCleanOffice(bool on) { isCleanOffice_ = on; }
    void isCleanWindows(bool on) { isCleanWindows_ = on; }

    // Runs the whole cleaning; see above for what it returns.
    bool StartClean();
    // Stops the running cleaning: the stop flag, then each cleaner's StopClean
    // in the order of creation. Errors are logged ("StopClean@clsCleanSession").
    void StopClean();

    // Events (arguments by reference, as the window receives them).
    std::function<void(std::string& sItem)> CleaningItem;
    std::function<void(std::string& sItem)> CompleteCleaningItem;
    std::function<void()> CleaningDone;
    std::function<void(double& Progress)> Progress;

    // The library's browser and messenger cleaners, as the session set them up.
    _BrowsCls* BrowserObject() const { return cBrowserClean ? cBrowserClean->Get() : nullptr; }
    _ChatCls* ChatObject() const { return cChatClean ? cChatClean->Get() : nullptr; }

private:
    explicit clsCleanSession(const CleaningForm& frmMain);
    void CreateCleaners();

    // The options handed to a cleaner whose switch is on: its reset, its shred
    // switch, then its item switches in the cleaner's own order.
    void ApplyRegistryOptions();
    void ApplyHDOptions();
    void ApplyBrowserOptions();
    void ApplyChatOptions();
    void ApplyOfficeOptions();
    void ApplyWindowsOptions();

    // Deletes the black list's files, folders and keys; the safe list is not asked.
    void CleanBlackList();

    // A library cleaner announced an operation: it is the current item, and the
    // one announced before it is finished.
    void LibraryOperation(const std::string& sOperation);
    // The receiver of a library cleaner's operations. A failure while handling
    // one must not go back into the library: it is kept, the cleaner is asked
    // to stop, and the failure ends the cleaning once the cleaner has returned.
    template <class I>
    typename LibraryCleaner<I>::OperationHandler LibraryHandler(std::unique_ptr<LibraryCleaner<I>>& cleaner);
    // Runs one library cleaner's StartClean, then raises the failure its
    // handler kept, if any.
    template <class I>
    void RunLibraryCleaner(const std::unique_ptr<LibraryCleaner<I>>& cleaner);

    void RaiseCleaningItem(std::string sItem);
    void RaiseCompleteCleaningItem(std::string sItem);
    void RaiseProgress(double progress);
    void RaiseCleaningDone();

    CleaningForm form_;
    bool isCleanRegistry_ = false, isCleanHD_ = false, isCleanChat_ = false;
    bool isCleanBrowsers_ = false, isCleanOffice_ = false, isCleanWindows_ = false;

    std::unique_ptr<clsRegCleaner> cRegClean;
    std::unique_ptr<clsHDCleaner> cHDClean;
    std::unique_ptr<BrowserCleaner> cBrowserClean;
    std::unique_ptr<ChatCleaner> cChatClean;
    std::unique_ptr<WindowsCleaner> cWindowsClean;
    std::unique_ptr<OfficeCleaner> cOfficeClean;

    std::string pendingItem_;
    bool stop_ = false;
    std::exception_ptr eventError_;
};

}  // namespace tidvex::engine
