// The tweaks of VqQuenza.Optimizer, bound early through the type library's header:
// every value each setter writes on and off, and its reader following it.
#include "Quenza.h"

#include "com/client.h"
#include "reg_probe.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using namespace tidvex::com;
using quenza::test::DeleteStored;
using quenza::test::ReadStored;
using quenza::test::Stored;
using quenza::test::WriteStored;

const std::string PE = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const std::string TCP = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string IS = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string kCopyTo = "AllFilesystemObjects\\shellex\\ContextMenuHandlers\\Copy To";
const std::string kMoveTo = "AllFilesystemObjects\\shellex\\ContextMenuHandlers\\Move To";

using Setter = std::function<HRESULT(_Optimizer*, VARIANT_BOOL*, VARIANT*)>;
using Reader = HRESULT (STDMETHODCALLTYPE _Optimizer::*)(VARIANT_BOOL*);

struct Expected {
    HKEY hive;
    std::string key;
    std::string name;
    Stored on;
    Stored off;
};

struct Tweak {
    const char* name;
    Setter set;
    Reader read;
    std::vector<Expected> values;
};

Setter Plain(HRESULT (STDMETHODCALLTYPE _Optimizer::*m)(VARIANT_BOOL*, VARIANT*)) {
    return [m](_Optimizer* o, VARIANT_BOOL* b, VARIANT* r) { return (o->*m)(b, r); };
}

std::vector<Tweak> Tweaks() {
    using S = Stored;
    return {
        {"BroadBand", Plain(&_Optimizer::OPZBroadBand), &_Optimizer::IsBroadBand,
         {{HKEY_LOCAL_MACHINE, TCP, "DefaultTTL", S::Dword(128), S::Dword(32)},
          {HKEY_LOCAL_MACHINE, TCP, "EnablePMTUBHDetect", S::Dword(0), S::Dword(0)},
          {HKEY_LOCAL_MACHINE, TCP, "EnablePMTUDiscovery", S::Dword(1), S::Dword(1)},
          {HKEY_LOCAL_MACHINE, TCP, "GlobalMaxTcpWindowSize", S::Dword(32767), S::Dword(32767)},
          {HKEY_LOCAL_MACHINE, TCP, "TcpMaxDupAcks", S::Dword(2), S::Dword(2)},
          {HKEY_LOCAL_MACHINE, TCP, "SackOpts", S::Dword(1), S::Dword(0)},
          {HKEY_LOCAL_MACHINE, TCP, "Tcp1323Opts", S::Dword(1), S::Dword(1)},
          {HKEY_LOCAL_MACHINE, TCP, "TcpWindowSize", S::Dword(93440), S::Dword(32767)}}},
        {"AutoBootDisk", Plain(&_Optimizer::OPZAutoBootDisk), &_Optimizer::IsAutoBootDisk,
         {{HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction", "Enable", S::Text("Y"),
           S::Text("N")}}},
        {"HardDiskWhenIdle", Plain(&_Optimizer::OPZHardDiskWhenIdle), &_Optimizer::IsHardDiskWhenIdle,
         {{HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OptimalLayout", "EnableAutoLayout",
           S::Dword(1), S::Dword(0)}}},
        {"AddNewOption2CopyMove", Plain(&_Optimizer::OPZAddNewOption2CopyMove), &_Optimizer::IsAddNewOption2CopyMove,
         {{HKEY_CLASSES_ROOT, kCopyTo, "", S::Text("{C2FBB630-2971-11d1-A18C-00C04FD75D13}"), S::Text("")},
          {HKEY_CLASSES_ROOT, kMoveTo, "", S::Text("{C2FBB631-2971-11d1-A18C-00C04FD75D13}"), S::Text("")}}},
        {"RestoreOpenFolders", Plain(&_Optimizer::OPZRestoreOpenFolders), &_Optimizer::IsRestoreOpenFolders,
         {{HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "PersistBrowsers",
           S::Dword(1), S::Dword(0)}}},
        {"DisableSaveSettings", Plain(&_Optimizer::OPZDisableSaveSettings), &_Optimizer::IsDisableSaveSettings,
         {{HKEY_CURRENT_USER, PE, "NoSaveSettings", S::Dword(1), S::Dword(0)}}},
        {"DisableLowDiskSpaceNote", Plain(&_Optimizer::OPZDisableLowDiskSpaceNote),
         &_Optimizer::IsDisableLowDiskSpaceNote,
         {{HKEY_CURRENT_USER, PE, "NoLowDiskSpaceChecks", S::Dword(1), S::Dword(0)}}},
        {"DisableControlPanel", Plain(&_Optimizer::OPZDisableControlPanel), &_Optimizer::IsDisableControlPanel,
         {{HKEY_LOCAL_MACHINE, PE, "NoControlPanel", S::Dword(1), S::Dword(0)}}},
        {"DisableRecentDocHistory", Plain(&_Optimizer::OPZDisableRecentDocHistory),
         &_Optimizer::IsDisableRecentDocHistory,
         {{HKEY_LOCAL_MACHINE, PE, "NoRecentDocsHistory", S::Dword(1), S::Dword(0)}}},
        {"LockHardDrives",
         [](_Optimizer* o, VARIANT_BOOL* b, VARIANT* r) {
             BSTR drives = SysAllocString(L"|C|E|");
             HRESULT hr = o->OPZLockHardDrives(b, &drives, r);
             SysFreeString(drives);
             return hr;
         },
         &_Optimizer::IsLockHardDrives, {{HKEY_LOCAL_MACHINE, PE, "NoViewOnDrive", S::Dword(20), S::Dword(0)}}},
        {"LockApplications",
         [](_Optimizer* o, VARIANT_BOOL* b, VARIANT* r) {
             BSTR paths = SysAllocString(L"C:\\a.exe");
             HRESULT hr = o->OPZLockApplications(b, &paths, r);
             SysFreeString(paths);
             return hr;
         },
         &_Optimizer::IsLockApplications,
         {{HKEY_LOCAL_MACHINE, PE, "DisallowRun", S::Dword(1), S::Dword(0)},
          // Off leaves the list as it was.
          {HKEY_LOCAL_MACHINE, PE + "\\DisallowRun", "1", S::Text("C:\\a.exe"), S::Text("C:\\a.exe")}}},
    };
}

