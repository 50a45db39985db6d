// Helpers for tests that run in the Wine sandbox.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace tidvex::test {

// Drive letter of a small drive the test runner mounted for this test (see the
// DRIVES option of tidvex_add_test), or nothing when it could not be mounted.
std::optional<char> TestDrive(char letter);

// A fresh, empty folder on the scratch drive S: ("S:\<name>").
std::string ScratchFolder(const std::string& name);

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);

bool RegKeyExists(HKEY root, const std::string& subKey);
std::optional<std::string> RegReadString(HKEY root, const std::string& subKey, const std::string& name);
std::optional<DWORD> RegReadDword(HKEY root, const std::string& subKey, const std::string& name);

// Dispatches window messages until done() or the timeout; returns done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace tidvex::test
