// The message box and the registry-key dialog: their logic with in-memory
// controls, and the real windows with their buttons pressed by window message.
#include "memory_controls.h"
#include "harness/support.h"
#include "memory_box.h"
#include "timed_steps.h"
#include "main/dialogs/win32_dialogs.h"
#include "services/program.h"

#include <cstdint>
#include <deque>

#include <gtest/gtest.h>

namespace {

using namespace tidvex;
using namespace tidvex::controls;
using dialogs::frmMessageBox;
using dialogs::frmRegistry;
using test::MemoryBox;

TEST(MessageBoxDialog, TheResultComesFromThePressedButtonsCaption) {
    struct Case {
        bool two;
        const char *first, *second;
        int press;  // 0, 1, or -1 for the Close box
        int result;
    } cases[] = {
        {false, "Ok", "", 0, 1},     {true, "Yes", "No", 1, 7},      {true, "YES", "No", 0, 6},
        {true, "Ok", "Cancel", 1, 2}, {true, "Maybe", "No", 0, 7},   {false, "Ok", "", -1, 2},
        {false, "Ok", "No", -1, 7},
    };
    MemoryBox m;
    for (auto c : cases) {
        m.form.WhileShown = [&] {
            if (c.press < 0) m.form.UserClose();
            else (c.press == 0 ? m.b0 : m.b1).UserClick();
        };
        EXPECT_EQ(m.box.ShowMe(nullptr, "text", c.two, c.first, c.second, 0), c.result)
            << c.first << "/" << c.second << " pressed " << c.press;
        EXPECT_FALSE(m.form.Shown());
    }
}

TEST(MessageBoxDialog, ABoxClosedWithoutAButtonNeverGivesAnEarlierAnswer) {
    MemoryBox m;
    m.form.WhileShown = [&] { m.b0.UserClick(); };
    EXPECT_EQ(m.box.ShowMe(nullptr, "Stop?", true, "Yes", "No", 3), 6);
    m.form.WhileShown = [&] { m.form.UserClose(); };
    EXPECT_EQ(m.box.ShowMe(nullptr, "Done", false, "Ok", "", 0), 2);
}

TEST(MessageBoxDialog, TwoButtonsMustBeAnswered) {
    MemoryBox m;
    bool refused = false;
    m.form.WhileShown = [&] {
        refused = !m.form.UserClose();
        m.b1.UserClick();
    };
    EXPECT_EQ(m.box.ShowMe(nullptr, "Exit?", true, "Yes", "No", 3), 7);
    EXPECT_TRUE(refused);
}

// A message while the box is open (a timer's, the tray's) waits until the open
// box is answered and never changes it; when the program ends first it comes
// back at once, unanswered.
TEST(MessageBoxDialog, ASecondMessageWaitsForTheOpenBox) {
    struct Case {
        const char* what;
        bool firstAnswered;  // the user answers the open box while the second waits
        int firstResult, secondResult, shows;
    } cases[] = {
        {"answered", true, 6, 1, 2},
        {"the program ends", false, 7, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryBox m;
        int second = 0, showing = 0;
        std::string textWhileWaiting, buttonWhileWaiting;
        m.form.WhileShown = [&] {
            if (++showing == 1) {
                second = m.box.ShowMe(nullptr, "Cleaning Done.", false, "Ok", "", 0);
                // Back in the first box: it is closed when it was answered.
                if (m.form.Shown()) m.b1.UserClick();
            } else {
                m.b0.UserClick();
            }
        };
        m.form.WhileWaiting = [&] {
            textWhileWaiting = m.message.Caption();
            buttonWhileWaiting = m.b0.Caption();
            if (c.firstAnswered) m.b0.UserClick();
        };
        const int first = m.box.ShowMe(nullptr, "Stop Cleaning and exit?", true, "Yes", "No", 3);
        EXPECT_EQ(textWhileWaiting, "Stop Cleaning and exit?");
        EXPECT_EQ(buttonWhileWaiting, "Yes");
        EXPECT_EQ(first, c.firstResult);
        EXPECT_EQ(second, c.secondResult);
        EXPECT_EQ(m.form.shows, c.shows);
    }
}

TEST(MessageBoxDialog, OneButtonIsCentredAndTwoStandWhereDesigned) {
    MemoryBox m;
    MemoryForm owner;
    m.form.WhileShown = [&] { m.b0.UserClick(); };
    m.box.ShowMe(&owner, "Notice", false, "Ok", "Ignored", 0);
    EXPECT_EQ(m.b0.Left(), 380 / 2 - 80 / 2);
    EXPECT_FALSE(m.b1.Visible());
    EXPECT_EQ(m.b1.Caption(), "Ignored");
    EXPECT_EQ(m.message.Caption(), "Notice");
    EXPECT_EQ(m.form.owner, &owner);
    m.box.ShowMe(&owner, "Question", true, "Yes", "No", 3);
    EXPECT_EQ(m.b0.Left(), 100);
    EXPECT_EQ(m.b1.Left(), 200);
    EXPECT_TRUE(m.b1.Visible());
    EXPECT_EQ(m.form.back, RGB(174, 174, 255));
}

TEST(MessageBoxDialog, TheIconAskedForIsBroughtToTheFront) {
    MemoryBox m;
    MemoryButton* icons[] = {&m.i0, &m.i1, &m.i2, &m.i3};
    m.form.WhileShown = [&] { m.b0.UserClick(); };
    for (int icon : {3, 0, 2, 1}) {
        m.box.ShowMe(nullptr, "x", false, "Ok", "", static_cast<std::int16_t>(icon));
        for (int other = 0; other < 4; ++other)
            if (other != icon) {
                EXPECT_GT(icons[icon]->FrontStamp(), icons[other]->FrontStamp()) << icon;
            }
    }
}

// ---- The registry-key dialog ----

class RegistryDialog : public ::testing::Test {
protected:
    services::ScopedAppPath appPath{test::ScratchFolder("registry-dialog")};

    MemoryBox messages;
    MemoryForm form;
    MemoryLabel banner, l0, l1, l2, l3, l4;
    MemoryTextBox text;
    MemoryPicture picture;
    MemoryButton ok, cancel;
    MemoryListBox safe, black;
    std::vector<std::string> started;
    bool canStart = true;
    std::vector<std::string> shown;
    frmRegistry dialog{{form, banner, {&l0, &l1, &l2, &l3, &l4}, text, picture, ok, cancel},
                       {safe, black, messages.box, [this](const std::string& c) {
                            started.push_back(c);
                            return canStart;
                        }}};

    RegistryDialog() {
        messages.form.WhileShown = [this] {
            shown.push_back(messages.message.Caption());
            messages.b0.UserClick();
        };
    }
    // The user types the text and presses Ok; true when the dialog closed.
    bool Press(const std::string& typed) {
        bool closed = false;
        form.WhileShown = [&] {
            text.Text(typed);
            ok.UserClick();
            closed = !form.Shown();
            form.Close();
        };
        dialog.Show(nullptr);
        return closed;
    }
};

TEST_F(RegistryDialog, ChecksTheKeyBeforeAddingIt) {
    const std::string root = "This is a root key or invalid key, Root keys can not be added";
    struct Case {
        const char* typed;
        bool closes;
        std::string message;
    } cases[] = {
        {"", false, ""},
        {"HKEY_LOCAL_MACHINE", false, root},
        {"SOFTWARE\\Classes", false, root},
        {"HKEY_USERS\\", false, root},
        {"HKEY_LOCAL_MACHINE\\", false, root},
        {"HKEY_USERS\\\\Software", false, root},
        {"HKEY_DYN_DATA\\Config", false, root},
        {"hkey_current_user\\Software\\Tidvex", true, ""},
    };
    dialog.isSafeItem = true;
    for (const auto& c : cases) {
        shown.clear();
        EXPECT_EQ(Press(c.typed), c.closes) << c.typed;
        EXPECT_EQ(shown, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
            << c.typed;
    }
    EXPECT_EQ(safe.Items(), (std::vector<std::string>{"hkey_current_user\\Software\\Tidvex"}));
    EXPECT_TRUE(black.Items().empty());
}

TEST_F(RegistryDialog, AddsToItsOwnListUnlessOneOfTheListsHasTheKey) {
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Junk";
    const std::string inSafe = "This item is already exist in the safe list.";
    const std::string inBlack = "This item is already exist in the black list.";
    struct Case {
        bool safeDialog, keyInSafe, keyInBlack;
        std::string message;
    } cases[] = {
        {true, true, false, inSafe},   {true, false, true, inBlack}, {true, true, true, inSafe},
        {false, false, true, inBlack}, {false, true, false, inSafe}, {false, true, true, inBlack},
    };
    for (const auto& c : cases) {
        safe.Clear();
        black.Clear();
        if (c.keyInSafe) safe.AddItem(key);
        if (c.keyInBlack) black.AddItem(key);
        shown.clear();
        dialog.isSafeItem = c.safeDialog;
        EXPECT_FALSE(Press(key));
        EXPECT_EQ(shown, std::vector<std::string>{c.message});
        EXPECT_EQ(messages.form.owner, &form);
    }
    for (bool safeDialog : {true, false}) {
        safe.Clear();
        black.Clear();
        dialog.isSafeItem = safeDialog;
        EXPECT_TRUE(Press(key));
        EXPECT_EQ((safeDialog ? safe : black).Items(), std::vector<std::string>{key});
        EXPECT_EQ((safeDialog ? black : safe).ListCount(), 0);
    }
    EXPECT_EQ(test::ReadFileBytes(services::AppPath() + "\\lstSafe.lst").value_or(""), "2|" + key + "\r\n");
    EXPECT_EQ(test::ReadFileBytes(services::AppPath() + "\\lstBlack.lst").value_or(""), "2|" + key + "\r\n");
}

TEST_F(RegistryDialog, ThePictureAndTheFirstStepStartTheRegistryEditor) {
    picture.UserMouseDown(kRightButton);
    EXPECT_TRUE(started.empty());
    picture.UserMouseDown(kLeftButton);
    l1.UserMouseUp(kLeftButton);
    EXPECT_EQ(started, (std::vector<std::string>{"regedit", "regedit"}));
    canStart = false;
    EXPECT_THROW(dialog.picRegistry_MouseDown(kLeftButton), std::exception);
    EXPECT_NO_THROW(dialog.LaunchRegistryEditor());
    EXPECT_EQ(l0.Caption(), "Steps");
    EXPECT_EQ(form.Caption(), "Add Registry Key");
}

// ---- The real windows, pressed by window message ----

using test::Script;

HWND ButtonOf(HWND form, const char* caption) { return FindWindowExA(form, nullptr, "BUTTON", caption); }

bool HasCloseCommand(HWND form) { return GetMenuState(GetSystemMenu(form, FALSE), SC_CLOSE, MF_BYCOMMAND) != 0xFFFFFFFFu; }

TEST(RealMessageBox, TwoButtonsTakeTheCloseBoxAwayAndOneGivesItBack) {
    dialogs::MessageBoxWindow window;
    HWND form = window.form().hwnd();
    bool closeDuringQuestion = true, closeDuringNotice = false, shownAfterClose = false;
    RECT ok{};
    Script({[&] {
                closeDuringQuestion = HasCloseCommand(form);
                SendMessageA(form, WM_CLOSE, 0, 0);  // refused
                PostMessageA(ButtonOf(form, "Yes"), WM_KEYDOWN, VK_ESCAPE, 0);  // ignored
            },
            [&] {
                shownAfterClose = IsWindowVisible(form);
                SendMessageA(ButtonOf(form, "No"), BM_CLICK, 0, 0);
            }});
    EXPECT_EQ(window.box().ShowMe(nullptr, "Cleaning process is running, Stop Cleaning and exit?", true, "Yes", "No",
                                  3),
              7);
    EXPECT_FALSE(closeDuringQuestion);
    EXPECT_TRUE(shownAfterClose);
    Script({[&] {
        closeDuringNotice = HasCloseCommand(form);
        GetWindowRect(ButtonOf(form, "Ok"), &ok);
        SendMessageA(ButtonOf(form, "Ok"), BM_CLICK, 0, 0);
    }});
    EXPECT_EQ(window.box().ShowMe(nullptr, "Optimization settings have been applied successfully.", false, "Ok", "",
                                  2),
              1);
    EXPECT_TRUE(closeDuringNotice);
    RECT client{};
    GetClientRect(form, &client);
    MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&ok), 2);
    EXPECT_EQ(ok.left, client.right / 2 - (ok.right - ok.left) / 2);
}

// The icon of the icon button in front, while the box shows.
HICON FrontIcon(HWND form) {
    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongPtrA(child, GWL_STYLE) & BS_ICON)
            return reinterpret_cast<HICON>(SendMessageA(child, BM_GETIMAGE, IMAGE_ICON, 0));
    return nullptr;
}