class Optimizer : public testing::Test {
protected:
    void SetUp() override {
        HRESULT hr = E_FAIL;
        opt_ = CreateByProgId<_Optimizer>(L"VqQuenza.Optimizer", &hr);
        ASSERT_TRUE(opt_) << "hr=0x" << std::hex << hr;
    }
    VARIANT_BOOL Read(Reader reader) {
        VARIANT_BOOL result = 12345;
        EXPECT_EQ((opt_.Get()->*reader)(&result), S_OK);
        return result;
    }
    short SimConnections() {
        short n = 0;
        EXPECT_EQ(opt_->GetSimConnecions(&n), S_OK);
        return n;
    }
    void SetSimConnections(bool on, short count) {
        VARIANT_BOOL b = on ? VARIANT_TRUE : VARIANT_FALSE;
        Variant result;
        ASSERT_EQ(opt_->OPZSimConnecions(&b, &count, result.Get()), S_OK);
        EXPECT_EQ(result.Type(), VT_EMPTY);
    }
    std::optional<Stored> LockDrives(bool on, const wchar_t* drives) {
        VARIANT_BOOL b = on ? VARIANT_TRUE : VARIANT_FALSE;
        Bstr text(drives);
        BSTR raw = text.Get();
        Variant result;
        EXPECT_EQ(opt_->OPZLockHardDrives(&b, &raw, result.Get()), S_OK);
        return ReadStored(HKEY_LOCAL_MACHINE, PE, "NoViewOnDrive");
    }
    ComPtr<_Optimizer> opt_;
};

TEST_F(Optimizer, EachTweakWritesItsValuesOnAndOffAndItsReaderFollows) {
    for (const Tweak& t : Tweaks()) {
        SCOPED_TRACE(t.name);
        for (bool on : {true, false, true, false}) {
            VARIANT_BOOL b = on ? VARIANT_TRUE : VARIANT_FALSE;
            Variant result = Variant::FromLong(7);
            ASSERT_EQ(t.set(opt_.Get(), &b, result.Get()), S_OK);
            EXPECT_EQ(result.Type(), VT_EMPTY) << "a setter returns an empty variant";
            for (const Expected& e : t.values) {
                EXPECT_EQ(ReadStored(e.hive, e.key, e.name), on ? e.on : e.off)
                    << e.key << "\\" << e.name << (on ? " on" : " off");
            }
            EXPECT_EQ(Read(t.read), on ? VARIANT_TRUE : VARIANT_FALSE) << (on ? "on" : "off");
        }
    }
}

