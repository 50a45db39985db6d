// The shredder's numbered messages and its log: the text of a number from the
// language file or built in, and the three kinds of report (error, message,
// warning) with the events they fire and the lines they write.
//
// Reports come from the caller's thread and from the session worker: the texts
// are guarded by one lock, and no event is raised while it is held (an event may
// call back into the object).
#pragma once

#include "messages.h"
#include "settings.h"
#include "shredder_events.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

namespace fraxil {

class MessageLog {
public:
    MessageLog(const ShredderSettings& settings, ShredderEvents& events);

    // The text of a number from "<ApplicationPath>\Lang\<Language>.ini", section
    // ProfileName, with "#" as a line break, else the built-in English text.
    std::string LookupMessage(long number) const;

    // While one lives (a session's work), a text once looked up is kept for the
    // file and section it came from: every pass of every file looks up its
    // text, and reading the language file takes about 0.1 ms under Wine,
    // whether it exists or not. Outside a session every lookup reads the file.
    class KeptTexts {
    public:
        explicit KeptTexts(const MessageLog& log);
        ~KeptTexts();
        KeptTexts(const KeptTexts&) = delete;
        KeptTexts& operator=(const KeptTexts&) = delete;

    private:
        const MessageLog& log_;
    };

    // Reports by kind: an event unless DisableWarning, and a log line when logging
    // is on, DisableWarning is on or it is a warning.
    void ReportError(long number, const std::string& text);
    void ReportMessage(const std::string& text);
    void ReportWarning(const std::string& text);
    // An error that is fired only, never logged.
    void FireErrorEvent(long number, const std::string& text);
    // A message that is fired only, never logged (the pass texts, "Init Success.").
    void FireMessage(const std::string& text);
    // An error that is kept as the current error only: neither fired nor logged.
    void StoreError(long number, const std::string& text);

    std::string MessageText() const;
    std::string ErrorText() const;
    long ErrorNumber() const { return errorNumber_; }
    void ClearError();

    // "<ApplicationPath>\<LogFileName>", "log.txt" standing in for an empty name.
    std::string LogFilePath() const;

private:
    static std::string ReadMessage(const std::string& file, const std::string& section, long number);
    void Report(MessageKind kind, long number, const std::string& text);
    void AppendLogLine(const std::string& line);

    const ShredderSettings& settings_;
    ShredderEvents& events_;

    mutable std::mutex keptMu_;  // guards the kept texts
    mutable bool keeping_ = false;
    mutable std::string keptSource_;  // the file and section they came from
    mutable std::map<long, std::string> kept_;

    mutable std::mutex mu_;  // guards the two texts
    std::string messageText_, errorText_;
    std::atomic<long> errorNumber_{0};
    std::mutex logMu_;  // one line at a time
};

}  // namespace fraxil