TEST(RealMessageBox, TheSuccessIconIsGreenAndNoWarning) {
    dialogs::MessageBoxWindow window;
    HWND form = window.form().hwnd();
    test::IconColours shown[4];
    for (std::int16_t icon = 0; icon < 4; ++icon) {
        Script({[&] {
            shown[icon] = test::ColoursOf(FrontIcon(form));
            SendMessageA(ButtonOf(form, "Ok"), BM_CLICK, 0, 0);
        }});
        window.box().ShowMe(nullptr, "Optimization settings have been applied successfully.", false, "Ok", "", icon);
    }
    const test::IconColours& success = shown[dialogs::kIconSuccess];
    EXPECT_GT(success.green, 200) << "a green picture, of 1024 pixels";
    EXPECT_EQ(success.yellow, 0) << "no warning's yellow";
    EXPECT_EQ(success.red, 0) << "no error's red";
    for (int other : {0, 1, 3}) EXPECT_LT(shown[other].green, 50) << "only the success icon is green: " << other;
}

// The text of the box's message label (the other label is its banner).
std::string MessageText(HWND form) {
    for (HWND label = FindWindowExA(form, nullptr, "TidvexLabel", nullptr); label;
         label = FindWindowExA(form, label, "TidvexLabel", nullptr))
        if (win32::WindowText(label) != "Tidvex") return win32::WindowText(label);
    return {};
}

