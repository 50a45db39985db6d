#include "fs/unix_link.h"

#include <windows.h>

namespace tidvex::test {

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

bool MakeUnixSymlink(const std::string& target, const std::string& link) {
#if defined(__x86_64__)
    std::string unixTarget = UnixPathOf(target);
    std::string linkFolder = link.substr(0, link.find_last_of('\\'));
    std::string unixFolder = UnixPathOf(linkFolder);
    if (unixTarget.empty() || unixFolder.empty()) return false;
    std::string unixLink = unixFolder + "/" + link.substr(link.find_last_of('\\') + 1);
    // Wine runs the program's code natively on Linux, so the kernel's own
    // symlink call (number 88 on x86-64) is the one way to make the link.
    long result;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(88L), "D"(unixTarget.c_str()), "S"(unixLink.c_str())
                 : "rcx", "r11", "memory");
    return result == 0;
#else
    (void)target;
    (void)link;
    return false;
#endif
}

}  // namespace tidvex::test
