// What a session reaches and what it leaves: trees far deeper than MAX_PATH are
// shredded to their last file and folder without harm to the host; folders that
// are skipped keep their name and place, and so do the folders above them; the
// command line shreds only the items it names whole.
#include "session_com.h"

namespace {

using namespace fraxil::comtest;
using tidvex::com::Bstr;

std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }
bool Exists(const std::wstring& path) { return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
void WriteWide(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << tidvex::com::Narrow(path).size();
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// A chain of folders named `name` below `top` until the path is `length` long
// (or `count` folders deep), with a file in every fifth folder and in the last.
// Returns the deepest file.
std::wstring MakeChain(const std::wstring& top, const std::wstring& name, size_t length, size_t count) {
    EXPECT_TRUE(CreateDirectoryW(Long(top).c_str(), nullptr));
    std::wstring folder = top;
    for (size_t level = 1; (count ? level <= count : folder.size() < length); ++level) {
        folder += L"\\" + name;
        EXPECT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr)) << level;
        if (level % 5 == 0) WriteWide(folder + L"\\f.txt", std::string(70000, 'd'));
    }
    WriteWide(folder + L"\\deepest.txt", "the deepest secret");
    return folder + L"\\deepest.txt";
}

TEST_F(Session, TreesFarDeeperThanMaxPathAreShreddedToTheirEnd) {
    struct Case {
        const char* what;
        std::wstring name;
        size_t length, count;
        bool listFile;  // the deepest file listed alone, else the top folder
    };
    const Case cases[] = {
        {"126 one-letter folders (264 characters)", L"a", 0, 126, false},
        {"300 characters", L"folder-of-twenty-ch", 300, 0, false},
        {"1,000 characters of long names", L"a-folder-with-a-name-of-forty-characters", 1000, 0, false},
        {"1,000 characters of short names", L"nine-char", 1000, 0, false},
        {"a file 1,000 characters deep", L"a-folder-with-a-name-of-forty-characters", 1000, 0, true},
    };
    obj_->put_ShredSubFolder(1);
    obj_->put_RemoveSubFolder(1);
    obj_->put_ShredMethod(1);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring top = tidvex::com::Widen(dir_) + L"\\tree" + std::to_wstring(n++);
        const std::wstring deepest = MakeChain(top, c.name, c.length, c.count);
        ASSERT_TRUE(Exists(deepest));
        Call(&IShredder::NewSession);
        EXPECT_EQ(AddWide(c.listFile ? &IShredder::AddFile : &IShredder::AddFolder, c.listFile ? deepest : top), 1);
        fired_.clear();
        ASSERT_EQ(Call(&IShredder::StartSession), 1);
        ASSERT_TRUE(WaitCompleted(std::chrono::seconds(60)));
        EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors().front().text);
        EXPECT_FALSE(Exists(deepest));
        if (!c.listFile) {
            EXPECT_FALSE(Exists(top)) << "something of the tree is left";
        }
    }
}

}  // namespace
