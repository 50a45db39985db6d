// The registered Shredder's list members with their messages, the command line
// in every form, the restore points as this system gives them, the Recycle Bin
// verb and the hook members.
#include "session_com.h"

namespace {

using namespace fraxil::comtest;
using tidvex::com::Bstr;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::RegKeyExists;
using tidvex::test::RegReadString;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

using ItemMember = HRESULT (STDMETHODCALLTYPE IShredder::*)(BSTR, LONG*);
using EntryMember = HRESULT (STDMETHODCALLTYPE IShredder::*)(BSTR*);

TEST_F(Session, ListMembersAnswerWithTheirMessages) {
    struct Case {
        ItemMember member;
        std::string item;
        LONG out;
        std::vector<Fired> events;
    };
    const std::string file = dir_ + "\\a.txt", folder = dir_ + "\\d";
    const std::string rootText = "You select a drive not a folder.\nIf you want to shred a drive go to Shred Drive page.";
    const Case cases[] = {
        {&IShredder::AddFile, "", 0, {}},
        {&IShredder::AddFile, file, 1, {{kMessage, file}}},
        {&IShredder::AddFile, file, 0, {{kError, "File Already in List.", 37002}}},
        {&IShredder::AddFolder, folder, 1, {}},
        {&IShredder::AddFolder, folder, 0, {{kError, "Folder Already in List.", 37003}}},
        {&IShredder::AddFolder, "C:\\", 0, {{kError, rootText, 31087}}},
        {&IShredder::AddFolder, "c:\\.", 0, {{kError, rootText, 31087}}},
        {&IShredder::AddFolder, "C:\\windows\\..\\", 0, {{kError, rootText, 31087}}},
        {&IShredder::AddFolder, "T:", 0, {{kError, rootText, 31087}}},
        {&IShredder::AddDrive, "T:\\", 1, {}},
        {&IShredder::AddDrive, "T:\\", 0, {{kError, "Drive Already in List.", 37004}}},
        {&IShredder::RemoveFile, dir_ + "\\b.txt", 0, {{kError, "File Not in List.", 37005}}},
        {&IShredder::RemoveFolder, file, 0, {{kError, "Folder Not in List.", 37006}}},
        {&IShredder::RemoveDrive, "Q:\\", 0, {{kError, "Drive Not in List.", 37007}}},
        {&IShredder::RemoveDrive, "", 0, {}},
        {&IShredder::RemoveDrive, "T:\\", 1, {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n++);
        fired_.clear();
        LONG out = -7;
        const HRESULT hr = (obj_.Get()->*c.member)(Bstr(c.item).Get(), &out);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(hr, c.out ? S_OK : S_FALSE);
        EXPECT_EQ(fired_, c.events);
    }
    EXPECT_EQ(GetLong(&IShredder::get_FilesCount), 1);
    EXPECT_EQ(GetLong(&IShredder::get_FoldersCount), 1);
    EXPECT_EQ(GetLong(&IShredder::get_DrivesCount), 0);
}

TEST_F(Session, EachListsCursorYieldsTheFirstEntryTwiceThenTellsTheEnd) {
    struct Case {
        ItemMember add;
        EntryMember first, next;
        Fired empty, end;
    };
    const Case cases[] = {
        {&IShredder::AddFile, &IShredder::GetFirstFile, &IShredder::NextFile, {kMessage, "Files List is empty."},
         {kMessage, "You have reached the end of the list."}},
        {&IShredder::AddFolder, &IShredder::GetFirstFolder, &IShredder::NextFolder,
         {kError, "Folders List is empty.", 37012},
         {kError, "Folders List is empty, or you have reached the end of the list", 37013}},
        {&IShredder::AddDrive, &IShredder::GetFirstDrive, &IShredder::NextDrive,
         {kError, "Drives List is empty.", 37014},
         {kError, "Drives List is empty, or you have reached the end of the list", 37015}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.empty.text);
        fired_.clear();
        EXPECT_EQ(GetText(c.first, S_FALSE), "");
        EXPECT_EQ(fired_, std::vector<Fired>{c.empty});
        const std::wstring one = L"S:\\\x4e2d\x6587", two = L"S:\\second";
        EXPECT_EQ(AddWide(c.add, one), 1);
        EXPECT_EQ(AddWide(c.add, two), 1);
        fired_.clear();
        Bstr entry;
        // Kept as given, whatever the code page holds.
        EXPECT_EQ((obj_.Get()->*c.first)(entry.Put()), S_OK);
        EXPECT_EQ(entry.Wide(), one);
        EXPECT_EQ((obj_.Get()->*c.next)(entry.Put()), S_OK);
        EXPECT_EQ(entry.Wide(), one);
        EXPECT_EQ((obj_.Get()->*c.next)(entry.Put()), S_OK);
        EXPECT_EQ(entry.Wide(), two);
        EXPECT_TRUE(Errors().empty());
        EXPECT_EQ(GetText(c.next, S_FALSE), "");
        EXPECT_EQ(fired_.back(), c.end);
    }
    // A new session on an idle object keeps the items; one after a session empties every list.
    EXPECT_EQ(Call(&IShredder::NewSession), 1);
    EXPECT_EQ(GetLong(&IShredder::get_DrivesCount), 2);
    obj_->put_SessionType(7);  // no such kind: nothing is done and the session completes
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(GetLong(&IShredder::get_FilesCount), 2);
    EXPECT_EQ(Call(&IShredder::NewSession), 1);
    EXPECT_EQ(GetLong(&IShredder::get_SessionState), 0);
    EXPECT_EQ(GetLong(&IShredder::get_FilesCount) + GetLong(&IShredder::get_FoldersCount) +
                  GetLong(&IShredder::get_DrivesCount),
              0);
}

TEST_F(Session, ARunningSessionRefusesAnotherWithoutAnEvent) {
    const std::string big = dir_ + "\\big.bin";
    WriteFileBytes(big, std::string(1 << 20, 'x'));
    obj_->put_ShredMethod(4);
    Add(&IShredder::AddFile, big);
    EXPECT_EQ(Call(&IShredder::AbortSession, S_FALSE), 0);
    EXPECT_EQ(Errors().back(), (Fired{kError, "There is No Running Session to abort.", 37018}));
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    const size_t errors = Errors().size();
    EXPECT_EQ(Call(&IShredder::StartSession, S_FALSE), 0);
    EXPECT_EQ(Call(&IShredder::NewSession, S_FALSE), 0);
    EXPECT_EQ(Call(&IShredder::ProcessCommandLine, S_FALSE), 0);
    EXPECT_EQ(Errors().size(), errors) << "stored, not fired";
    ASSERT_TRUE(WaitCompleted());
}

// Files and folders of their own for the command line, with what each form must
// leave of them.
class CommandLine : public Session {
protected:
    void SetUp() override {
        Session::SetUp();
        cl_ = dir_ + "\\cl";
        Seed();
    }
    void Seed() {
        CreateDirectoryA(cl_.c_str(), nullptr);
        for (const char* name : kNames) WriteFileBytes(cl_ + "\\" + name, name);
        CreateDirectoryA((cl_ + "\\dir").c_str(), nullptr);
        CreateDirectoryA((cl_ + "\\dir\\sub").c_str(), nullptr);
        WriteFileBytes(cl_ + "\\dir\\sub\\deep.txt", "deep");
    }
    size_t Announcements() const {
        return static_cast<size_t>(std::count_if(fired_.begin(), fired_.end(), [](const Fired& f) {
            return f.id == kMessage && f.text.rfind("WARNING", 0) == 0;
        }));
    }
    static constexpr const char* kNames[] = {"a.txt", "b.txt", "c.txt", "d.txt", "a b.txt", "x.txt"};
    // Runs the command line and waits for its session, when it starts one.
    void Run(const std::wstring& text) {
        ASSERT_EQ(obj_->put_CommandLineString(Bstr(std::wstring_view(text)).Get()), S_OK);
        fired_.clear();
        ASSERT_EQ(Call(&IShredder::ProcessCommandLine), 1);
    }
    std::wstring W(const std::string& s) { return tidvex::com::Widen(s); }
    std::string cl_;
};

TEST_F(CommandLine, EveryFormNamesItsItems) {
    struct Case {
        std::wstring text;
        std::vector<std::string> shredded;
        std::string announced;  // message 31051, when there is one
    };
    const std::wstring cl = W(cl_);
    const Case cases[] = {
        {L"1? \"" + cl + L"\\a b.txt\" \"" + cl + L"\\c.txt\"", {"a b.txt", "c.txt"},
         "WARNING: Shredded files and folders cannot be recovered.2 items will be shredded."},
        {L"1?" + cl + L"\\a.txt " + cl + L"\\b.txt   " + cl + L"\\c.txt 0 " + cl + L"\\d.txt", {"a.txt", "b.txt", "c.txt"},
         "WARNING: Shredded files and folders cannot be recovered.3 items will be shredded."},
        {L"1? " + cl + L"\\d.txt", {"d.txt"}, ""},
        {L"1? /O4 /F1 /R1 " + cl + L"\\dir", {"dir\\sub\\deep.txt", "dir\\sub", "dir"}, ""},
        {L"1? \"" + cl + L"\\x?.txt\" \"" + cl + L"\\*.txt\" \"" + cl + L"\\nothing.txt\"", {},
         "WARNING: Shredded files and folders cannot be recovered.3 items will be shredded."},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n++);
        Seed();
        Run(c.text);
        ASSERT_TRUE(WaitCompleted());
        for (const char* name : kNames) {
            const bool named = std::find(c.shredded.begin(), c.shredded.end(), name) != c.shredded.end();
            EXPECT_EQ(PathExists(cl_ + "\\" + name), !named) << name;
        }
        for (const std::string& name : c.shredded) EXPECT_FALSE(PathExists(cl_ + "\\" + name)) << name;
        EXPECT_EQ(Announcements(), c.announced.empty() ? 0u : 1u);
        if (!c.announced.empty()) {
            EXPECT_EQ(Count(kMessage, c.announced), 1u);
        }
        EXPECT_TRUE(Errors().empty());
        EXPECT_EQ(GetLong(&IShredder::get_SessionState), 3);
    }
    short method = -1;
    obj_->get_ShredMethod(&method);
    EXPECT_EQ(method, 4) << "/O4 chose the method";
    EXPECT_EQ(GetLong(&IShredder::get_ShredSubFolder), 1);
    EXPECT_EQ(GetLong(&IShredder::get_RemoveSubFolder), 1);
}

TEST_F(CommandLine, ANameTheCodePageCannotHoldNamesOnlyItsOwnFile) {
    // In the code page "中.txt" is "?.txt", which as a pattern would match x.txt.
    const std::wstring name = W(cl_) + L"\\\x4e2d.txt";
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    Run(L"1? \"" + name + L"\"");
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFileBytes(cl_ + "\\x.txt"), "x.txt");
    EXPECT_TRUE(Errors().empty());
}

