// What the browser and messenger tests share: the library run in this process
// on a fake platform (library folder on the scratch drive, message texts "REG:"
// and "FILE:"), a cleaner made after the test seeded its installation, raw
// registry values, and file trees written and read back.
#pragma once

#include "classes.h"
#include "frame.h"

#include "cleaner_events.h"
#include "fake_platform.h"
#include "reg_seed.h"

#include "com/client.h"
#include "harness/support.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

struct Raw {
    DWORD type;
    std::string bytes;
    bool operator==(const Raw&) const = default;
};

inline void SetRaw(HKEY root, const std::string& key, const std::string& name, const Raw& value) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                   static_cast<DWORD>(value.bytes.size()));
    RegCloseKey(k);
}

// Every value of a key, by name; empty when the key is missing.
inline std::map<std::string, Raw> Values(HKEY root, const std::string& key) {
    std::map<std::string, Raw> out;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLen = sizeof name;
        BYTE data[4096];
        DWORD size = sizeof data, type = 0;
        if (RegEnumValueA(k, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        out[std::string(name, nameLen)] = Raw{type, std::string(reinterpret_cast<char*>(data), size)};
    }
    RegCloseKey(k);
    return out;
}

inline std::string Folder(int csidl) {
    char buf[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, buf);
    return buf;
}

// Makes the folders on the way and writes the file.
inline void Seed(const std::string& path, const std::string& bytes = "trace") {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    tidvex::test::WriteFileBytes(path, bytes);
}

// Relative path -> content of every file below a folder (folders as "<dir>").
inline std::map<std::string, std::string> Tree(const std::string& folder, const std::string& below = "") {
    std::map<std::string, std::string> out;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string name = f.cFileName;
        if (name == "." || name == "..") continue;
        std::string rel = below.empty() ? name : below + "\\" + name;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[rel] = "<dir>";
            out.merge(Tree(folder + "\\" + name, rel));
        } else {
            out[rel] = tidvex::test::ReadFileBytes(folder + "\\" + name).value_or("?");
        }
    } while (FindNextFileA(h, &f));
    FindClose(h);
    return out;
}

// A cleaner class of the library in this process, on a fake platform whose
// library folder is a scratch folder with the message files.
template <class Class>
class InProcessCleaner : public testing::Test {
protected:
    explicit InProcessCleaner(const IID& events, const char* name) : events_(events), lib_(ScratchLibrary(name)) {
        platform_.SetVersion(2, 5, 1);  // Windows XP, where the Favorites are a shell folder
    }

    static std::string ScratchLibrary(const char* name) {
        std::string folder = tidvex::test::ScratchFolder(name);
        CreateDirectoryA((folder + "\\skin").c_str(), nullptr);
        for (const char* file : {"\\skin\\msgs.ini", "\\skin\\msgsg.ini"}) {
            tidvex::test::WriteFileBytes(folder + file, "[Velmora]\r\nmsg15=REG:\r\nmsg16=FILE:\r\n");
        }
        return folder;
    }

    // A new object, made after the test seeded what it finds when it is created.
    void Make() {
        obj_.Reset();
        ASSERT_EQ(tidvex::com::Create<Class>(IID_IDispatch, obj_.PutVoid()), S_OK);
        ASSERT_EQ(events_.Connect(obj_.Get()), S_OK);
    }
    void Set(const wchar_t* name, bool on = true) {
        ASSERT_EQ(tidvex::com::InvokeByName(obj_.Get(), name, DISPATCH_PROPERTYPUT,
                                            {tidvex::com::Variant::FromBool(on)}),
                  S_OK)
            << tidvex::com::Narrow(name);
    }
    bool Get(const wchar_t* name) {
        tidvex::com::Variant v;
        EXPECT_EQ(tidvex::com::InvokeByName(obj_.Get(), name, DISPATCH_PROPERTYGET, {}, &v), S_OK);
        return v.AsBool();
    }
    void Call(const wchar_t* name) {
        ASSERT_EQ(tidvex::com::InvokeByName(obj_.Get(), name, DISPATCH_METHOD), S_OK) << tidvex::com::Narrow(name);
    }
    void Run() {
        events_.Clear();
        Call(L"StartClean");
    }
    bool Completed() const {
        const auto& e = events_.Events();
        return std::find(e.begin(), e.end(), "CleanEnd(-1)") != e.end();
    }
    bool Raised(const std::string& event) const {
        const auto& e = events_.Events();
        return std::find(e.begin(), e.end(), event) != e.end();
    }
    std::string Log() const { return TodaysLogOf(lib_); }
    static std::string TodaysLogOf(const std::string& folder) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        std::string name = std::to_string(now.wDay) + "-" + std::to_string(now.wMonth) + "-" +
                           std::to_string(now.wYear) + "_Log.txt";
        return tidvex::test::ReadFileBytes(folder + "\\Logs\\" + name).value_or("");
    }

    EventRecorder events_;
    std::string lib_;
    FakePlatform platform_{lib_};
    tidvex::com::ComPtr<IDispatch> obj_;
};

}  // namespace velmora::test
