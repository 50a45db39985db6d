#include "item_lists.h"

#include "fs/paths.h"
#include "text/text.h"

namespace fraxil {

namespace {

// The numbers of each list: a duplicate, a missing item, an empty list at
// GetFirst, the end at Next; and whether the last two are messages or errors.
struct ListNumbers {
    long duplicate, notListed, empty, end;
    bool cursorReportsAreMessages;
};

const ListNumbers& NumbersOf(ListKind kind) {
    static const ListNumbers files{37002, 37005, 37010, 37011, true};
    static const ListNumbers folders{37003, 37006, 37012, 37013, false};
    static const ListNumbers drives{37004, 37007, 37014, 37015, false};
    switch (kind) {
        case ListKind::Files: return files;
        case ListKind::Folders: return folders;
        case ListKind::Drives: break;
    }
    return drives;
}

}  // namespace

ItemList::ItemList(ListKind kind, MessageLog& log) : kind_(kind), log_(log) {}

void ItemList::Report(long number, bool asMessage) {
    if (asMessage)
        log_.ReportMessage(log_.LookupMessage(number));
    else
        log_.ReportError(number, log_.LookupMessage(number));
}

long ItemList::Add(const std::wstring& item, DuplicateReport duplicate) {
    if (item.empty()) return 0;
    // "C:\", "C:\." or "C:\Windows\.." alike: a whole drive is wiped as free space, never as a folder.
    if (kind_ == ListKind::Folders && !items_.Contains(item) && tidvex::fs::IsRootPath(item)) {
        Report(31087, false);
        return 0;
    }
    if (!items_.Append(item)) {
        Report(NumbersOf(kind_).duplicate, duplicate == DuplicateReport::Message);
        return 0;
    }
    if (kind_ == ListKind::Files) log_.ReportMessage(tidvex::text::Narrow(item));
    return 1;
}

long ItemList::Remove(const std::wstring& item) {
    if (item.empty()) return 0;
    if (items_.Remove(item)) return 1;
    Report(NumbersOf(kind_).notListed, false);
    return 0;
}

std::optional<std::wstring> ItemList::GetFirst() {
    std::optional<std::wstring> first = items_.First();
    if (!first) {
        const ListNumbers& numbers = NumbersOf(kind_);
        Report(numbers.empty, numbers.cursorReportsAreMessages);
    }
    return first;
}

std::optional<std::wstring> ItemList::Next() {
    std::optional<std::wstring> next = items_.Next();
    if (!next) {
        const ListNumbers& numbers = NumbersOf(kind_);
        // The file list tells an empty list apart from its end.
        const long number = kind_ == ListKind::Files && items_.Count() == 0 ? numbers.empty : numbers.end;
        Report(number, numbers.cursorReportsAreMessages);
    }
    return next;
}

}  // namespace fraxil