TEST_F(CommandLine, TheWorkListFileHoldsOneItemPerLine) {
    // A line of more than 259 bytes is one item: its first 259 bytes, which name
    // a file here too, are never an item of their own.
    std::string deep = cl_;
    while (deep.size() < 300) {
        deep += "\\a-rather-long-folder-name";
        ASSERT_TRUE(CreateDirectoryW(W(deep).c_str(), nullptr)) << deep.size();
    }
    const std::string longFile = deep + "\\long.txt", cut = longFile.substr(0, 259);
    for (const std::string& path : {longFile, cut}) {
        HANDLE h = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        WriteFile(h, "kept", 4, &written, nullptr);
        CloseHandle(h);
    }
    WriteFileBytes(app_ + "\\files.txt", cl_ + "\\a.txt\r\n" + longFile + "\r\n\r\n/O1\r\n" + cl_ + "\\b.txt");
    Run(L"2?");
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(Count(kMessage, "WARNING: Shredded files and folders cannot be recovered.3 items will be shredded."), 1u);
    EXPECT_FALSE(PathExists(cl_ + "\\a.txt"));
    EXPECT_FALSE(PathExists(cl_ + "\\b.txt"));
    EXPECT_NE(GetFileAttributesW(W(cut).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(PathExists(app_ + "\\files.txt")) << "the work list goes with its completed session";
    EXPECT_EQ(GetFileAttributesW(W(longFile).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(Errors().empty());

    // Without a work list: no item, an empty session.
    Run(L"2?");
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(Texts(), (std::vector<Fired>{
                           {kMessage, "WARNING: Shredded files and folders cannot be recovered.0 items will be shredded."},
                           {kMessage, "Files List is empty."},
                           {kMessage, "Folders List is empty."},
                           {kCompleted, ""}}));

    // Without an application path the work list is never looked for, not even at a drive's root.
    WriteFileBytes("S:\\files.txt", cl_ + "\\c.txt");
    obj_->put_ApplicationPath(Bstr("").Get());
    Run(L"2?");
    ASSERT_TRUE(WaitCompleted());
    EXPECT_TRUE(PathExists(cl_ + "\\c.txt"));
    EXPECT_TRUE(PathExists("S:\\files.txt"));
}

// No piece of a path with blanks and nothing the host's current folder holds is
// ever shredded: an unquoted text split into a piece that is no full path is one
// item when it names one as a whole, else refused; an item that is no full path
// (quoted, or a work-list line) is ignored and logged.
TEST_F(CommandLine, OnlyFullPathsAndWholeTextsAreItems) {
    const std::string cwd = dir_ + "\\cwd", my = cl_ + "\\My", old = cl_ + "\\My Files\\old.txt";
    for (const std::string& folder : {cwd, cwd + "\\Files", my, cl_ + "\\My Files"})
        CreateDirectoryA(folder.c_str(), nullptr);
    const std::vector<std::string> kept = {cwd + "\\b.txt", cwd + "\\Files\\old.txt", my + "\\mine.txt"};
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
    const std::string refused = "Nothing was shredded: the command line is neither one item nor a list of full paths:\n";
    struct Case {
        std::string text, workList, shredded, error;
    };
    const Case cases[] = {
        {"1?" + old, "", old, ""},
        {"1?  " + cl_ + "\\a b.txt ", "", cl_ + "\\a b.txt", ""},
        {"1?" + cl_ + "\\My b.txt", "", "", refused + cl_ + "\\My b.txt"},
        {"1?" + my + " 0ld.txt", "", "", refused + my + " 0ld.txt"},
        {"1?/O1 " + old, "", "", refused + "/O1 " + old},
        {"1?\"b.txt\" \"Files\"", "", "", ""},
        {"2?", "b.txt\r\n.\\Files\\old.txt\r\n" + cwd.substr(2) + "\\b.txt\r\nS:b.txt\r\n", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Seed();
        for (const std::string& file : kept) WriteFileBytes(file, file);
        WriteFileBytes(old, "chosen");
        if (!c.workList.empty()) WriteFileBytes(app_ + "\\files.txt", c.workList);
        Run(W(c.text));
        ASSERT_TRUE(WaitCompleted());
        const std::vector<Fired> errors = {{kError, c.error, 37022}};
        EXPECT_EQ(Errors(), c.error.empty() ? std::vector<Fired>() : errors);
        for (const std::string& file : kept) EXPECT_EQ(ReadFileBytes(file), file);
        for (const std::string& name : {std::string("My Files\\old.txt"), std::string("a b.txt"), std::string("a.txt")})
            EXPECT_EQ(PathExists(cl_ + "\\" + name), cl_ + "\\" + name != c.shredded) << name;
    }
    SetCurrentDirectoryA(saved);
    const std::string log = ReadFileBytes(app_ + "\\log.txt").value_or("");
    EXPECT_NE(log.find("Ignored, not a full path:\r\nS:b.txt\r\n"), std::string::npos) << log;
}

TEST_F(CommandLine, KeywordsAndTextsThatAreNoCommandLine) {
    // "recycle" makes it a Recycle Bin session and ends the items.
    Run(L"1? " + W(cl_) + L"\\a.txt recycle " + W(cl_) + L"\\b.txt");
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(GetLong(&IShredder::get_SessionType), 2);
    EXPECT_EQ(GetLong(&IShredder::get_FilesCount), 1) << "listed, but a Recycle Bin session shreds no list";
    EXPECT_TRUE(PathExists(cl_ + "\\a.txt"));
    EXPECT_TRUE(PathExists(cl_ + "\\b.txt"));

    // "restorepoints" shreds the restore-point folders at once, on the caller's thread.
    CreateDirectoryA("C:\\System Volume Information", nullptr);
    WriteFileBytes("C:\\System Volume Information\\restore.dat", "restore point");
    obj_->put_SessionType(0);
    Run(L"1? restorepoints " + W(cl_) + L"\\c.txt");
    EXPECT_FALSE(PathExists("C:\\System Volume Information")) << "before ProcessCommandLine returned";
    ASSERT_TRUE(WaitCompleted());
    EXPECT_TRUE(PathExists(cl_ + "\\c.txt"));

    // Anything but "1?" and "2?" starts nothing.
    for (const wchar_t* text : {L"", L"3? x", L" 1? x", L"recycle"}) {
        Run(text);
        PumpFor(std::chrono::milliseconds(100));
        EXPECT_TRUE(fired_.empty()) << tidvex::com::Narrow(text);
    }
}

TEST_F(Session, TheCommandLineIsCutWhereItsCodePageFormFillsTheBuffer) {
    // 23,398 bytes, then two characters of one byte each in the code page ("?"
    // for the one it cannot hold): the second does not fit.
    const std::wstring text = std::wstring(23398, L'c') + L"\x4e2d\x6587";
    ASSERT_EQ(obj_->put_CommandLineString(Bstr(std::wstring_view(text)).Get()), S_OK);
    Bstr back;
    ASSERT_EQ(obj_->get_CommandLineString(back.Put()), S_OK);
    EXPECT_EQ(back.Wide(), std::wstring(23398, L'c') + L"\x4e2d");
}

TEST_F(Session, RestorePointsAreReadThroughWmiOnTheCallersThread) {
    // This thread is in a single-threaded apartment: the reading fails at its
    // first step, reported but not refused.
    EXPECT_EQ(Call(&IShredder::GetRestorePoints), 0);
    EXPECT_EQ(fired_, (std::vector<Fired>{{kError, "Failed to initialize COM library. ", 36010}}));
    obj_->put_EnableRestorePoints(0);
    fired_.clear();
    EXPECT_EQ(Call(&IShredder::GetRestorePoints, S_FALSE), 0);
    EXPECT_EQ(fired_, (std::vector<Fired>{{kError, "Restore Points Disabled.", 36009}}));
    fired_.clear();
    EXPECT_EQ(Call(&IShredder::GetFirstRestorePoint, S_FALSE), 0);
    EXPECT_EQ(Call(&IShredder::NextRestorePoint, S_FALSE), 0);
    EXPECT_EQ(fired_, (std::vector<Fired>{{kError, "Restore Points List is empty.", 37008},
                                          {kError, "Restore Points List is empty, or you have reached the end of the list",
                                           37009}}));
    EXPECT_EQ(GetLong(&IShredder::get_RestorePointsCount), 0);
    EXPECT_EQ(GetLong(&IShredder::get_nRestorePointSequenceNumber), -1);
    EXPECT_EQ(GetText(&IShredder::get_strRestorePointType), "");
}

TEST_F(Session, TheRecycleBinVerbNeedsItsHelperAndAProperName) {
    const std::string shell = "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\shell";
    const std::string helper = "CLSID\\{929EC980-BAC9-452c-84E3-FCA6DCB3BAC6}";
    const Fired disabled{kError, "Context Menu Disabled.", 34001};
    const Fired missing{kError,
                        "Couldn't access Pilvane.dll.\nUnfortunately, The program won't appeared in the context menu.",
                        31059};
    obj_->put_EnableContextMenu(0);
    EXPECT_EQ(Call(&IShredder::AddContextMenu, S_FALSE), 0);
    EXPECT_EQ(fired_, std::vector<Fired>{disabled});

    obj_->put_EnableContextMenu(1);
    fired_.clear();
    EXPECT_EQ(Call(&IShredder::AddContextMenu, S_FALSE), 0);
    EXPECT_EQ(fired_, (std::vector<Fired>{missing, disabled}));

    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, helper.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    WriteFileBytes(app_ + "\\Pilvane.dll", "helper");
    const std::string before = RegReadString(HKEY_CLASSES_ROOT, shell, "").value_or("<none>");
    for (const char* name : {"", "Tid\\vex"}) {
        obj_->put_ShredderApplicationName(Bstr(name).Get());
        fired_.clear();
        EXPECT_EQ(Call(&IShredder::AddContextMenu, S_FALSE), 0) << name;
        EXPECT_EQ(fired_, std::vector<Fired>{disabled});
    }
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, shell, "").value_or("<none>"), before) << "the bin's default verb";
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, shell + "\\Tid"));

    obj_->put_ShredderApplicationName(Bstr("Tidvex").Get());
    fired_.clear();
    EXPECT_EQ(Call(&IShredder::AddContextMenu), 1);
    EXPECT_TRUE(fired_.empty());
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, shell + "\\Tidvex", ""), "Tidvex Shred Recycle Bin");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, shell + "\\Tidvex\\command", ""),
              "\"" + app_ + "\\Shredder.exe\" recycle");

    // Unregistering the server removes the verb it wrote, and nothing else of the bin.
    HKEY other;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, (shell + "\\open\\command").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &other, nullptr);
    RegCloseKey(other);
    HMODULE fraxil = GetModuleHandleA("Fraxil.dll");
    ASSERT_NE(fraxil, nullptr);
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto unregister = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(fraxil, "DllUnregisterServer")));
    auto reregister = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(fraxil, "DllRegisterServer")));
    ASSERT_EQ(unregister(), S_OK);
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, shell + "\\Tidvex"));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, shell + "\\open\\command"));
    ASSERT_EQ(reregister(), S_OK);
}

TEST_F(Session, TheHookMembersNeverHook) {
    struct Case {
        LONG enabled;
        HRESULT (STDMETHODCALLTYPE IShredder::*member)(LONG*);
        LONG out;
        std::vector<Fired> events;
    };
    const Case cases[] = {
        {0, &IShredder::StartHook, 0, {{kError, "Hooking Disabled.!", 34009}}},
        {1, &IShredder::StartHook, 0, {{kError, "InitAPIHook error!", 34006}}},
        {0, &IShredder::StopHook, 0, {{kError, "Hooking Disabled.!", 34009}}},
        {1, &IShredder::StopHook, 1, {}},
    };
    for (const Case& c : cases) {
        obj_->put_EnableHook(c.enabled);
        fired_.clear();
        EXPECT_EQ(Call(c.member, c.out ? S_OK : S_FALSE), c.out);
        EXPECT_EQ(fired_, c.events);
    }
}

}  // namespace
