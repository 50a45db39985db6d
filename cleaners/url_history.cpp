#include "url_history.h"

#include "text/text.h"

#include <wininet.h>

#include <algorithm>

namespace velmora {

using tidvex::com::ComPtr;

namespace {

void Check(HRESULT hr) {
    if (FAILED(hr)) throw tidvex::PlatformError(static_cast<unsigned long>(hr));
}

DATE LocalDate(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    DATE date = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st) ||
        !SystemTimeToVariantTime(&st, &date)) {
        return 0;
    }
    return date;
}

std::wstring TextAt(const wchar_t* p) { return p ? std::wstring(p) : std::wstring(); }

// Where the platform keeps the history when its store lacks the calls (Wine's
// answers "not implemented" to every one): the entries of the URL cache whose
// names begin with "Visited:" ("Visited: user@http://..."), through WinINet.
constexpr wchar_t kVisited[] = L"Visited:";

// One entry into `buffer`, asking again with the size the call reports. False
// at the end of the enumeration (or on a failure, which GetLastError tells).
template <class Fetch>
bool FetchCacheEntry(std::vector<BYTE>& buffer, Fetch fetch) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (fetch(reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size)) return true;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        buffer.assign(std::max<size_t>(size, sizeof(INTERNET_CACHE_ENTRY_INFOW)), 0);
    }
    return false;
}

// Every "Visited:" entry of the URL cache, read in full before anything changes.
std::vector<INTERNET_CACHE_ENTRY_INFOW> VisitedEntries(std::vector<std::wstring>& names) {
    std::vector<INTERNET_CACHE_ENTRY_INFOW> entries;
    std::vector<BYTE> buffer(4096);
    HANDLE find = nullptr;
    auto take = [&] {
        const auto* entry = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
        if (!entry->lpszSourceUrlName) return;
        // The enumeration's filter may take more than the prefix.
        const std::wstring name = entry->lpszSourceUrlName;
        if (name.rfind(kVisited, 0) != 0) return;
        names.push_back(name);
        entries.push_back(*entry);
    };
    if (!FetchCacheEntry(buffer, [&](INTERNET_CACHE_ENTRY_INFOW* e, DWORD* size) {
            find = FindFirstUrlCacheEntryW(kVisited, e, size);
            return find != nullptr;
        })) {
        const DWORD code = GetLastError();
        if (code != ERROR_NO_MORE_ITEMS && code != ERROR_FILE_NOT_FOUND) throw tidvex::PlatformError(code);
        return entries;
    }
    take();
    while (FetchCacheEntry(buffer, [&](INTERNET_CACHE_ENTRY_INFOW* e, DWORD* size) {
        return FindNextUrlCacheEntryW(find, e, size) != FALSE;
    })) {
        take();
    }
    const DWORD code = GetLastError();
    FindCloseUrlCache(find);
    if (code != ERROR_NO_MORE_ITEMS) throw tidvex::PlatformError(code);
    return entries;
}

// A copy of a text the item frees with the task allocator.
wchar_t* TaskText(const std::wstring& text) {
    auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (!copy) throw tidvex::PlatformError(static_cast<unsigned long>(E_OUTOFMEMORY));
    text.copy(copy, text.size());
    copy[text.size()] = L'\0';
    return copy;
}

// The addresses of the "Visited:" entries that begin with the prefix, as the
// store would list them: the address after "Visited: user@", no title.
std::vector<CURLHistory::Item_t> VisitedItems(const std::wstring& startsWith) {
    std::vector<std::wstring> names;
    const std::vector<INTERNET_CACHE_ENTRY_INFOW> entries = VisitedEntries(names);
    std::vector<CURLHistory::Item_t> items;
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t at = names[i].find(L'@');
        const std::wstring url = at == std::wstring::npos ? names[i].substr(std::size(kVisited) - 1)
                                                          : names[i].substr(at + 1);
        if (!startsWith.empty() &&
            (url.size() < startsWith.size() || !tidvex::text::EqualsNoCase(url.substr(0, startsWith.size()), startsWith)))
            continue;
        STATURL record{};
        record.cbSize = sizeof record;
        record.pwcsUrl = TaskText(url);
        record.ftLastVisited = entries[i].LastAccessTime;
        record.ftLastUpdated = entries[i].LastModifiedTime;
        record.ftExpires = entries[i].ExpireTime;
        items.push_back(std::make_shared<URLHistoryItem>(record));
    }
    return items;
}

