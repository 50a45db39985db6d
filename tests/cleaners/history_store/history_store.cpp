// A URL-history store kept in memory, for tests: Wine's own class answers
// E_NOTIMPL to everything. One store per process, shared by every object, so
// that what a test adds is what the library's objects find. The enumerator
// refuses a record whose size is not this platform's STATURL.
#include "HistoryStore.h"

#include "com/server.h"

#include <urlhist.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace {

using namespace tidvex::com;

struct Entry {
    std::wstring url;
    std::wstring title;
    DWORD flags;
    FILETIME visited;
};

std::mutex storeLock;
std::vector<Entry>& Store() {
    static std::vector<Entry> store;
    return store;
}

wchar_t* TaskCopy(const std::wstring& s) {
    auto* out = static_cast<wchar_t*>(CoTaskMemAlloc((s.size() + 1) * sizeof(wchar_t)));
    if (out) std::copy(s.c_str(), s.c_str() + s.size() + 1, out);
    return out;
}

bool StartsWithNoCase(const std::wstring& s, const std::wstring& prefix) {
    return s.size() >= prefix.size() && _wcsnicmp(s.c_str(), prefix.c_str(), prefix.size()) == 0;
}

void Fill(const Entry& e, DWORD queryFlags, STATURL* record) {
    record->pwcsUrl = (queryFlags & STATURL_QUERYFLAG_NOURL) ? nullptr : TaskCopy(e.url);
    record->pwcsTitle = (queryFlags & STATURL_QUERYFLAG_NOTITLE) ? nullptr : TaskCopy(e.title);
    record->ftLastVisited = e.visited;
    record->ftLastUpdated = e.visited;
    record->ftExpires = e.visited;
    record->dwFlags = e.flags;
}

class Enumerator final : public ComObject<IEnumSTATURL> {
public:
    explicit Enumerator(std::vector<Entry> entries) : entries_(std::move(entries)) {}

    STDMETHODIMP Next(ULONG celt, LPSTATURL rgelt, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!rgelt) return E_POINTER;
        ULONG n = 0;
        while (n < celt && next_ < entries_.size()) {
            const Entry& e = entries_[next_++];
            if (!StartsWithNoCase(e.url, filter_)) continue;
            if ((filterFlags_ & STATURL_QUERYFLAG_TOPLEVEL) && !(e.flags & STATURLFLAG_ISTOPLEVEL)) continue;
            if (rgelt[n].cbSize != sizeof(STATURL)) return E_INVALIDARG;
            Fill(e, filterFlags_, &rgelt[n]);
            ++n;
        }
        if (fetched) *fetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG celt) override {
        next_ = std::min<size_t>(entries_.size(), next_ + celt);
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumSTATURL** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetFilter(LPCOLESTR filter, DWORD flags) override {
        filter_ = filter ? filter : L"";
        filterFlags_ = flags;
        return S_OK;
    }

private:
    std::vector<Entry> entries_;
    size_t next_ = 0;
    std::wstring filter_;
    DWORD filterFlags_ = 0;
};

class MemoryHistory final : public ComObject<Dispatch<IHistoryStore>, IUrlHistoryStg2> {
public:
    STDMETHODIMP get_Count(LONG* value) override {
        if (!value) return E_POINTER;
        std::lock_guard lock(storeLock);
        *value = static_cast<LONG>(Store().size());
        return S_OK;
    }

    STDMETHODIMP AddUrl(LPCOLESTR url, LPCOLESTR title, DWORD flags) override {
        if (!url) return E_INVALIDARG;
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        std::lock_guard lock(storeLock);
        auto& store = Store();
        auto it = std::find_if(store.begin(), store.end(), [&](const Entry& e) { return e.url == url; });
        Entry entry{url, title ? title : L"", flags & ~DWORD{ADDURL_ADDTOCACHE}, now};
        if (it != store.end()) {
            *it = entry;
        } else {
            store.push_back(entry);
        }
        return S_OK;
    }
    STDMETHODIMP DeleteUrl(LPCOLESTR url, DWORD) override {
        if (!url) return E_INVALIDARG;
        std::lock_guard lock(storeLock);
        auto& store = Store();
        auto it = std::find_if(store.begin(), store.end(), [&](const Entry& e) { return e.url == url; });
        if (it == store.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        store.erase(it);
        return S_OK;
    }
    STDMETHODIMP QueryUrl(LPCOLESTR url, DWORD flags, LPSTATURL record) override {
        if (!url) return E_INVALIDARG;
        std::lock_guard lock(storeLock);
        for (const Entry& e : Store()) {
            if (e.url != url) continue;
            if (record) Fill(e, flags, record);
            return S_OK;
        }
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    STDMETHODIMP BindToObject(LPCOLESTR, REFIID, void** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumUrls(IEnumSTATURL** out) override {
        if (!out) return E_POINTER;
        std::vector<Entry> snapshot;
        {
            std::lock_guard lock(storeLock);
            snapshot = Store();
        }
        return CreateInstance<Enumerator>(__uuidof(IEnumSTATURL), reinterpret_cast<void**>(out), std::move(snapshot));
    }
    STDMETHODIMP AddUrlAndNotify(LPCOLESTR url, LPCOLESTR title, DWORD flags, BOOL, IOleCommandTarget*,
                                 IUnknown*) override {
        return AddUrl(url, title, flags);
    }
    STDMETHODIMP ClearHistory() override {
        std::lock_guard lock(storeLock);
        Store().clear();
        return S_OK;
    }

protected:
    void* QueryExtra(REFIID iid) override {
        if (IsEqualIID(iid, __uuidof(IUrlHistoryStg))) return static_cast<IUrlHistoryStg*>(this);
        return nullptr;
    }
};

}  // namespace

namespace tidvex::com {

const LibraryInfo& ServerLibrary() {
    static const LibraryInfo lib{&LIBID_HistoryStoreLib, 1, 0};
    return lib;
}

std::span<const ClassEntry> ServerClasses() {
    static const ClassEntry classes[] = {
        {&CLSID_HistoryStore, L"Test URL History", L"TidvexTest.HistoryStore", nullptr, L"Apartment",
         &Create<MemoryHistory>},
    };
    return classes;
}

}  // namespace tidvex::com