TEST_F(Optimizer, ReadersAreFalseWhileTheirValuesAreMissing) {
    for (const Tweak& t : Tweaks()) {
        const Expected& e = t.values.front();
        DeleteStored(e.hive, e.key, e.name);
        EXPECT_EQ(Read(t.read), VARIANT_FALSE) << t.name;
    }
}

TEST_F(Optimizer, BroadBandOffKeepsTheSharedValuesOfTheOnState) {
    for (const char* name : {"EnablePMTUBHDetect", "EnablePMTUDiscovery", "GlobalMaxTcpWindowSize", "TcpMaxDupAcks",
                             "Tcp1323Opts"})
        DeleteStored(HKEY_LOCAL_MACHINE, TCP, name);
    VARIANT_BOOL off = VARIANT_FALSE;
    Variant result;
    ASSERT_EQ(opt_->OPZBroadBand(&off, result.Get()), S_OK);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, TCP, "EnablePMTUDiscovery"), Stored::Dword(1));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, TCP, "Tcp1323Opts"), Stored::Dword(1));
}

TEST_F(Optimizer, ReadersCompareNumbersWithNumbersWhateverTheStoredType) {
    WriteStored(HKEY_LOCAL_MACHINE, TCP, "DefaultTTL", REG_SZ, std::string("128", 4));
    EXPECT_EQ(Read(&_Optimizer::IsBroadBand), VARIANT_TRUE);
    WriteStored(HKEY_LOCAL_MACHINE, TCP, "DefaultTTL", REG_SZ, std::string("fast", 5));
    EXPECT_EQ(Read(&_Optimizer::IsBroadBand), VARIANT_FALSE);
    // A text "Y" is not a number 1, and a number is never the text "Y".
    WriteStored(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction", "Enable", REG_DWORD,
                Stored::Dword(1).bytes);
    EXPECT_EQ(Read(&_Optimizer::IsAutoBootDisk), VARIANT_FALSE);
    // Any value but 0 locks drives, even one no setter writes.
    WriteStored(HKEY_LOCAL_MACHINE, PE, "NoViewOnDrive", REG_SZ, std::string("0", 2));
    EXPECT_EQ(Read(&_Optimizer::IsLockHardDrives), VARIANT_FALSE);
    WriteStored(HKEY_LOCAL_MACHINE, PE, "NoViewOnDrive", REG_SZ, std::string("all", 4));
    EXPECT_EQ(Read(&_Optimizer::IsLockHardDrives), VARIANT_TRUE);
    WriteStored(HKEY_LOCAL_MACHINE, PE, "NoViewOnDrive", REG_SZ, std::string("", 1));
    EXPECT_EQ(Read(&_Optimizer::IsLockHardDrives), VARIANT_FALSE);
}

TEST_F(Optimizer, SimultaneousConnectionsAreWrittenAndReadBack) {
    DeleteStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPerServer");
    EXPECT_EQ(SimConnections(), -1);

    SetSimConnections(true, 8);
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPerServer"), Stored::Dword(8));
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPer1_0Server"), Stored::Dword(8));
    EXPECT_EQ(SimConnections(), 8);

    // Off removes both counts, so that the reader tells "not set" and the next
    // start shows the tweak off; the key's other values stay. Twice is no error.
    WriteStored(HKEY_CURRENT_USER, IS, "ProxyEnable", REG_DWORD, Stored::Dword(0).bytes);
    for (int time = 0; time < 2; ++time) {
        SetSimConnections(false, 8);
        EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPerServer"), std::nullopt);
        EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPer1_0Server"), std::nullopt);
        EXPECT_EQ(SimConnections(), -1);
        EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, IS, "ProxyEnable"), Stored::Dword(0));
    }
}

TEST_F(Optimizer, SimultaneousConnectionsBeyondTheReadersRangeDoNotOverflow) {
    WriteStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPerServer", REG_DWORD, Stored::Dword(40000).bytes);
    EXPECT_EQ(SimConnections(), 32767);
    WriteStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPerServer", REG_DWORD, Stored::Dword(0x7FFFFFFF).bytes);
    EXPECT_EQ(SimConnections(), 32767);
    WriteStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPerServer", REG_SZ, std::string("12", 3));
    EXPECT_EQ(SimConnections(), 12);
}

