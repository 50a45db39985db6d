#include "main/library_objects.h"

#include "Fraxil.h"
#include "Quenza.h"

#include "controls/win32_window.h"
#include "engine/library_cleaners.h"
#include "main/form.h"

#include <functional>

namespace tidvex::main {
namespace {

using engine::CheckCall;

class FraxilShredder final : public ShredderObject {
public:
    explicit FraxilShredder(frmMain& form)
        : object_(engine::CreateLibraryObject<IShredder>(CLSID_Shredder, IID_IShredder)),
          sink_(DIID__IShredderEvents, [&form](DISPID id, const DISPPARAMS& p) { Dispatch(form, id, p); }) {
        CheckCall(sink_.Connect(object_.Get()), "Advise");
    }
    ~FraxilShredder() override { sink_.Disconnect(); }

    std::int32_t Initialize() override { return Call(&IShredder::Initialize, "Initialize"); }
    std::int32_t NewSession() override { return Call(&IShredder::NewSession, "NewSession"); }
    void ApplicationPath(const std::wstring& path) override {
        Put(&IShredder::put_ApplicationPath, path, "ApplicationPath");
    }
    void Language(const std::string& file) override { Put(&IShredder::put_Language, file, "Language"); }
    void LogFileName(const std::string& file) override { Put(&IShredder::put_LogFileName, file, "LogFileName"); }
    void ProfileName(const std::string& name) override { Put(&IShredder::put_ProfileName, name, "ProfileName"); }
    void ShredderApplicationName(const std::string& name) override {
        Put(&IShredder::put_ShredderApplicationName, name, "ShredderApplicationName");
    }
    void ShredMethod(std::int16_t method) override {
        CheckCall(object_->put_ShredMethod(method), "ShredMethod");
    }
    std::int32_t SessionType() override {
        long type = 0;
        CheckCall(object_->get_SessionType(&type), "SessionType");
        return type;
    }
    void SessionType(std::int32_t type) override { CheckCall(object_->put_SessionType(type), "SessionType"); }
    std::int32_t AddFile(const std::wstring& path) override { return Item(&IShredder::AddFile, path, "AddFile"); }
    std::int32_t AddFolder(const std::wstring& path) override {
        return Item(&IShredder::AddFolder, path, "AddFolder");
    }
    std::int32_t AddDrive(const std::string& drive) override {
        return Item(&IShredder::AddDrive, drive, "AddDrive");
    }
    std::int32_t RemoveDrive(const std::string& drive) override {
        return Item(&IShredder::RemoveDrive, drive, "RemoveDrive");
    }
    void ShredSubFolder(std::int32_t on) override { CheckCall(object_->put_ShredSubFolder(on), "ShredSubFolder"); }
    void RemoveSubFolder(std::int32_t on) override {
        CheckCall(object_->put_RemoveSubFolder(on), "RemoveSubFolder");
    }
    void ShredHiddenAndSystemFiles(std::int32_t on) override {
        CheckCall(object_->put_ShredHiddenAndSystemFiles(on), "ShredHiddenAndSystemFiles");
    }
    std::int32_t StartSession() override { return Call(&IShredder::StartSession, "StartSession"); }
    std::int32_t AbortSession() override { return Call(&IShredder::AbortSession, "AbortSession"); }

private:
    enum Event : DISPID {
        kMessage = 1,
        kErrorMessage,
        kCurrentItemShredded,
        kCurrentProgress,
        kCurrentTotalProgress,
        kSessionCompleted
    };

    // The events arrive on this thread; what a handler lets out is reported
    // here and goes no further than the event call.
    static void Dispatch(frmMain& form, DISPID id, const DISPPARAMS& p) {
        controls::win32::Fire(std::function<void()>([&] {
            switch (id) {
                case kMessage: form.Shredder_Message(com::EventArgText(p, 0)); break;
                case kErrorMessage: form.Shredder_ErrorMessage(com::EventArgText(p, 0), com::EventArgLong(p, 1)); break;
                case kCurrentItemShredded: form.Shredder_CurrentItemShredded(com::EventArgText(p, 0)); break;
                case kCurrentProgress: form.Shredder_CurrentProgress(com::EventArgLong(p, 0)); break;
                case kCurrentTotalProgress: form.Shredder_CurrentTotalProgress(com::EventArgLong(p, 0)); break;
                case kSessionCompleted: form.shredder_SessionCompleted(); break;
                default: break;
            }
        }));
    }

    std::int32_t Call(HRESULT (STDMETHODCALLTYPE IShredder::*method)(long*), const char* member) {
        long result = 0;
        CheckCall((object_.Get()->*method)(&result), member);
        return result;
    }
    // Code-page text reads as it is; a path goes in UTF-16 as it is.
    template <class Text>
    std::int32_t Item(HRESULT (STDMETHODCALLTYPE IShredder::*method)(BSTR, long*), const Text& item,
                      const char* member) {
        long result = 0;
        com::Bstr text(item);
        CheckCall((object_.Get()->*method)(text.Get(), &result), member);
        return result;
    }
    template <class Text>
    void Put(HRESULT (STDMETHODCALLTYPE IShredder::*put)(BSTR), const Text& value, const char* member) {
        com::Bstr text(value);
        CheckCall((object_.Get()->*put)(text.Get()), member);
    }

