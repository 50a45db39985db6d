// Numbered messages of the shredder server: the built-in English texts, the
// placeholder filling and the system's own error texts.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace fraxil {

// How a report reaches the user: an ErrorMessage event, a Message event, or the
// log only.
enum class MessageKind { Error = 0, Message = 1, Warning = 2 };

struct MessageEntry {
    long number;
    const char* text;
};

// Every message with a built-in English text, in number order.
std::span<const MessageEntry> MessageTable();

// The built-in English text of a message; empty for a number without one.
std::string_view EnglishText(long number);

// A language file writes a line break as "#".
std::string ExpandLineBreaks(std::string text);

struct Placeholder {
    char marker;  // the letter after "%"
    std::string_view value;
};

// Replaces every two-character marker ("%s", "%u", ...) named in values, in one
// scan: a replaced value is never searched again, and a text from a language
// file is never used as a format.
std::string FillPlaceholders(std::string_view text, std::initializer_list<Placeholder> values);

// The same for the few messages that are filled like a printf format: "%%" also
// stands for a single "%".
std::string FillFormatted(std::string_view text, std::initializer_list<Placeholder> values);

// "<text> <code as eight upper-case hexadecimal digits>".
std::string AppendErrorCode(std::string_view text, DWORD code);

// The system's text for an error code, cut to maxChars characters and without
// its closing line break.
std::string SystemErrorText(DWORD code, size_t maxChars);

}  // namespace fraxil
