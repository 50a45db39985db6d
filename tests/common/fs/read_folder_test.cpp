// Reading a folder through one open gives what the two separate calls give:
// the entries of the listing and the final path, links resolved.
#include "fs/paths.h"
#include "harness/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace tidvex::fs;
using tidvex::test::WriteFileBytes;

std::vector<std::tuple<std::string, DWORD, std::uint64_t>> Sorted(const std::vector<FolderEntry>& entries) {
    std::vector<std::tuple<std::string, DWORD, std::uint64_t>> out;
    for (const auto& e : entries) out.emplace_back(e.name, e.attributes, e.size);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(ReadFolder, GivesTheListingAndTheFinalPath) {
    const std::string dir = tidvex::test::ScratchFolder("read");
    CreateDirectoryA((dir + "\\sub folder").c_str(), nullptr);
    CreateDirectoryA((dir + "\\empty").c_str(), nullptr);
    WriteFileBytes(dir + "\\a.txt", "abc");
    WriteFileBytes(dir + "\\no extension", "");
    WriteFileBytes(dir + "\\two.dots.log", std::string(70000, 'x'));
    WriteFileBytes(dir + "\\caf\xe9.tmp", "e");  // a letter of the ANSI code page beyond ASCII
    SetFileAttributesA((dir + "\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(tidvex::test::MakeUnixSymlink(dir + "\\sub folder", dir + "\\link"));

    for (const std::string& folder : {dir, dir + "\\", dir + "\\sub folder", dir + "\\empty\\", dir + "\\link"}) {
        const auto contents = ReadFolder(folder);
        ASSERT_TRUE(contents) << folder;
        const auto listing = ListFolder(folder);
        ASSERT_TRUE(listing) << folder;
        EXPECT_EQ(Sorted(contents->entries), Sorted(*listing)) << folder;
        EXPECT_EQ(contents->finalPath, FinalPathOf(folder).value_or("?")) << folder;
    }
    // Through the link, the folder it leads to.
    EXPECT_TRUE(IsOwnEntry(ReadFolder(dir + "\\sub folder")->finalPath, ReadFolder(dir)->finalPath, "sub folder"));
    EXPECT_FALSE(IsOwnEntry(ReadFolder(dir + "\\link")->finalPath, ReadFolder(dir)->finalPath, "link"));
    EXPECT_EQ(ReadFolder("S:\\")->finalPath, "\\\\?\\S:\\");

    for (const std::string& missing : {dir + "\\gone", dir + "\\a.txt", std::string()}) {
        SetLastError(0);
        EXPECT_FALSE(ReadFolder(missing)) << missing;
        EXPECT_NE(GetLastError(), 0u) << missing;
    }
    SetFileAttributesA((dir + "\\a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
