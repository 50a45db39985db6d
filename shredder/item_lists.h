// The three lists of a session (files, folders, drives): what may be added and
// removed, the cursor that walks each, and the numbered messages of each. Items
// are kept as the caller gave them, in UTF-16, and compared exactly.
#pragma once

#include "cursor_list.h"
#include "message_log.h"

#include <optional>
#include <string>
#include <vector>

namespace fraxil {

enum class ListKind { Files, Folders, Drives };

// A duplicate is refused as an error by the list members, and told as a message
// when the command line names an item twice.
enum class DuplicateReport { Error, Message };

class ItemList {
public:
    ItemList(ListKind kind, MessageLog& log);

    // 1 added; 0 for an empty item (no report), a duplicate, or a drive root
    // given as a folder (31087). A file that is added is also told as a message.
    long Add(const std::wstring& item, DuplicateReport duplicate = DuplicateReport::Error);
    // 1 removed; 0 for an empty item (no report) or one that is not listed.
    long Remove(const std::wstring& item);
    long Count() const { return static_cast<long>(items_.Count()); }

    // The first entry, the cursor resting on it; nothing (reported) when empty.
    std::optional<std::wstring> GetFirst();
    // The entry under the cursor, the cursor moving on; nothing (reported) at the end.
    std::optional<std::wstring> Next();

    std::vector<std::wstring> Items() const { return items_.Items(); }
    void Clear() { items_.Clear(); }

private:
    void Report(long number, bool asMessage);

    ListKind kind_;
    MessageLog& log_;
    CursorList<std::wstring> items_;
};

}  // namespace fraxil