TEST(RealMessageBox, ASecondMessageWaitsForTheOpenBoxAndEachGetsItsAnswer) {
    dialogs::MessageBoxWindow window;
    HWND form = window.form().hwnd();
    std::int32_t second = 0;
    std::string whileWaiting, secondText;
    bool secondShown = false;
    Script({[&] { second = window.box().ShowMe(nullptr, "Cleaning Done.", false, "Ok", "", 0); },
            [&] {
                whileWaiting = MessageText(form);
                SendMessageA(ButtonOf(form, "No"), BM_CLICK, 0, 0);
            },
            [&] {
                secondText = MessageText(form);
                secondShown = IsWindowVisible(form);
                SendMessageA(ButtonOf(form, "Ok"), BM_CLICK, 0, 0);
            }});
    EXPECT_EQ(window.box().ShowMe(nullptr, "Cleaning process is running, Stop Cleaning and exit?", true, "Yes", "No",
                                  3),
              7);
    EXPECT_EQ(whileWaiting, "Cleaning process is running, Stop Cleaning and exit?");
    EXPECT_EQ(secondText, "Cleaning Done.");
    EXPECT_TRUE(secondShown);
    EXPECT_EQ(second, 1);
    EXPECT_FALSE(IsWindowVisible(form));
}

TEST(RealMessageBox, ClosingAOneButtonBoxGivesCancel) {
    dialogs::MessageBoxWindow window;
    HWND form = window.form().hwnd();
    Script({[&] { SendMessageA(form, WM_CLOSE, 0, 0); }});
    EXPECT_EQ(window.box().ShowMe(nullptr, "Tidvex is already running, Please Check it in the system tray", false,
                                  "Ok", "", 0),
              2);
    EXPECT_FALSE(IsWindowVisible(form));
}

