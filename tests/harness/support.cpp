#include "harness/support.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace tidvex::test {

std::optional<char> TestDrive(char letter) {
    char var[] = "TIDVEX_DRIVE_X";
    var[sizeof var - 2] = static_cast<char>(toupper(static_cast<unsigned char>(letter)));
    const char* v = std::getenv(var);
    if (!v || !*v) return std::nullopt;
    return static_cast<char>(toupper(static_cast<unsigned char>(letter)));
}

std::string ScratchFolder(const std::string& name) {
    std::string path = "S:\\" + name;
    // Double-NUL-terminated list for SHFileOperation.
    std::string from = path + std::string(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) SHFileOperationA(&op);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::nullopt;
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteMarkerToDevice(const std::string& path, const std::string& marker, size_t size) {
    std::string content;
    while (content.size() < size) content += marker + "\n";
    // Never cut the only copy of the marker: a search for it must be able to succeed.
    content.resize(std::max(size, marker.size() + 1));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr)) << path;
    EXPECT_EQ(written, content.size()) << path;
    EXPECT_TRUE(FlushFileBuffers(h)) << path;
    CloseHandle(h);
}

bool WriteSparseFile(const std::string& path, uint64_t size, const std::string& head, const std::string& tail) {
    constexpr DWORD kBlock = 4096;
    handles::File file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file || size < 2 * kBlock) return false;
    auto block = [&](const std::string& marker, uint64_t offset) {
        std::string content;
        while (content.size() < kBlock) content += marker + "\n";
        content.resize(kBlock);
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD written = 0;
        return SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) &&
               WriteFile(file.Get(), content.data(), kBlock, &written, nullptr) && written == kBlock;
    };
    FILE_STANDARD_INFO info{};
    return block(head, 0) && block(tail, size - kBlock) && FlushFileBuffers(file.Get()) &&
           GetFileInformationByHandleEx(file.Get(), FileStandardInfo, &info, sizeof info) &&
           static_cast<uint64_t>(info.AllocationSize.QuadPart) < size / 2;
}

bool DeleteToRecycleBin(const std::string& path) {
    std::string from = path + std::string(2, '\0');  // a double-NUL-ended list
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    return SHFileOperationA(&op) == 0;
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    handles::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(f && WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                written == bytes.size());
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    handles::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return std::nullopt;
    std::string bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f.Get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    return bytes;
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool RegKeyExists(HKEY root, const std::string& subKey) {
    HKEY k;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::optional<std::string> RegReadString(HKEY root, const std::string& subKey, const std::string& name) {
    char buf[4096];
    DWORD size = sizeof buf - 1;
    DWORD type = 0;
    HKEY k;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
    LONG rc = RegQueryValueExA(k, name.empty() ? nullptr : name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    buf[size] = 0;
    return std::string(buf);
}

std::optional<DWORD> RegReadDword(HKEY root, const std::string& subKey, const std::string& name) {
    DWORD v = 0, size = sizeof v, type = 0;
    HKEY k;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
    LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return v;
}

bool RegWriteString(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    HKEY k;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

namespace {

constexpr const char* kShellFolderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};

}  // namespace

ShellFoldersIn::ShellFoldersIn(const std::string& startMenu, const std::string& desktop)
    : ShellFoldersIn(HKEY_CURRENT_USER, {{"Start Menu", startMenu}, {"Desktop", desktop}}) {}

ShellFoldersIn::ShellFoldersIn(HKEY root, const std::vector<std::pair<std::string, std::string>>& folders) {
    for (const char* key : kShellFolderKeys) {
        for (const auto& [name, path] : folders) {
            saved_.push_back({root, key, name, RegReadString(root, key, name)});
            RegWriteString(root, key, name, path);
        }
    }
}

ShellFoldersIn::~ShellFoldersIn() {
    for (const Saved& s : saved_) {
        if (s.value) {
            RegWriteString(s.root, s.key, s.name, *s.value);
        } else {
            RegDeleteKeyValueA(s.root, s.key, s.name.c_str());
        }
    }
}

namespace {

const std::string kLinkTargets = "Software\\TidvexLinkTarget\\";

// The subkeys and value names of a key, opened as a link when it is one.
std::pair<std::vector<std::string>, std::vector<std::string>> Content(HKEY root, const std::string& key) {
    std::vector<std::string> subkeys, values;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &k) != ERROR_SUCCESS) return {};
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(k, i, name, sizeof name) == ERROR_SUCCESS; ++i) subkeys.push_back(name);
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumValueA(k, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        values.push_back(name);
    }
    RegCloseKey(k);
    return {subkeys, values};
}

}  // namespace

