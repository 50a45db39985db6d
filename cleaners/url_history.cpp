#include "url_history.h"

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
    Check(store_->ClearHistory());
    Refresh();
}

void CURLHistory::Refresh(const std::wstring& URLStartsWith, std::int32_t Flags) {
    ComPtr<IEnumSTATURL> list;
    Check(store_->EnumUrls(list.Put()));
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
