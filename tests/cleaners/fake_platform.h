// A platform for the library that keeps tests inside their sandbox: the library
// folder is a scratch folder, the Recycle Bin and the clipboard are only
// counted, the Windows version is whatever the test says, and message boxes
// are collected instead of shown.
#pragma once

#include "platform.h"

#include <string>
#include <vector>

namespace velmora::test {

class FakePlatform : public Platform {
public:
    explicit FakePlatform(std::string folder) : folder_(std::move(folder)) {}
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    std::string LibraryFolder() override { return folder_; }
    OSVERSIONINFOA Version() override { return version; }
    void EmptyRecycleBin() override { ++binsEmptied; }
    bool EmptyClipboard() override {
        ++clipboardTries;
        return !clipboardBusy;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    void SetVersion(DWORD platform, DWORD major, DWORD minor) {
        version.dwPlatformId = platform;
        version.dwMajorVersion = major;
        version.dwMinorVersion = minor;
    }

    OSVERSIONINFOA version{sizeof(OSVERSIONINFOA), 6, 1, 7601, 2, {}};
    int binsEmptied = 0;
    int clipboardTries = 0;
    bool clipboardBusy = false;
    std::vector<std::string> messages;

private:
    std::string folder_;
    tidvex::ScopedSeam<Platform*> inForce_{gPlatform, this};
};

}  // namespace velmora::test
