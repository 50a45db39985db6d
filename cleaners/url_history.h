// Internet Explorer's URL history as a collection: the shell's history store
// through IUrlHistoryStg2, its entries listed (optionally filtered) into items
// that each keep one record of the store's enumerator. Nothing here handles a
// failure: a failing call of the store, or an index outside the list, throws
// tidvex::RunTimeError to the caller.
//
// A store that answers "not implemented" to listing or clearing (Wine's answers
// so to every call) is stood in for by where the platform keeps the history:
// the "Visited:" entries of WinINet's URL cache are listed and removed instead.
#pragma once

#include "library.h"

#include "com/com_types.h"
#include "errors/run_time_error.h"

#include <urlhist.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

// The shell's URL-history class.
inline constexpr CLSID kUrlHistoryClass = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};

// One entry of the store: the record exactly as the enumerator returned it. The
// item owns the two texts the record points to.
class URLHistoryItem {
public:
    // Takes over the record and its two texts (SetStatUrl).
    explicit URLHistoryItem(const STATURL& record);
    ~URLHistoryItem();
    URLHistoryItem(const URLHistoryItem&) = delete;
    URLHistoryItem& operator=(const URLHistoryItem&) = delete;

    // The record's times as local calendar dates (OLE dates).
    DATE LastVisited() const;
    DATE Expires() const;
    DATE LastUpdated() const;
    // The texts the record points to; empty for a null pointer.
    std::wstring URL() const;
    std::wstring Title() const;
    std::int32_t Flags() const;

private:
    STATURL record_;
};

class CURLHistory {
public:
    using Item_t = std::shared_ptr<URLHistoryItem>;

    // Creates the store and lists all its entries.
    CURLHistory();

    // Adds the address to the store; the list is not refreshed.
    void AddURL(const std::wstring& URL, const std::wstring& Title, std::int32_t Flags);
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    // Empties the whole store, then lists it again.
    void Clear();
    // Lists the entries that the store's filter accepts for the prefix and flags.
    void Refresh(const std::wstring& URLStartsWith = L"", std::int32_t Flags = 0);
    // The item at 1-based Index; error 9 outside the list.
    Item_t Item(std::int32_t Index) const;
    // Deletes the item's address from the store and drops it from the list.
    void Remove(std::int32_t Index);
    // Deletes an address with the given flags, then lists the store again.
    void DeleteURL(const std::wstring& URL, std::int32_t Flags);

    // The list's own enumeration.
    std::vector<Item_t>::const_iterator begin() const { return items_.begin(); }
    std::vector<Item_t>::const_iterator end() const { return items_.end(); }

private:
    void CheckIndex(std::int32_t Index) const;

    tidvex::com::ComPtr<IUrlHistoryStg2> store_;
    std::vector<Item_t> items_;
};

}  // namespace velmora
