// The URL history collection and the history step against a store kept in
// memory (a test class registered in this prefix under the shell's class id;
// it refuses records that are not this platform's size), the whole browser
// cleaner with every switch on, and the list of WinINet's URL cache.
#include "browser_seed.h"
#include "url_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

using namespace velmora::test;
using tidvex::com::ComPtr;
using tidvex::test::PathExists;
using tidvex::RunTimeError;
using velmora::CURLHistory;

ComPtr<IUrlHistoryStg2> Store() {
    ComPtr<IUrlHistoryStg2> store;
    EXPECT_EQ(CoCreateInstance(velmora::kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IUrlHistoryStg2),
                               store.PutVoid()),
              S_OK);
    return store;
}

std::vector<std::wstring> Urls(const CURLHistory& history) {
    std::vector<std::wstring> out;
    for (const auto& item : history) out.push_back(item->URL());
    return out;
}

long ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RunTimeError& e) {
        return e.Number();
    }
    return 0;
}

class UrlHistory : public testing::Test {
protected:
    void SetUp() override {
        store_ = Store();
        store_->ClearHistory();
    }
    ComPtr<IUrlHistoryStg2> store_;
};

TEST_F(UrlHistory, ListsFiltersAddsAndDeletes) {
    CURLHistory history;
    EXPECT_EQ(history.Count(), 0);
    history.AddURL(L"http://a.example/1", L"A one", 0);
    history.AddURL(L"http://a.example/2", L"A two", STATURLFLAG_ISTOPLEVEL);
    history.AddURL(L"http://b.example/", L"", 0);
    EXPECT_EQ(history.Count(), 0) << "adding does not refresh the list";
    history.Refresh();
    ASSERT_EQ(history.Count(), 3);
    EXPECT_EQ(history.Item(1)->URL(), L"http://a.example/1");
    EXPECT_EQ(history.Item(1)->Title(), L"A one");
    EXPECT_EQ(history.Item(2)->Flags(), STATURLFLAG_ISTOPLEVEL);
    EXPECT_NE(history.Item(1)->LastVisited(), 0);
    EXPECT_EQ(history.Item(1)->LastVisited(), history.Item(1)->LastVisited());
    EXPECT_EQ(ErrorOf([&] { history.Item(0); }), 9);
    EXPECT_EQ(ErrorOf([&] { history.Item(4); }), 9);

    const struct {
        const wchar_t* prefix;
        std::int32_t flags;
        std::vector<std::wstring> urls;
    } filters[] = {
        {L"http://a.", 0, {L"http://a.example/1", L"http://a.example/2"}},
        {L"http://b", 0, {L"http://b.example/"}},
        {L"", STATURL_QUERYFLAG_TOPLEVEL, {L"http://a.example/2"}},
        {L"ftp:", 0, {}},
    };
    for (const auto& f : filters) {
        history.Refresh(f.prefix, f.flags);
        EXPECT_EQ(Urls(history), f.urls) << tidvex::com::Narrow(f.prefix);
    }
    history.Refresh(L"", STATURL_QUERYFLAG_NOTITLE);
    EXPECT_EQ(history.Item(1)->Title(), L"") << "a null title reads as the empty text";

    history.Refresh();
    auto first = history.Item(1);
    history.Remove(1);
    EXPECT_EQ(Urls(history), (std::vector<std::wstring>{L"http://a.example/2", L"http://b.example/"}));
    EXPECT_EQ(first->URL(), L"http://a.example/1") << "a removed item stays readable while held";
    EXPECT_EQ(Urls(CURLHistory()), Urls(history)) << "the store lost it too";
    history.DeleteURL(L"http://b.example/", 0);
    EXPECT_EQ(Urls(history), (std::vector<std::wstring>{L"http://a.example/2"}));
    EXPECT_NE(ErrorOf([&] { history.DeleteURL(L"http://none.example/", 0); }), 0) << "the store's failure is raised";
    history.Clear();
    EXPECT_EQ(history.Count(), 0);
    EXPECT_EQ(CURLHistory().Count(), 0);
}

