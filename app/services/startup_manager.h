// The start-up manager: the programs Windows starts at log-on, found in nine
// places, and the removal of one of them. A class of the program behind an
// interface (IStartUp), so the Tools page can be driven by a scripted one.
//
// The list has five text columns: 0 where exactly the entry was found (for the
// reader; the page does not use it), 1 the check value ("-1": the entry runs at
// start-up), 2 the entry's name, 3 one of the nine location texts, 4 the
// command that starts. Names and commands are UTF-16, as the places keep them.
#pragma once

#include "controls/controls.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tidvex::services {

// Where an entry lives; the number is what RemoveStartupItem is given.
enum StartupLocation : std::int32_t {
    kCurrentUserRun = 0,
    kAllUsersRun = 1,
    kAllUsersRunOnce = 2,
    kAllUsersRunOnceEx = 3,
    kAllUsersRunServices = 4,
    kCurrentUserStartupFolder = 5,
    kAllUsersStartupFolder = 6,
    kWinIniLoad = 7,
    kWinIniRun = 8,
};

inline constexpr int kStartupLocations = 9;

// The location texts in StartupLocation order.
const std::array<std::string, kStartupLocations>& StartupLocationTexts();

// Columns of the start-up list.
inline constexpr int kStartupColumns = 5;
inline constexpr int kStartupSourceColumn = 0;
inline constexpr int kStartupCheckColumn = 1;
inline constexpr int kStartupNameColumn = 2;
inline constexpr int kStartupLocationColumn = 3;
inline constexpr int kStartupPathColumn = 4;

class IStartUp {
public:
    virtual ~IStartUp() = default;
    // Every entry of the nine places, in location order.
    virtual std::vector<controls::GridRow> GetStartupList() = 0;
    // Removes exactly the entry of that name and command at that location; an
    // entry that is no longer there is left alone. Throws RunTimeError when the
    // entry is there and cannot be removed.
    virtual void RemoveStartupItem(std::wstring& name, std::wstring& path, std::int32_t& location) = 0;
    // Called once before a series of removals.
    virtual void BeginApply() = 0;
};

// The real one: the registry's Run keys, the two Startup folders and win.ini.
class StartUp final : public IStartUp {
public:
    std::vector<controls::GridRow> GetStartupList() override;
    void RemoveStartupItem(std::wstring& name, std::wstring& path, std::int32_t& location) override;
    // Nothing to prepare: every removal finds its entry afresh.
    void BeginApply() override {}
};

// "C:\...\win.ini", the file the "load=" and "run=" lines are read from.
std::string WinIniPath();

// The programs one "load=" or "run=" value names: separated by blanks or commas.
std::vector<std::string> WinIniPrograms(const std::string& value);
// The value without the first program equal to `program` (letter case
// ignored) and the separator after it (before it, for the last one); every
// other program keeps its text. Nothing when the value does not name it.
bool RemoveWinIniProgram(std::string& value, const std::string& program);

}  // namespace tidvex::services