    com::ComPtr<IShredder> object_;
    com::EventSink sink_;
};

class QuenzaOptimizer final : public OptimizerObject {
public:
    QuenzaOptimizer() : object_(engine::CreateLibraryObject<_Optimizer>(CLSID_Optimizer, IID__Optimizer)) {}

    void OPZBroadBand(bool on) override { Set(&_Optimizer::OPZBroadBand, on, "OPZBroadBand"); }
    void OPZSimConnecions(bool on, std::int16_t count) override {
        VARIANT_BOOL flag = engine::VBool(on);
        short n = count;
        com::Variant result;
        CheckCall(object_->OPZSimConnecions(&flag, &n, result.Get()), "OPZSimConnecions");
    }
    void OPZAutoBootDisk(bool on) override { Set(&_Optimizer::OPZAutoBootDisk, on, "OPZAutoBootDisk"); }
    void OPZHardDiskWhenIdle(bool on) override { Set(&_Optimizer::OPZHardDiskWhenIdle, on, "OPZHardDiskWhenIdle"); }
    void OPZDisableLowDiskSpaceNote(bool on) override {
        Set(&_Optimizer::OPZDisableLowDiskSpaceNote, on, "OPZDisableLowDiskSpaceNote");
    }
    void OPZAddNewOption2CopyMove(bool on) override {
        Set(&_Optimizer::OPZAddNewOption2CopyMove, on, "OPZAddNewOption2CopyMove");
    }
    void OPZDisableSaveSettings(bool on) override {
        Set(&_Optimizer::OPZDisableSaveSettings, on, "OPZDisableSaveSettings");
    }
    void OPZRestoreOpenFolders(bool on) override {
        Set(&_Optimizer::OPZRestoreOpenFolders, on, "OPZRestoreOpenFolders");
    }
    void OPZDisableControlPanel(bool on) override {
        Set(&_Optimizer::OPZDisableControlPanel, on, "OPZDisableControlPanel");
    }
    void OPZDisableRecentDocHistory(bool on) override {
        Set(&_Optimizer::OPZDisableRecentDocHistory, on, "OPZDisableRecentDocHistory");
    }
    void OPZLockHardDrives(bool on, const std::string& drives) override {
        VARIANT_BOOL flag = engine::VBool(on);
        com::Bstr text(drives);
        BSTR passed = text.Detach();
        com::Variant result;
        const HRESULT hr = object_->OPZLockHardDrives(&flag, &passed, result.Get());
        // The callee may have put another text in its place: that one is ours to free.
        com::Bstr::Attach(passed);
        CheckCall(hr, "OPZLockHardDrives");
    }

    bool IsBroadBand() override { return Read(&_Optimizer::IsBroadBand, "IsBroadBand"); }
    std::int16_t GetSimConnecions() override {
        short count = 0;
        CheckCall(object_->GetSimConnecions(&count), "GetSimConnecions");
        return count;
    }
    bool IsAutoBootDisk() override { return Read(&_Optimizer::IsAutoBootDisk, "IsAutoBootDisk"); }
    bool IsHardDiskWhenIdle() override { return Read(&_Optimizer::IsHardDiskWhenIdle, "IsHardDiskWhenIdle"); }
    bool IsDisableLowDiskSpaceNote() override {
        return Read(&_Optimizer::IsDisableLowDiskSpaceNote, "IsDisableLowDiskSpaceNote");
    }
    bool IsAddNewOption2CopyMove() override {
        return Read(&_Optimizer::IsAddNewOption2CopyMove, "IsAddNewOption2CopyMove");
    }
    bool IsDisableSaveSettings() override { return Read(&_Optimizer::IsDisableSaveSettings, "IsDisableSaveSettings"); }
    bool IsRestoreOpenFolders() override { return Read(&_Optimizer::IsRestoreOpenFolders, "IsRestoreOpenFolders"); }
    bool IsDisableControlPanel() override { return Read(&_Optimizer::IsDisableControlPanel, "IsDisableControlPanel"); }
    bool IsDisableRecentDocHistory() override {
        return Read(&_Optimizer::IsDisableRecentDocHistory, "IsDisableRecentDocHistory");
    }
    bool IsLockHardDrives() override { return Read(&_Optimizer::IsLockHardDrives, "IsLockHardDrives"); }

private:
    void Set(HRESULT (STDMETHODCALLTYPE _Optimizer::*setter)(VARIANT_BOOL*, VARIANT*), bool on, const char* member) {
        VARIANT_BOOL flag = engine::VBool(on);
        com::Variant result;
        CheckCall((object_.Get()->*setter)(&flag, result.Get()), member);
    }
    bool Read(HRESULT (STDMETHODCALLTYPE _Optimizer::*reader)(VARIANT_BOOL*), const char* member) {
        return engine::ReadFlag(object_.Get(), reader, member);
    }

    com::ComPtr<_Optimizer> object_;
};

}  // namespace

std::unique_ptr<ShredderObject> MakeFraxilShredder(frmMain& form) { return std::make_unique<FraxilShredder>(form); }

std::unique_ptr<OptimizerObject> MakeQuenzaOptimizer() { return std::make_unique<QuenzaOptimizer>(); }

}  // namespace tidvex::main