TEST_F(Optimizer, AReadFailureIsAFailedCallWithTheErrorsText) {
    WriteStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPerServer", REG_SZ, std::string("many", 5));
    short n = 99;
    EXPECT_EQ(opt_->GetSimConnecions(&n), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 13));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
    Bstr description;
    info->GetDescription(description.Put());
    EXPECT_EQ(description.Text(), "Type mismatch");
    auto support = opt_.As<ISupportErrorInfo>();
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__Optimizer), S_OK);
    DeleteStored(HKEY_CURRENT_USER, IS, "MaxConnectionsPerServer");
}

TEST_F(Optimizer, LockedDrivesCombineTheirLetterBits) {
    struct Case {
        const wchar_t* drives;
        DWORD mask;
    } cases[] = {{L"C|D", 12}, {L"c", 4},  {L"1", 0},           {L"C|C", 4},  {L"|C|E|", 20},
                 {L"CD", 4},   {L"C:", 0}, {L"a|z", 0x2000001}, {L"|", 0},     {L"", 0}};
    for (const Case& c : cases) EXPECT_EQ(LockDrives(true, c.drives), Stored::Dword(c.mask)) << Narrow(c.drives);

    LockDrives(true, L"C");
    EXPECT_EQ(Read(&_Optimizer::IsLockHardDrives), VARIANT_TRUE);
    EXPECT_EQ(LockDrives(false, L"|C|"), Stored::Dword(0));
    EXPECT_EQ(Read(&_Optimizer::IsLockHardDrives), VARIANT_FALSE);
}

TEST_F(Optimizer, LockedApplicationsAreNumberedByTheirPlaceInTheList) {
    const std::string list = PE + "\\DisallowRun";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, list.c_str());
    WriteStored(HKEY_LOCAL_MACHINE, list, "5", REG_SZ, std::string("C:\\old.exe", 11));
    WriteStored(HKEY_LOCAL_MACHINE, list, list, REG_SZ, std::string("x", 2));

    VARIANT_BOOL on = VARIANT_TRUE;
    Bstr paths(L"C:\\a.exe||C:\\b.exe|");
    BSTR raw = paths.Get();
    Variant result;
    ASSERT_EQ(opt_->OPZLockApplications(&on, &raw, result.Get()), S_OK);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, PE, "DisallowRun"), Stored::Dword(1));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, list, "1"), Stored::Text("C:\\a.exe"));
    EXPECT_FALSE(ReadStored(HKEY_LOCAL_MACHINE, list, "2"));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, list, "3"), Stored::Text("C:\\b.exe"));
    EXPECT_FALSE(ReadStored(HKEY_LOCAL_MACHINE, list, "4"));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, list, "5"), Stored::Text("C:\\old.exe")) << "earlier entries stay";
    EXPECT_FALSE(ReadStored(HKEY_LOCAL_MACHINE, list, list)) << "the value named like the key is deleted";
    EXPECT_EQ(Read(&_Optimizer::IsLockApplications), VARIANT_TRUE);

    VARIANT_BOOL off = VARIANT_FALSE;
    Bstr none(L"C:\\other.exe");
    raw = none.Get();
    ASSERT_EQ(opt_->OPZLockApplications(&off, &raw, result.Get()), S_OK);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, PE, "DisallowRun"), Stored::Dword(0));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, list, "1"), Stored::Text("C:\\a.exe"));
    EXPECT_EQ(Read(&_Optimizer::IsLockApplications), VARIANT_FALSE);
}

TEST_F(Optimizer, ReadersReturnTrueAsMinusOne) {
    VARIANT_BOOL on = VARIANT_TRUE;
    Variant result;
    ASSERT_EQ(opt_->OPZDisableControlPanel(&on, result.Get()), S_OK);
    VARIANT_BOOL read = 0;
    ASSERT_EQ(opt_->IsDisableControlPanel(&read), S_OK);
    EXPECT_EQ(read, -1);
    // Any non-zero switch counts as on.
    VARIANT_BOOL one = 1;
    ASSERT_EQ(opt_->OPZDisableControlPanel(&one, result.Get()), S_OK);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, PE, "NoControlPanel"), Stored::Dword(1));
}

}  // namespace
