// A real shredding from the shredder page: files and a folder on the test's
// own loop-mounted drive E: go through the registered Fraxil object on its
// worker thread; both bars move, the completion handler runs, and the runner
// looks for the contents on the raw image afterwards (none may be left).
#include "library_page_fixture.h"

#include "pump/pump.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace tidvex::test {
namespace {

class ShredderSessionTest : public PageTest {
protected:
    void TearDown() override { form_.reset(); }
};

TEST_F(ShredderSessionTest, FilesAndAFolderAreShreddedThroughTheRegisteredObject) {
    auto drive = TestDrive('e');
    if (!drive) GTEST_SKIP() << "no loop-mounted test drive";
    const std::string root = std::string(1, *drive) + ":\\";
    const std::string dir = root + "shred";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir + "\\tree").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir + "\\tree\\deep").c_str(), nullptr));
    WriteMarkerToDevice(dir + "\\big.txt", "TIDVEX-PAGE-GONE-BIG", 300'000);
    WriteMarkerToDevice(dir + "\\small.txt", "TIDVEX-PAGE-GONE-SMALL", 100);
    WriteMarkerToDevice(dir + "\\tree\\deep\\inner.txt", "TIDVEX-PAGE-GONE-TREE", 90'000);
    WriteMarkerToDevice(root + "kept.txt", "TIDVEX-PAGE-KEPT-MARKER", 100);

    form_->Shredder = main::MakeFraxilShredder(f());
    f().cmdShredder_Click(0);
    f().InitShredder();
    f().UpdateStartShredButton();
    List(f().lstFiles).UserDrop({dir + "\\big.txt", dir + "\\small.txt", dir + "\\tree"});

    // Each progress handler yields to the window: what the bars show then.
    std::set<int> items, totals;
    ScopedSeam<std::function<void()>> yield(pump::gDoEvents, [&] {
        items.insert(f().prgItemShred->Value());
        totals.insert(f().prgTotalShred->Value());
        pump::PumpPendingMessages();
    });
    Button(f().cmdStartShred).UserClick();
    ASSERT_TRUE(f().IsShredding);
    EXPECT_EQ(f().cmdStartShred->Caption(), "Stop Shredding Files/Folders");
    EXPECT_TRUE(f().prgTotalShred->Visible());

    ASSERT_TRUE(PumpUntil([&] { return !f().IsShredding; }, std::chrono::seconds(60))) << "no completion";
    EXPECT_EQ(f().cmdStartShred->Caption(), "Start Shredding Files/Folders");
    EXPECT_FALSE(f().prgTotalShred->Visible());
    EXPECT_TRUE(f().tbShredder->Enabled());
    // (A value the window has not taken yet when the next comes is replaced by it.)
    EXPECT_GE(items.size(), 2u) << "the item bar moved";
    EXPECT_GE(totals.size(), 3u) << "the total bar moved";
    EXPECT_EQ(*totals.rbegin(), 100);
    for (const char* gone : {"\\big.txt", "\\small.txt", "\\tree"}) EXPECT_FALSE(PathExists(dir + gone)) << gone;
    EXPECT_TRUE(PathExists(root + "kept.txt"));
    EXPECT_TRUE(exits_.empty());
    std::printf("the item bar showed %zu values, the total bar %zu\n", items.size(), totals.size());
}

// The shell's own folders are skipped by the server's session below a listed
// folder and when listed themselves; the page's second pass then keeps them
// too, every byte in them, with the folders above them, while the rest of the
// listed tree is gone.
TEST_F(ShredderSessionTest, TheSecondPassKeepsTheFoldersTheSessionSkipped) {
    const std::string dir = ScratchFolder("skipped");
    const std::string top = dir + "\\Roaming", windows = top + "\\Microsoft\\Windows";
    const std::string startMenu = windows + "\\Start Menu", desktop = dir + "\\Desktop";
    for (const std::string& folder : {top, top + "\\Microsoft", windows, startMenu, startMenu + "\\Programs",
                                      windows + "\\Other", top + "\\plain", desktop, desktop + "\\sub"})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    const std::vector<std::string> kept = {startMenu + "\\Programs\\app.lnk", startMenu + "\\menu.ini",
                                           desktop + "\\notes.txt", desktop + "\\sub\\deep.txt"};
    const std::vector<std::string> shredded = {windows + "\\w.txt", windows + "\\Other\\o.txt",
                                               top + "\\plain\\p.txt", top + "\\t.txt"};
    auto bytesOf = [](const std::string& file) { return std::string(5000, 'k') + file; };
    for (const std::string& file : kept) WriteFileBytes(file, bytesOf(file));
    for (const std::string& file : shredded) WriteFileBytes(file, file);

    ShellFoldersIn shell(startMenu, desktop);
    form_->Shredder = main::MakeFraxilShredder(f());
    f().cmdShredder_Click(0);
    f().InitShredder();
    List(f().lstFiles).UserDrop({top, desktop});
    Button(f().cmdStartShred).UserClick();
    ASSERT_TRUE(f().IsShredding);
    ASSERT_TRUE(PumpUntil([&] { return !f().IsShredding; }, std::chrono::seconds(60))) << "no completion";

    for (const std::string& file : kept) EXPECT_TRUE(ReadFileBytes(file) == bytesOf(file)) << file << " changed";
    for (const std::string& folder : {top, top + "\\Microsoft", windows, startMenu, desktop, desktop + "\\sub"})
        EXPECT_TRUE(PathExists(folder)) << folder;
    for (const std::string& file : shredded) EXPECT_FALSE(PathExists(file)) << file;
    EXPECT_FALSE(PathExists(windows + "\\Other"));
    EXPECT_FALSE(PathExists(top + "\\plain"));
    EXPECT_TRUE(window_.shown.empty()) << window_.shown.front();
}

// Wine keeps its bin in a folder of the user's own, so the bin's folder on C:
// cannot be reached: the server says so by ErrorMessage, and the end of the
// shredding tells the user instead of passing for a success.
TEST_F(ShredderSessionTest, ARecycleBinThatCannotBeReachedIsToldAtTheEnd) {
    const std::string junk = ScratchFolder("binned") + "\\junk.txt";
    WriteFileBytes(junk, "in the bin");
    ASSERT_TRUE(DeleteToRecycleBin(junk));
    form_->Shredder = main::MakeFraxilShredder(f());
    f().cmdShredder_Click(0);
    f().InitShredder();
    Button(f().cmdShredder[2]).UserClick();
    Button(f().cmdStartShred).UserClick();
    ASSERT_TRUE(f().IsShredding);
    ASSERT_TRUE(PumpUntil([&] { return !f().IsShredding; }, std::chrono::seconds(60))) << "no completion";
    // One error for each fixed drive, each on a line of its own.
    ASSERT_EQ(window_.shown.size(), 1u);
    const std::string& told = window_.shown[0];
    EXPECT_EQ(told.rfind("The shredding ended with ", 0), 0u) << told;
    EXPECT_NE(told.find(" errors:\r\n\r\nError: Unable to access C:\\Recycler\\S-"), std::string::npos) << told;
    EXPECT_EQ(told.substr(told.size() - 10), " Ok icon 1");
}

}  // namespace
}  // namespace tidvex::test
