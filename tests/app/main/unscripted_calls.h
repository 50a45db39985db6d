// The form's outside calls with nothing scripted: each one a test did not
// script fails the test by name and answers as little as it can. Test doubles
// derive from it and script only what their tests expect the form to ask.
#pragma once

#include "main/cleaner_page.h"
#include "main/library_objects.h"
#include "main/outside_calls.h"
#include "services/startup_manager.h"
#include "services/uninstaller.h"
#include "text/text.h"

#include <gtest/gtest.h>

namespace tidvex::test {

class UnscriptedCalls : public main::OutsideCalls {
public:
    bool CreateInstanceMutex(const std::string&) override { return Unscripted("CreateInstanceMutex", true); }
    std::string CommandLine() override { return Unscripted("CommandLine", std::string()); }
    void Version(int& major, int& minor, int& revision) override {
        major = minor = revision = Unscripted("Version", 0);
    }
    void EndProcess() override { Unscripted("EndProcess"); }
    std::unique_ptr<main::ShredderObject> CreateShredder(main::frmMain&) override {
        return Unscripted("CreateShredder", std::unique_ptr<main::ShredderObject>());
    }
    std::unique_ptr<main::OptimizerObject> CreateOptimizer() override {
        return Unscripted("CreateOptimizer", std::unique_ptr<main::OptimizerObject>());
    }
    std::shared_ptr<main::CleaningSession> NewCleanSession(const engine::CleaningForm&) override {
        return Unscripted("NewCleanSession", std::shared_ptr<main::CleaningSession>());
    }
    std::unique_ptr<services::IStartUp> NewStartUp() override {
        return Unscripted("NewStartUp", std::unique_ptr<services::IStartUp>());
    }
    std::unique_ptr<services::clsUninstaller> NewUninstaller() override {
        return Unscripted("NewUninstaller", std::unique_ptr<services::clsUninstaller>());
    }
    HWND hWnd() override { return Unscripted("hWnd", HWND()); }
    HICON WindowIcon() override { return Unscripted("WindowIcon", HICON()); }
    void Size(int, int) override { Unscripted("Size"); }
    int Pixels(int twips) override { return Unscripted("Pixels", twips); }
    int ScaleWidth() override { return Unscripted("ScaleWidth", 0); }
    void BackColor(COLORREF) override { Unscripted("BackColor"); }
    bool Visible() override { return Unscripted("Visible", false); }
    void Visible(bool) override { Unscripted("Visible"); }
    int WindowState() override { return Unscripted("WindowState", 0); }
    void WindowState(int) override { Unscripted("WindowState"); }
    void SetForeground() override { Unscripted("SetForeground"); }
    void Enabled(bool) override { Unscripted("Enabled"); }
    POINT CursorPos() override { return Unscripted("CursorPos", POINT{}); }
    void Repaint() override { Unscripted("Repaint"); }
    void Unload() override { Unscripted("Unload"); }
    void PostUnload() override { Unscripted("PostUnload"); }
    std::vector<std::string> Drives() override { return Unscripted("Drives", std::vector<std::string>()); }
    unsigned DriveType(const std::string&) override { return Unscripted("DriveType", 0u); }
    std::int32_t ShowMe(const std::string& text, bool, const std::string&, const std::string&, std::int16_t) override {
        return Unscripted("ShowMe " + text, 1);
    }
    void MsgBoxExclamation(const std::string& text) override { Unscripted("MsgBoxExclamation " + text); }
    void ReportRunTimeError(const RunTimeError& error) override {
        Unscripted("ReportRunTimeError " + error.Description());
    }
    std::wstring OpenFiles(const std::string& title, const std::string&, bool) override {
        return Unscripted("OpenFiles " + title, std::wstring(L"Cancel"));
    }
    std::wstring BrowseForFolder(const std::string& title) override {
        return Unscripted("BrowseForFolder " + title, std::wstring());
    }
    std::wstring SaveFile(const std::wstring&, const std::wstring&) override {
        return Unscripted("SaveFile", std::wstring(L"Cancel"));
    }
    void ShowRegistryDialog(bool) override { Unscripted("ShowRegistryDialog"); }
    void ShellOpen(const std::wstring& path) override { Unscripted("ShellOpen " + text::Narrow(path)); }
    void ExitWindows(int mode) override { Unscripted("ExitWindows " + std::to_string(mode)); }

private:
    template <class T>
    static T Unscripted(const std::string& call, T answer) {
        Unscripted(call);
        return answer;
    }
    static void Unscripted(const std::string& call) {
        ADD_FAILURE() << "The form called OutsideCalls::" << call << ", which this test did not script";
    }
};

}  // namespace tidvex::test
