// The system's restore points as the shredder lists them: read from WMI through
// a small source (tests feed their own records), their creation times and types
// turned into the texts the interface shows, and the cursor that walks them.
#pragma once

#include "cursor_list.h"
#include "message_log.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fraxil {

// One record as WMI's SystemRestore class gives it.
struct RawRestorePoint {
    std::string description;
    std::string creationTime;  // yyyymmddHHMMSS, then fractions and an offset
    long sequenceNumber = 0;
    long type = 0;
};

class RestorePointSource {
public:
    virtual ~RestorePointSource() = default;
    // Appends the records it reads. 0 when done, else the number of the step
    // that failed (36010 to 36015); what was appended before stays.
    virtual long Read(std::vector<RawRestorePoint>& records) = 0;
};

// The real source: WMI's "ROOT\DEFAULT" namespace, joined and left in the
// multithreaded apartment on the calling thread (so a thread that is in a
// single-threaded apartment fails with 36010).
std::unique_ptr<RestorePointSource> MakeWmiRestorePointSource();

// "2004-03-5 5:07:09 PM" from "20040305140709.000000-000": the hour shown three
// hours later on a 12-hour clock, a day that this passes carried into the month
// and year. Nothing for a text that is not such a date.
std::optional<std::string> FormatCreationTime(std::string_view wmiTime);

// The index into the type names of a WMI RestorePointType value.
int RestorePointTypeIndex(long wmiType);
// "ApplicationInstallation" ... "UnknownRestoreType"; empty outside 0-9.
std::string_view RestorePointTypeName(int index);

struct RestorePoint {
    std::string name;
    std::string creationTime;
    long sequenceNumber = 0;
    int typeIndex = 0;
};

class RestorePointList {
public:
    explicit RestorePointList(MessageLog& log);

    // Reads the records afresh. 1 done; 0 when the reading failed: its text and
    // number are fired as an error event, and what was read before stays.
    long Load(RestorePointSource& source);
    long Count() const { return static_cast<long>(points_.Count()); }
    void Clear() { points_.Clear(); }

    // 1 done; 0 with error 37008 (an empty list) or 37009 (the end, or no cursor).
    long GetFirst();
    long Next();

    // The current record's texts and number: empty and -1 without one.
    std::string CurrentName() const;
    std::string CurrentCreationTime() const;
    std::string CurrentTypeName() const;
    long CurrentSequenceNumber() const;

private:
    MessageLog& log_;
    CursorList<RestorePoint> points_;
};

}  // namespace fraxil
