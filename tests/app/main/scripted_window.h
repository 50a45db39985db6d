// A scripted main window and cleaning session for tests of the main form: the
// window's and the platform's calls are logged and answered by script.
#pragma once

#include "main/form.h"
#include "main/dialogs/registry_dialog.h"
#include "main/platform_dialogs.h"

#include "errors/run_time_error.h"
#include "scripted_libraries.h"
#include "unscripted_calls.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::test {

using main::CleaningSession;
using Texts = std::vector<std::string>;

// A session the test scripts: `during` runs inside StartClean, where the real
// one raises its events and the user may press Stop.
class ScriptedSession final : public CleaningSession {
public:
    explicit ScriptedSession(Texts& log) : log_(log) {}
    void isCleanBrowsers(bool on) override { Switch("browsers", on); }
    void isCleanChat(bool on) override { Switch("chat", on); }
    void isCleanHD(bool on) override { Switch("hd", on); }
    void isCleanWindows(bool on) override { Switch("windows", on); }
    void isCleanOffice(bool on) override { Switch("office", on); }
    void isCleanRegistry(bool on) override { Switch("registry", on); }
    // Like the program's session, it ends a cleaning that was not stopped
    // with CleaningDone.
    bool StartClean() override {
        log_.push_back("StartClean");
        if (during) during(*this);
        if (throws) throw tidvex::RunTimeError(91, "Object variable or With block variable not set");
        if (result && !stopped_ && !done_) Done();
        log_.push_back("StartClean returned");
        return result;
    }
    void StopClean() override {
        log_.push_back("StopClean");
        stopped_ = true;
    }
    void Done() {
        done_ = true;
        CleaningDone();
    }

    void Item(std::string s) { CleaningItem(s); }
    void Complete(std::string s) { CompleteCleaningItem(s); }
    void Percent(double p) { Progress(p); }

    std::function<void(ScriptedSession&)> during;
    bool result = true, throws = false;
    std::string switches;

private:
    void Switch(const char* name, bool on) { switches += std::string(name) + "=" + (on ? "1 " : "0 "); }
    Texts& log_;
    bool stopped_ = false, done_ = false;
};

