#include "message_log.h"

#include "fs/guarded_file.h"

#include <windows.h>

namespace fraxil {

namespace fs = tidvex::fs;

MessageLog::MessageLog(const ShredderSettings& settings, ShredderEvents& events)
    : settings_(settings), events_(events) {}

MessageLog::KeptTexts::KeptTexts(const MessageLog& log) : log_(log) {
    std::lock_guard lock(log_.keptMu_);
    log_.keeping_ = true;
}

MessageLog::KeptTexts::~KeptTexts() {
    std::lock_guard lock(log_.keptMu_);
    log_.keeping_ = false;
    log_.kept_.clear();
    log_.keptSource_.clear();
}

std::string MessageLog::LookupMessage(long number) const {
    const std::string file = settings_.ApplicationPath() + "\\Lang\\" + settings_.Language() + ".ini";
    const std::string section = settings_.ProfileName();
    const std::string source = file + '\n' + section;
    {
        std::lock_guard lock(keptMu_);
        if (keeping_ && keptSource_ == source) {
            auto it = kept_.find(number);
            if (it != kept_.end()) return it->second;
        }
    }
    std::string text = ReadMessage(file, section, number);
    std::lock_guard lock(keptMu_);
    if (keeping_) {
        if (keptSource_ != source) {
            kept_.clear();
            keptSource_ = source;
        }
        kept_[number] = text;
    }
    return text;
}

std::string MessageLog::ReadMessage(const std::string& file, const std::string& section, long number) {
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

std::string MessageLog::LogFilePath() const {
    const std::string name = settings_.LogFileName();
    return settings_.ApplicationPath() + "\\" + (name.empty() ? std::string("log.txt") : name);
}

std::string MessageLog::MessageText() const {
    std::lock_guard lock(mu_);
    return messageText_;
}

std::string MessageLog::ErrorText() const {
    std::lock_guard lock(mu_);
    return errorText_;
}

void MessageLog::ClearError() {
    {
        std::lock_guard lock(mu_);
        errorText_.clear();
    }
    errorNumber_ = 0;
}

void MessageLog::AppendLogLine(const std::string& line) {
    // Every line break of the text is written as CR LF, once: a text that holds
    // CR LF already keeps it as it is.
    std::string text;
    text.reserve(line.size() + 8);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\n' && (i == 0 || line[i - 1] != '\r')) text += '\r';
        text += line[i];
    }
    std::lock_guard lock(logMu_);
    fs::AppendLine(LogFilePath(), text);  // a log that cannot be written loses the line
}

void MessageLog::Report(MessageKind kind, long number, const std::string& text) {
    {
        std::lock_guard lock(mu_);
        if (kind == MessageKind::Error) {
            errorText_ = text;
            errorNumber_ = number;
        } else {
            messageText_ = text;
        }
    }
    bool disableWarning = settings_.FlagValue(Flag::DisableWarning) != 0;
    if (!disableWarning && kind != MessageKind::Warning) {
        if (kind == MessageKind::Error)
            events_.OnErrorMessage(text, number);
        else
            events_.OnMessage(text);
        if (settings_.FlagValue(Flag::EnableLogFile) != 1) return;
    }
    AppendLogLine(kind == MessageKind::Error ? "Error " + std::to_string(number) + ":" + text : text);
}

void MessageLog::ReportError(long number, const std::string& text) { Report(MessageKind::Error, number, text); }
void MessageLog::ReportMessage(const std::string& text) { Report(MessageKind::Message, 0, text); }
void MessageLog::ReportWarning(const std::string& text) { Report(MessageKind::Warning, 0, text); }

void MessageLog::FireErrorEvent(long number, const std::string& text) {
    StoreError(number, text);
    events_.OnErrorMessage(text, number);
}

void MessageLog::StoreError(long number, const std::string& text) {
    std::lock_guard lock(mu_);
    errorText_ = text;
    errorNumber_ = number;
}

void MessageLog::FireMessage(const std::string& text) {
    {
        std::lock_guard lock(mu_);
        messageText_ = text;
    }
    events_.OnMessage(text);
}

}  // namespace fraxil