std::string SeedLinkTarget(const std::string& name, bool leaf, const std::string& value, const std::string& inner) {
    const std::string key = kLinkTargets + name;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, key, value, name)) << key;
    if (!leaf) {
        EXPECT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, key + "\\" + inner, value, name)) << key;
    }
    return key;
}

bool LinkTargetIntact(const std::string& name, bool leaf, const std::string& value, const std::string& inner) {
    const std::string key = kLinkTargets + name;
    const auto holds = [&](const std::string& k) {
        return Content(HKEY_LOCAL_MACHINE, k).second == std::vector<std::string>{value} &&
               RegReadString(HKEY_LOCAL_MACHINE, k, value) == name;
    };
    const auto subkeys = Content(HKEY_LOCAL_MACHINE, key).first;
    if (!holds(key)) return false;
    if (leaf) return subkeys.empty();
    return subkeys == std::vector<std::string>{inner} && holds(key + "\\" + inner);
}

bool MakeRegistryLink(HKEY root, const std::string& link, const std::string& machineKey) {
    HKEY k;
    if (RegCreateKeyExA(root, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                        nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    const std::string target = "\\Registry\\Machine\\" + machineKey;
    const std::wstring wide(target.begin(), target.end());
    LONG rc = RegSetValueExW(k, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(wide.data()),
                             static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

bool RegistryLinkExists(HKEY root, const std::string& link) {
    HKEY k;
    if (RegOpenKeyExA(root, link.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    bool isLink = RegQueryValueExA(k, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
                  type == REG_LINK;
    RegCloseKey(k);
    return isLink;
}

void RemoveRegistryLink(HKEY root, const std::string& link) {
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    HKEY k;
    if (!deleteKey || RegOpenKeyExA(root, link.c_str(), REG_OPTION_OPEN_LINK, DELETE, &k) != ERROR_SUCCESS) return;
    deleteKey(k);
    RegCloseKey(k);
}

std::string UnixPathOf(const std::string& windowsPath) {
    using Fn = char*(CDECL*)(LPCWSTR);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return {};
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* unixPath = fn(wide.c_str());
    std::string out = unixPath ? unixPath : "";
    HeapFree(GetProcessHeap(), 0, unixPath);
    return out;
}

namespace {

// Wine runs the program's code natively on Linux, so the kernel's own calls
// (symlink is 88, link 86 and unlink 87 on x86-64) are the one way to make and
// remove links.
bool UnixCall(long number, const std::string& first, const std::string& second) {
#if defined(__x86_64__)
    long result;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(number), "D"(first.c_str()), "S"(second.c_str())
                 : "rcx", "r11", "memory");
    return result == 0;
#else
    (void)number;
    (void)first;
    (void)second;
    return false;
#endif
}

// The Unix path of a Windows path whose last part need not exist.
std::string UnixPathOfNew(const std::string& windowsPath) {
    size_t cut = windowsPath.find_last_of('\\');
    if (cut == std::string::npos) return {};
    std::string folder = UnixPathOf(windowsPath.substr(0, cut));
    return folder.empty() ? folder : folder + "/" + windowsPath.substr(cut + 1);
}

}  // namespace

bool MakeUnixSymlink(const std::string& target, const std::string& link) {
    std::string unixTarget = UnixPathOf(target);
    return !unixTarget.empty() && MakeUnixSymlinkText(unixTarget, link);
}

bool MakeUnixSymlinkText(const std::string& text, const std::string& link) {
    std::string unixLink = UnixPathOfNew(link);
    return !unixLink.empty() && UnixCall(88, text, unixLink);
}

bool MakeUnixHardLink(const std::string& existing, const std::string& name) {
    std::string unixExisting = UnixPathOf(existing), unixName = UnixPathOfNew(name);
    return !unixExisting.empty() && !unixName.empty() && UnixCall(86, unixExisting, unixName);
}

bool RemoveUnixName(const std::string& path) {
    std::string unixPath = UnixPathOfNew(path);
    return !unixPath.empty() && UnixCall(87, unixPath, "");
}

SecondLetter::SecondLetter(char letter, const std::string& folder)
    : letter_(static_cast<char>(toupper(static_cast<unsigned char>(letter)))) {
    if (GetLogicalDrives() & (1u << (letter_ - 'A'))) return;
    // C:\ is the prefix's "dosdevices/c:", beside which the new letter goes.
    const std::string drive = UnixPathOf("C:\\");
    const size_t at = drive.rfind("/dosdevices/");
    const std::string target = UnixPathOf(folder);
    if (at == std::string::npos || target.empty()) return;
    const std::string link = drive.substr(0, at) + "/dosdevices/" +
                             static_cast<char>(tolower(static_cast<unsigned char>(letter_))) + ":";
    if (!UnixCall(88, target, link)) return;
    link_ = link;
    folder_ = folder;
    AwaitFinalPathsNaming(true);
}

SecondLetter::~SecondLetter() {
    if (!Made()) return;
    UnixCall(87, link_, "");
    AwaitFinalPathsNaming(false);
}

// Wine opens a path through its letters at once, but names a letter in final
// paths from a list of drives it reads again only about once a second.
void SecondLetter::AwaitFinalPathsNaming(bool letter) const {
    const std::string named = std::string("\\\\?\\") + letter_ + ":";
    for (int tries = 0; tries < 60; ++tries) {
        HANDLE h = CreateFileA(folder_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        char final[MAX_PATH * 2] = {};
        if (h != INVALID_HANDLE_VALUE) {
            GetFinalPathNameByHandleA(h, final, sizeof final, 0);
            CloseHandle(h);
        }
        if ((std::string(final).rfind(named, 0) == 0) == letter) return;
        Sleep(50);
    }
}

std::string SecondLetter::Path(const std::string& below) const { return std::string(1, letter_) + ":\\" + below; }

bool PlantedLinks::Plant(const std::string& place, const std::string& outside, const std::string& prefix,
                         const std::string& extension) {
    const std::string tag = prefix + "-" + std::to_string(GetTickCount64() % 100000);
    auto target = [&](const std::string& name, const std::string& content) {
        std::string path = outside + "\\" + tag + name;
        WriteFileBytes(path, content);
        kept_.push_back({path, content});
        return path;
    };
    const std::string file = target("-file" + extension, "file target " + tag);
    const std::string relative = target("-relative" + extension, "relative target " + tag);
    const std::string hard = target("-hard" + extension, "hard link's other name " + tag);
    const std::string folder = outside + "\\" + tag + "-folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    target("-folder\\inside" + extension, "inside the folder target " + tag);
    missing_ = outside + "\\" + tag + "-missing" + extension;

    // The relative link climbs from its own folder to the root and down again.
    std::string unixPlace = UnixPathOf(place), unixRelative = UnixPathOf(relative);
    if (unixPlace.empty() || unixRelative.empty()) return false;
    std::string up;
    for (char c : unixPlace)
        if (c == '/') up += "../";
    entries_ = {place + "\\" + prefix + "file-link" + extension, place + "\\" + prefix + "relative-link" + extension,
                place + "\\" + prefix + "dangling-link" + extension, place + "\\" + prefix + "folder-link",
                place + "\\" + prefix + "hard-link" + extension};
    return MakeUnixSymlink(file, entries_[0]) && MakeUnixSymlinkText(up + unixRelative.substr(1), entries_[1]) &&
           MakeUnixSymlinkText(UnixPathOfNew(missing_), entries_[2]) && MakeUnixSymlink(folder, entries_[3]) &&
           MakeUnixHardLink(hard, entries_[4]);
}

void PlantedLinks::Check() const {
    for (const auto& [path, content] : kept_) EXPECT_EQ(ReadFileBytes(path), content) << path;
    EXPECT_FALSE(PathExists(missing_)) << "a link to nothing made its target";
}

namespace {

// Whether the name exists, a link to nothing included (Wine lists none).
bool UnixNameExists(const std::string& windowsPath) {
#if defined(__x86_64__)
    const std::string path = UnixPathOfNew(windowsPath);
    alignas(8) char status[256];
    long result;
    asm volatile("syscall" : "=a"(result) : "a"(6L), "D"(path.c_str()), "S"(status) : "rcx", "r11", "memory");
    return !path.empty() && result == 0;
#else
    (void)windowsPath;
    return false;
#endif
}

// A Unix path as Wine's DOS forms spell it: "/a/b" is "\\a\\b".
std::string Backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

std::optional<std::string> SandboxTrashFolder() {
    const char* prefix = std::getenv("WINEPREFIX");
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("WINEHOMEDIR");  // "\??\unix\..."
    if (!prefix || !*prefix || !data || !home) return std::nullopt;
    const std::string inside = std::string(prefix) + "/";
    // Wine's shell takes the data folder, or the home folder's when there is none.
    if (std::string(data).rfind(inside, 0) != 0 || std::string(home).rfind("\\??\\unix" + Backslashed(inside), 0) != 0)
        return std::nullopt;
    return "\\\\?\\unix" + Backslashed(std::string(data) + "/Trash");
}

bool TrashedLinks::Plant(const std::string& outside) {
    const std::optional<std::string> trash = SandboxTrashFolder();
    if (!trash) return false;
    files_ = *trash + "\\files";
    CreateDirectoryA(files_.c_str(), nullptr);
    CreateDirectoryA((*trash + "\\info").c_str(), nullptr);
    if (!links_.Plant(files_, outside, "binned-")) return false;
    WriteFileBytes(files_ + "\\binned-plain.txt", "a deleted file");
    items_ = {"binned-plain.txt"};
    for (const std::string& entry : links_.Entries()) items_.push_back(entry.substr(files_.size() + 1));
    std::swap(items_[4], items_.back());  // the folder link last
    for (const std::string& name : items_) {
        WriteFileBytes(*trash + "\\info\\" + name + ".trashinfo",
                       "[Trash Info]\nPath=/tmp/" + name + "\nDeletionDate=2024-01-01T00:00:00\n");
    }
    return true;
}

void TrashedLinks::CheckEmptied() const {
    links_.Check();
    for (size_t i = 0; i + 1 < items_.size(); ++i)
        EXPECT_FALSE(UnixNameExists(files_ + "\\" + items_[i])) << items_[i] << " is still in the bin";
    EXPECT_TRUE(UnixNameExists(files_ + "\\" + items_.back())) << "a link to a folder is left alone";
}

IconColours ColoursOf(HICON icon) {
    constexpr int kSize = 32;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, kSize, kSize};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, kSize, kSize, 0, nullptr, DI_NORMAL);
    GdiFlush();
    IconColours c;
    for (int i = 0; bits && i < kSize * kSize; ++i) {
        const DWORD p = static_cast<const DWORD*>(bits)[i];
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        c.green += g > r + 60 && g > b + 40;
        c.yellow += r > 180 && g > 150 && b < 100;
        c.red += r > 150 && g < 90 && b < 90;
        c.blue += b > r + 60 && b > g + 60;
        c.white += r > 240 && g > 240 && b > 240;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return c;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

handles::KernelObject StartProgram(std::wstring commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return handles::KernelObject();
    CloseHandle(pi.hThread);
    return handles::KernelObject(pi.hProcess);
}

std::optional<DWORD> AwaitProgram(HANDLE process, DWORD milliseconds) {
    const auto ended = [&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; };
    if (!PumpUntil(ended, std::chrono::milliseconds(milliseconds))) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, INFINITE);
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

}  // namespace tidvex::test