// The window and the platform as the test scripts them; every call is logged.
// The Tools page gets the real start-up manager and uninstaller; the dialogs
// answer from `dialogAnswers` ("Cancel" when none is left), or are the real
// ones when a test puts them in `dialogs` and `registryDialog`.
class ScriptedWindow final : public UnscriptedCalls {
public:
    bool CreateInstanceMutex(const std::string& name) override {
        Log("mutex " + name);
        return !otherInstance;
    }
    std::unique_ptr<tidvex::main::ShredderObject> CreateShredder(tidvex::main::frmMain&) override {
        Log("CreateShredder");
        if (shredderMissing) throw tidvex::RunTimeError::Of(tidvex::kCannotCreateObject);
        return std::make_unique<ScriptedShredder>(libraryCalls);
    }
    std::unique_ptr<tidvex::main::OptimizerObject> CreateOptimizer() override {
        Log("CreateOptimizer");
        auto optimizer = std::make_unique<ScriptedOptimizer>(libraryCalls);
        // The settings loader shows the tweaks.
        optimizer->read = [this] { Log("LoadOptimizerSettings"); };
        return optimizer;
    }
    std::unique_ptr<tidvex::services::IStartUp> NewStartUp() override {
        return std::make_unique<tidvex::services::StartUp>();
    }
    std::unique_ptr<tidvex::services::clsUninstaller> NewUninstaller() override {
        return std::make_unique<tidvex::services::clsUninstaller>();
    }
    // What the page set-ups asked of the library objects.
    std::vector<std::string> libraryCalls;
    std::shared_ptr<CleaningSession> NewCleanSession(const tidvex::engine::CleaningForm&) override {
        Log("NewCleanSession");
        if (sessionFails) throw tidvex::RunTimeError(429, "ActiveX component can't create object");
        auto s = std::make_shared<ScriptedSession>(log);
        if (script) script(*s);
        sessions.push_back(s);
        return s;
    }
    std::int32_t ShowMe(const std::string& text, bool two, const std::string& b1, const std::string& b2,
                        std::int16_t icon) override {
        Log("ShowMe " + text + " [" + b1 + (two ? "/" + b2 : "") + "] icon " + std::to_string(icon));
        messages.push_back(text);
        const int answer = answers.empty() ? 6 : answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        return answer;
    }
    std::string CommandLine() override {
        Log("CommandLine");
        return commandLine;
    }
    void Version(int& major, int& minor, int& revision) override {
        major = 1;
        minor = 2;
        revision = 3;
    }
    std::vector<std::string> Drives() override { return drives; }
    unsigned DriveType(const std::string& root) override {
        roots.push_back(root);
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
        return letter == 'C' ? 3 : letter == 'D' ? 5 : letter == 'X' ? 1 : 2;
    }
    HWND hWnd() override { return reinterpret_cast<HWND>(0x1234); }
    HICON WindowIcon() override { return reinterpret_cast<HICON>(0x99); }
    void Size(int w, int h) override { Log("Size " + std::to_string(w) + "x" + std::to_string(h)); }
    int Pixels(int twips) override { return twips; }
    int ScaleWidth() override { return 9500; }
    void BackColor(COLORREF) override {}
    bool Visible() override { return visible; }
    void Visible(bool on) override {
        Log(on ? "show" : "hide");
        visible = on;
    }
    int WindowState() override { return state; }
    void WindowState(int s) override {
        Log("state " + std::to_string(s));
        state = s;
    }
    void SetForeground() override { Log("foreground"); }
    void Enabled(bool on) override { Log(on ? "enable" : "disable"); }
    POINT CursorPos() override { return {700, 500}; }
    void Repaint() override { Log("repaint"); }
    void Unload() override { Log("Unload"); }
    void PostUnload() override { Log("PostUnload"); }
    void EndProcess() override { Log("EndProcess"); }
    void ShellOpen(const std::wstring& path) override { Log("open " + text::Narrow(path)); }
    std::wstring OpenFiles(const std::string& title, const std::string& filter, bool multi) override {
        if (dialogs) return dialogs->OpenFiles(title, filter, multi);
        Log("files " + title + (multi ? " (several)" : "") + " filter " + Visible(filter));
        return text::Wide(NextAnswer());
    }
    std::wstring BrowseForFolder(const std::string& title) override {
        if (dialogs) return dialogs->BrowseForFolder(title);
        Log("folder " + title);
        return text::Wide(NextAnswer());
    }
    void ShowRegistryDialog(bool safe) override {
        if (registryDialog) {
            registryDialog->isSafeItem = safe;
            registryDialog->Show(registryOwner);
            return;
        }
        Log(safe ? "registry safe" : "registry black");
    }
    void ExitWindows(int mode) override { Log("exit " + std::to_string(mode)); }

    // NULs shown as "|", so that a filter or a dialog result can be compared.
    static std::string Visible(std::string text) {
        for (char& c : text)
            if (c == '\0') c = '|';
        return text;
    }

    void Log(const std::string& s) { log.push_back(s); }
    void Reset() {
        log.clear();
        messages.clear();
        roots.clear();
        answers.clear();
        sessions.clear();
        script = nullptr;
        commandLine.clear();
        dialogAnswers.clear();
        dialogs = nullptr;
        registryDialog = nullptr;
        registryOwner = nullptr;
        otherInstance = shredderMissing = sessionFails = false;
        visible = true;
        state = 0;
    }
    // The next scripted dialog answer.
    std::string NextAnswer() {
        if (dialogAnswers.empty()) return "Cancel";
        std::string answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    // Where an entry first stands in the log (the log's length when absent).
    size_t At(const std::string& entry) const {
        return static_cast<size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
    }
    bool Logged(const std::string& entry) const { return At(entry) < log.size(); }
    int Count(const std::string& entry) const { return static_cast<int>(std::count(log.begin(), log.end(), entry)); }

    Texts log, messages, roots;
    std::deque<std::string> dialogAnswers;
    // The platform's dialogs, and the program's registry-key dialog over its owner.
    tidvex::main::PlatformDialogs* dialogs = nullptr;
    tidvex::dialogs::frmRegistry* registryDialog = nullptr;
    tidvex::controls::Form* registryOwner = nullptr;
    std::vector<int> answers;
    std::vector<std::shared_ptr<ScriptedSession>> sessions;
    std::function<void(ScriptedSession&)> script;
    std::vector<std::string> drives{"a:", "c: [system]", "d: [cd]", "x:"};
    std::string commandLine;
    bool otherInstance = false, shredderMissing = false, sessionFails = false, visible = true;
    int state = 0;
};

}  // namespace tidvex::test
