#include "messages.h"

#include <algorithm>
#include <cstdio>

namespace fraxil {

namespace {

const MessageEntry kMessages[] = {
    {31006, "Memory allocation error."},
    {31008, "Could not access KERNEL32.DLL"},
    {31009, "Unable to access required functions in kernel32.dll"},
    {31011, "Invalid find handle. %s bad path or file/folder not exist."},
    {31012, "Unable to create temporary folder."},
    {31013, "Error creating temporary files."},
    {31014, "Could not access Recycle Bin APIs."},
    {31015, "The recycle bin is currently empty."},
    {31033, "There is a disk space quota in effect for your account. %s will only be able to shred the amount of free space available to your account, not necessarily the entire disk. Do you wish to proceed anyway?"},
    {31034, "Error: Unable to access\n%s"},
    {31035, "Could not obtain current user's SID\nError code%u."},
    {31036, "Warning\n%s\nis marked with the System, Hidden,\nand/or Read-only attributes."},
    {31037, "Could not obtain exclusive access to\n%s\n\nFiles that are in use by other programs\nor Windows itself cannot be shredded."},
    {31038, "The contents of \n%s\nhave been shredded, but Shredder was unable to delete the file.\nThis could be caused by either a hardware failure or\nan error within the disk's directory structure."},
    {31039, "Skipping %s folder."},
    {31040, "Warning:\n%s\nis marked as a System folder."},
    // A file with other names is never overwritten: the log tells that only its listed name went.
    {31041, "Warning\n%s\nshares its content with other names of the file.\nIts content was not overwritten: only this name is removed."},
    {31043, "Unable to remove folder:\n%s\n\n"},
    {31044, "Error code: %u (%s)."},
    {31045, "There is no free space available on drive %c\nfor the current user account."},
    {31046, "Three is no free space available on drive %c"},
    {31047, "Write failed due to unexpected error.\r\nSystem error message: %s\r\nSystem error code: 0x"},
    {31048, "Call to SHQueryRecycleBin failed.\nError code 0x"},
    {31050, "User abort or fatal error while processing drive %c:\nFiles in recycle bin on previous drives have been shredded.\nSome or all of the files in recycle bin on drive %c: have had\ntheir contents shredded and may or may not be useable if restored.\nFiles in Recycle Bin on following drives are not affected."},
    {31051, "WARNING: Shredded files and folders cannot be recovered.%u items will be shredded."},
    {31059, "Couldn't access Pilvane.dll.\nUnfortunately, The program won't appeared in the context menu."},
    {31079, "\n\nNone of the Recycle Bin's contents have been modified."},
    {31087, "You select a drive not a folder.\nIf you want to shred a drive go to Shred Drive page."},
    {31908, "Preparing temporary files."},
    {31911, "Deleting temporary files."},
    {31913, "Emptying Recycle Bin on drive"},
    {31914, "%s temporary file %u of %t."},
    {31915, "Shredding"},
    {31916, "Preparing"},
    {31919, "%s (%u of %t)"},
    {31921, "Pass %d of %e"},
    {31922, ": Writing"},
    {31923, ": Write random data."},
    {31924, ": Write complementary to previous pass pattern."},
    {34000, "%s Shred Recycle Bin"},
    {34001, "Context Menu Disabled."},
    {34006, "InitAPIHook error!"},
    {34009, "Hooking Disabled.!"},
    {36009, "Restore Points Disabled."},
    {36010, "Failed to initialize COM library. "},
    {36011, "Failed to initialize security."},
    {36012, "Failed to create IWbemLocator object."},
    {36013, "Could not connect."},
    {36014, "Could not set proxy blanket."},
    {36015, "Query for processes failed."},
    {37001, "There is already running session. First abort current session, or wait until completed."},
    {37002, "File Already in List."},
    {37003, "Folder Already in List."},
    {37004, "Drive Already in List."},
    {37005, "File Not in List."},
    {37006, "Folder Not in List."},
    {37007, "Drive Not in List."},
    {37008, "Restore Points List is empty."},
    {37009, "Restore Points List is empty, or you have reached the end of the list"},
    {37010, "Files List is empty."},
    {37011, "You have reached the end of the list."},
    {37012, "Folders List is empty."},
    {37013, "Folders List is empty, or you have reached the end of the list"},
    {37014, "Drives List is empty."},
    {37015, "Drives List is empty, or you have reached the end of the list"},
    {37016, "Shredding Algorithms List is empty."},
    {37017, "Shredding Algorithms List is empty, or you have reached the end of the list"},
    {37018, "There is No Running Session to abort."},
    {37019, "File Shredding Aborted."},
    {37020, "Start Files Shredding."},
    {37021, "Start Folders Shredding."},
    // The command line and the work list name items only by full paths: what the
    // host's current folder happens to be never decides what is shredded.
    {37022, "Nothing was shredded: the command line is neither one item nor a list of full paths:\n%s"},
    {37023, "Ignored, not a full path:\n%s"},
    {39006, "Memory allocation error."},
    {39007, "COM Library init failed."},
};

std::string Fill(std::string_view text, std::initializer_list<Placeholder> values, bool percentEscape) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (percentEscape && next == '%') {
                out += '%';
                ++i;
                continue;
            }
            auto it = std::find_if(values.begin(), values.end(), [next](const Placeholder& p) { return p.marker == next; });
            if (it != values.end()) {
                out += it->value;
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace

std::span<const MessageEntry> MessageTable() { return kMessages; }

std::string_view EnglishText(long number) {
    auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), number,
                               [](const MessageEntry& e, long n) { return e.number < n; });
    if (it == std::end(kMessages) || it->number != number) return {};
    return it->text;
}

std::string ExpandLineBreaks(std::string text) {
    std::replace(text.begin(), text.end(), '#', '\n');
    return text;
}

std::string FillPlaceholders(std::string_view text, std::initializer_list<Placeholder> values) {
    return Fill(text, values, false);
}

std::string FillFormatted(std::string_view text, std::initializer_list<Placeholder> values) {
    return Fill(text, values, true);
}

std::string AppendErrorCode(std::string_view text, DWORD code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, " %08X", static_cast<unsigned>(code));
    return std::string(text) + hex;
}

std::string SystemErrorText(DWORD code, size_t maxChars) {
    char buf[1024] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, sizeof buf, nullptr);
    std::string text(buf, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.size() > maxChars) text.resize(maxChars);
    return text;
}

}  // namespace fraxil