class BrowsClsWithHistory : public InProcessCleaner<velmora::BrowsCls> {
protected:
    BrowsClsWithHistory() : InProcessCleaner(DIID___BrowsCls, "velmora_hist") {}
};

TEST_F(BrowsClsWithHistory, EverySwitchOnCleansEveryBrowser) {
    const auto steps = SeedBrowsers();
    Store()->AddUrl(L"http://visited.example/", L"Visited", 0);
    SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1", "http://typed/");
    Make();
    for (const wchar_t* sw :
         {L"IECleanCashe", L"IECleanTypedUrl", L"IECleanHistory", L"IECleanDownloadDir", L"IEAutoComplete",
          L"IERemoveCookies", L"IETypedUrlP", L"IEFavorite", L"IEPassWord", L"FFCleanCash", L"FFCleanHistory",
          L"FFCleanBookMark", L"FFRemoveCookies", L"NSCleanHistory", L"NSCleanCash", L"NSCleanAutoComplete",
          L"NSCleanCookies", L"NSCleanMail", L"OPCleanHistory", L"OPCleanCash", L"OPCleanCookie"}) {
        Set(sw);
    }
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    const auto captions = events_.Captions();
    EXPECT_EQ(captions.size(), 16u);
    EXPECT_EQ(captions[1], "Cleaning IE History");
    std::set<std::string> gone;
    for (const Trace& step : steps) gone.insert(step.gone.begin(), step.gone.end());
    for (const Trace& step : steps) {
        if (step.caption) {
            EXPECT_NE(std::find(captions.begin(), captions.end(), step.caption), captions.end()) << step.caption;
        }
        for (const auto& path : step.gone) EXPECT_FALSE(Exists(path)) << path;
        for (const auto& path : step.kept) {
            EXPECT_TRUE(gone.contains(path) || Exists(path)) << path;
        }
    }
    EXPECT_EQ(CURLHistory().Count(), 0);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1"));
}

// Each entry of the cache once, "||" between two; the empty text for none.
TEST_F(BrowsClsWithHistory, TheCacheListJoinsTheSourceUrlsOfTheCache) {
    Make();
    auto list = [&] {
        tidvex::com::Variant v;
        EXPECT_EQ(tidvex::com::InvokeByName(obj_.Get(), L"get_cache_list", DISPATCH_METHOD, {}, &v), S_OK);
        return v.AsText();
    };
    // What other tests of this program left in the cache goes first.
    for (int i = 0; i < 100 && !list().empty(); ++i) {
        std::string old = list();
        DeleteUrlCacheEntryA(old.substr(0, old.find("||")).c_str());
    }
    EXPECT_EQ(list(), "");
    for (const char* url : {"http://a.example/x.htm", "http://b.example/y.gif"}) {
        char file[MAX_PATH] = {};
        ASSERT_TRUE(CreateUrlCacheEntryA(url, 0, "tmp", file, 0));
        tidvex::test::WriteFileBytes(file, "cached");
        FILETIME never{};
        ASSERT_TRUE(CommitUrlCacheEntryA(url, file, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
    }
    const std::string two = list();
    EXPECT_TRUE(two == "http://a.example/x.htm||http://b.example/y.gif" ||
                two == "http://b.example/y.gif||http://a.example/x.htm")
        << two;
    ASSERT_TRUE(InternetSetCookieA("http://c.example/", "k", "v; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
    const std::string three = list();
    EXPECT_EQ(three.size(), two.size() + 2 + std::string("Cookie:@c.example/").size() + [] {
                  char user[256];
                  DWORD n = sizeof user;
                  GetUserNameA(user, &n);
                  return std::string(user).size();
              }()) << three;
}

}  // namespace