// Removes every "Visited:" entry; one that went meanwhile is no failure.
void ClearVisitedEntries() {
    std::vector<std::wstring> names;
    VisitedEntries(names);
    for (const std::wstring& name : names) {
        if (DeleteUrlCacheEntryW(name.c_str())) continue;
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND) throw tidvex::PlatformError(code);
    }
}

}  // namespace

URLHistoryItem::URLHistoryItem(const STATURL& record) : record_(record) {}

URLHistoryItem::~URLHistoryItem() {
    CoTaskMemFree(record_.pwcsUrl);
    CoTaskMemFree(record_.pwcsTitle);
}

DATE URLHistoryItem::LastVisited() const { return LocalDate(record_.ftLastVisited); }
DATE URLHistoryItem::Expires() const { return LocalDate(record_.ftExpires); }
DATE URLHistoryItem::LastUpdated() const { return LocalDate(record_.ftLastUpdated); }
std::wstring URLHistoryItem::URL() const { return TextAt(record_.pwcsUrl); }
std::wstring URLHistoryItem::Title() const { return TextAt(record_.pwcsTitle); }
std::int32_t URLHistoryItem::Flags() const { return static_cast<std::int32_t>(record_.dwFlags); }

CURLHistory::CURLHistory() {
    Check(CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUrlHistoryStg2, store_.PutVoid()));
    Refresh();
}

void CURLHistory::AddURL(const std::wstring& URL, const std::wstring& Title, std::int32_t Flags) {
    Check(store_->AddUrl(URL.c_str(), Title.c_str(), static_cast<DWORD>(Flags)));
}

void CURLHistory::Clear() {
    const HRESULT hr = store_->ClearHistory();
    // A store without the call (Wine's): the history goes from where this
    // platform keeps it. Elsewhere the store's own call is the one that counts.
    if (hr == E_NOTIMPL) {
        ClearVisitedEntries();
    } else {
        Check(hr);
    }
    Refresh();
}

void CURLHistory::Refresh(const std::wstring& URLStartsWith, std::int32_t Flags) {
    ComPtr<IEnumSTATURL> list;
    const HRESULT listed = store_->EnumUrls(list.Put());
    if (listed == E_NOTIMPL) {
        items_ = VisitedItems(URLStartsWith);
        return;
    }
    Check(listed);
    if (!list) throw tidvex::PlatformError(static_cast<unsigned long>(E_POINTER));
    Check(list->SetFilter(URLStartsWith.c_str(), static_cast<DWORD>(Flags)));
    std::vector<Item_t> items;
    for (;;) {
        // The record is the platform's own size, so a 64-bit library reads it right.
        STATURL record{};
        record.cbSize = sizeof record;
        ULONG fetched = 0;
        HRESULT hr = list->Next(1, &record, &fetched);
        Check(hr);
        if (hr != S_OK || fetched == 0) break;
        items.push_back(std::make_shared<URLHistoryItem>(record));
    }
    items_ = std::move(items);
}

void CURLHistory::CheckIndex(std::int32_t Index) const {
    if (Index < 1 || Index > Count()) throw tidvex::RunTimeError::Of(tidvex::kSubscriptOutOfRange);
}

CURLHistory::Item_t CURLHistory::Item(std::int32_t Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index - 1)];
}

void CURLHistory::Remove(std::int32_t Index) {
    CheckIndex(Index);
    Check(store_->DeleteUrl(items_[static_cast<size_t>(Index - 1)]->URL().c_str(), 0));
    items_.erase(items_.begin() + (Index - 1));
}

void CURLHistory::DeleteURL(const std::wstring& URL, std::int32_t Flags) {
    Check(store_->DeleteUrl(URL.c_str(), static_cast<DWORD>(Flags)));
    Refresh();
}

}  // namespace velmora