TEST(RealRegistryDialog, OkAddsTheTypedKeyUnlessRefusedAndCancelAddsNothing) {
    services::ScopedAppPath appPath(test::ScratchFolder("real-registry-dialog"));
    dialogs::MessageBoxWindow messages;
    MemoryListBox safe, black;
    dialogs::RegistryDialogWindow window(safe, black, messages.box());
    HWND form = window.form().hwnd();
    HWND edit = FindWindowExA(form, nullptr, "EDIT", nullptr);
    window.dialog().isSafeItem = false;
    Script({[&] {
        SetWindowTextA(edit, "HKEY_CURRENT_USER\\Software\\Cancelled");
        SendMessageA(ButtonOf(form, "Cancel"), BM_CLICK, 0, 0);
    }});
    window.dialog().Show(nullptr);
    EXPECT_EQ(black.ListCount(), 0);
    std::vector<std::string> told;
    // Typed (or pasted, as a key name is copied from the registry editor).
    auto typeAndOk = [&](const std::wstring& typed) {
        return [&, typed] {
            SetWindowTextW(edit, typed.c_str());
            SendMessageA(ButtonOf(form, "Ok"), BM_CLICK, 0, 0);
        };
    };
    auto answer = [&] {
        told.push_back(MessageText(messages.form().hwnd()));
        SendMessageA(ButtonOf(messages.form().hwnd(), "Ok"), BM_CLICK, 0, 0);
    };
    // A key name the code page cannot hold would be kept as its look-alike,
    // another key, which the next cleaning would delete.
    Script({typeAndOk(L"HKEY_USERS\\"), answer, typeAndOk(L"HKEY_CURRENT_USER\\Software\\\u0141odz"), answer,
            typeAndOk(L"HKEY_CURRENT_USER\\Software\\Junk")});
    window.dialog().Show(nullptr);
    EXPECT_EQ(told, (std::vector<std::string>{"This is a root key or invalid key, Root keys can not be added",
                                              "\"HKEY_CURRENT_USER\\Software\\?odz\" cannot be added to the black list: "
                                              "the list file cannot hold the characters of its name shown as \"?\"."}));
    EXPECT_EQ(black.Items(), std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Junk"});
}

}  // namespace
