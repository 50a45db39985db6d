// What a session reaches and what it leaves: trees far deeper than MAX_PATH are
// shredded to their last file and folder without harm to the host; folders that
// are skipped keep their name and place, and so do the folders above them; the
// command line shreds only the items it names whole.
#include "session_com.h"

#include "fs/paths.h"

namespace {

using namespace fraxil::comtest;
using tidvex::com::Bstr;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::WriteFileBytes;

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

// The shell's Start Menu and Desktop lead into the test's own folders while one
// lives, so that Initialize reads them among the system folders.
class ShellFoldersIn {
public:
    ShellFoldersIn(const std::string& startMenu, const std::string& desktop) {
        for (const char* key : kKeys) {
            for (const auto& [name, path] : {std::pair{"Start Menu", startMenu}, std::pair{"Desktop", desktop}}) {
                saved_.push_back({key, name, tidvex::test::RegReadString(HKEY_CURRENT_USER, key, name)});
                tidvex::test::RegWriteString(HKEY_CURRENT_USER, key, name, path);
            }
        }
    }
    ~ShellFoldersIn() {
        for (const Saved& s : saved_) {
            if (s.value) {
                tidvex::test::RegWriteString(HKEY_CURRENT_USER, s.key, s.name, *s.value);
            } else {
                RegDeleteKeyValueA(HKEY_CURRENT_USER, s.key, s.name);
            }
        }
    }

private:
    static constexpr const char* kKeys[] = {
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};
    struct Saved {
        const char* key;
        const char* name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved_;
};

TEST_F(Session, SkippedFoldersKeepTheirNamesAndSoDoTheFoldersAboveThem) {
    const std::string top = dir_ + "\\top", windows = top + "\\Microsoft\\Windows";
    const std::string startMenu = windows + "\\Start Menu", desktop = dir_ + "\\Desktop";
    const std::string marked = top + "\\marked";
    for (const std::string& folder : {top, top + "\\Microsoft", windows, startMenu, startMenu + "\\Programs",
                                      windows + "\\Other", marked, top + "\\plain", desktop})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    const std::vector<std::string> kept = {startMenu + "\\Programs\\app.lnk", marked + "\\m.txt"};
    const std::vector<std::string> shredded = {windows + "\\w.txt", windows + "\\Other\\o.txt",
                                               top + "\\plain\\p.txt", top + "\\t.txt"};
    for (const std::string& file : kept) WriteFileBytes(file, file);
    for (const std::string& file : shredded) WriteFileBytes(file, file);
    ASSERT_TRUE(SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_SYSTEM));
    if (!(GetFileAttributesA(marked.c_str()) & FILE_ATTRIBUTE_SYSTEM)) GTEST_SKIP() << "S: keeps no system mark";

    ShellFoldersIn shell(startMenu, desktop);
    ASSERT_EQ(Call(&IShredder::Initialize), 1);
    obj_->put_ShredSubFolder(1);
    obj_->put_RemoveSubFolder(1);
    obj_->put_ShredHiddenAndSystemFiles(0);
    EXPECT_EQ(Add(&IShredder::AddFolder, top), 1);
    EXPECT_EQ(Add(&IShredder::AddFolder, desktop), 1);
    fired_.clear();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(Count(kMessage, "Skipping " + startMenu + " folder."), 1u);
    EXPECT_EQ(Count(kMessage, "Skipping " + desktop + " folder."), 1u);
    EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors().front().text);

    for (const std::string& file : kept) EXPECT_EQ(ReadFileBytes(file), file);
    for (const std::string& file : shredded) EXPECT_FALSE(PathExists(file)) << file;
    for (const std::string& folder : {desktop, top + "\\Microsoft", windows, marked})
        EXPECT_TRUE(PathExists(folder)) << folder << " is gone or was renamed";
    EXPECT_FALSE(PathExists(windows + "\\Other"));
    EXPECT_FALSE(PathExists(top + "\\plain"));
    // Nothing was renamed on its way to a removal that could not happen.
    for (const std::string& folder : {top, top + "\\Microsoft", windows}) {
        for (const auto& entry : tidvex::fs::ListFolder(folder).value_or(std::vector<tidvex::fs::FolderEntry>{}))
            EXPECT_NE(entry.name.rfind("del", 0), 0u) << folder << "\\" << entry.name;
    }
}

}  // namespace
