// For tests that drive the library through COM: the library registered from a
// copy in a scratch folder, so that its message files and daily log (which lie
// beside the library file) stay inside the test's sandbox.
#pragma once

#include "harness/support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace velmora::test {

// Copies Y:\Velmora.dll into the existing folder, registers the copy and gives
// it message files whose texts for msg15 and msg16 are "REG:" and "FILE:".
inline std::string RegisterLibraryCopyIn(const std::string& folder) {
    std::string dll = folder + "\\Velmora.dll";
    EXPECT_TRUE(CopyFileA("Y:\\Velmora.dll", dll.c_str(), FALSE));
    HMODULE lib = LoadLibraryA(dll.c_str());
    EXPECT_NE(lib, nullptr);
    using Entry = HRESULT(WINAPI*)();
    auto reg = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(lib, "DllRegisterServer")));
    EXPECT_TRUE(reg && reg() == S_OK);
    CreateDirectoryA((folder + "\\skin").c_str(), nullptr);
    for (const char* file : {"\\skin\\msgs.ini", "\\skin\\msgsg.ini"}) {
        tidvex::test::WriteFileBytes(folder + file, "[Velmora]\r\nmsg15=REG:\r\nmsg16=FILE:\r\n");
    }
    return folder;
}

// The same in S:\<name>.
inline std::string RegisterLibraryCopy(const std::string& name) {
    return RegisterLibraryCopyIn(tidvex::test::ScratchFolder(name));
}

// Today's daily log of a library folder; empty when there is none.
inline std::string TodaysLog(const std::string& folder) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string name = std::to_string(now.wDay) + "-" + std::to_string(now.wMonth) + "-" +
                       std::to_string(now.wYear) + "_Log.txt";
    return tidvex::test::ReadFileBytes(folder + "\\Logs\\" + name).value_or("");
}

}  // namespace velmora::test
