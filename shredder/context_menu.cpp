#include "context_menu.h"

#include "registry/reg_key.h"
#include "registry/registry.h"
#include "text/text.h"

#include <windows.h>

namespace fraxil {

namespace reg = tidvex::registry;

namespace {

const std::string kBinClassKey = "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}";
const std::string kBinShellKey = kBinClassKey + "\\shell";
const char kHelperKey[] = "CLSID\\{929EC980-BAC9-452c-84E3-FCA6DCB3BAC6}";
const char kFrontEndTail[] = "\\Shredder.exe\" recycle";

bool IsRegistryLink(const std::string& path) {
    reg::CRegistry r;
    r.classkey(reg::kClassesRoot);
    r.sectionkey(path);
    return r.IsLink();
}

bool SetDefaultText(const std::string& path, const std::string& text) {
    reg::RegKey key;
    if (key.Create(HKEY_CLASSES_ROOT, path, KEY_SET_VALUE) != ERROR_SUCCESS) return false;
    return RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool IsFrontEndCommand(const std::string& command) {
    const std::string tail = kFrontEndTail;
    return command.size() > tail.size() + 1 && command.front() == '"' &&
           tidvex::text::EqualsNoCase(std::string_view(command).substr(command.size() - tail.size()), tail);
}

}  // namespace

std::string RecycleBinVerbCommand(const std::string& applicationPath) {
    return "\"" + applicationPath + "\\Shredder.exe\" recycle";
}

bool CheckContextMenuHelper(const std::string& applicationPath, MessageLog& log) {
    reg::RegKey key;
    const bool classThere = key.Open(HKEY_CLASSES_ROOT, kHelperKey, KEY_READ) == ERROR_SUCCESS;
    const DWORD attributes = GetFileAttributesW(tidvex::text::Wide(applicationPath + "\\Pilvane.dll").c_str());
    const bool fileThere = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (classThere && fileThere) return true;
    log.ReportError(31059, log.LookupMessage(31059));
    return false;
}

bool RegisterRecycleBinVerb(const std::string& applicationName, const std::string& applicationPath, MessageLog& log) {
    if (applicationName.empty() || applicationName.find_first_of("\\/") != std::string::npos) return false;
    const std::string verb = kBinShellKey + "\\" + applicationName;
    const std::string command = verb + "\\command";
    // Never written into a key that a link on the way leads elsewhere.
    for (const std::string& key : {std::string("CLSID"), kBinClassKey, kBinShellKey, verb, command}) {
        if (IsRegistryLink(key)) return false;
    }
    const std::string caption = FillFormatted(log.LookupMessage(34000), {{'s', applicationName}});
    return SetDefaultText(verb, caption) && SetDefaultText(command, RecycleBinVerbCommand(applicationPath));
}

HRESULT UnregisterRecycleBinVerbs() {
    reg::CRegistry shell;
    shell.classkey(reg::kClassesRoot);
    shell.sectionkey(kBinShellKey);
    std::vector<std::string> verbs;
    std::int32_t count = 0;
    shell.EnumerateSections(verbs, count);
    for (const std::string& verb : verbs) {
        reg::CRegistry command;
        command.classkey(reg::kClassesRoot);
        command.sectionkey(kBinShellKey + "\\" + verb + "\\command");
        command.valuekey("");
        if (IsFrontEndCommand(command.Value().Text()))
            reg::CRegistry().del_reg_sub("HKEY_CLASSES_ROOT\\" + kBinShellKey + "\\" + verb);
    }
    return S_OK;
}

}  // namespace fraxil
