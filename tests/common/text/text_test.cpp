// The one set of text helpers: letters as the system code page has them, and
// blanks (only spaces) trimmed.
#include "text/text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace tidvex::text;

TEST(Text, TrimRemovesBlanksOnly) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"  a b  ", "a b"}, {"\ta\t", "\ta\t"}, {" \ta ", "\ta"}, {"   ", ""}, {"", ""}};
    for (const Case& c : cases) EXPECT_EQ(Trim(c.in), c.out) << '"' << c.in << '"';
}

TEST(Text, LetterCaseFollowsTheCodePage) {
    struct Case {
        std::string text, upper, lower;
    } cases[] = {{"MixEd 1\\x", "MIXED 1\\X", "mixed 1\\x"}, {"", "", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(Upper(c.text), c.upper) << c.text;
        EXPECT_EQ(Lower(c.text), c.lower) << c.text;
    }
    if (GetACP() == 1252) {
        // "ä" and "Ä" are one letter, as they are to the registry and the file system.
        EXPECT_EQ(Upper("\xE4"), "\xC4");
        EXPECT_EQ(Lower("\xC4"), "\xE4");
        EXPECT_TRUE(EqualsNoCase("C:\\B\xC4R", "c:\\b\xE4r"));
    }
}

TEST(Text, ComparisonsAndReplacementIgnoreLetterCase) {
    struct Contains {
        const char* text;
        const char* part;
        bool found;
    } contains[] = {{"xMrUy", "MRU", true}, {"MR U", "MRU", false}, {"a", "", true}, {"", "a", false}};
    for (const Contains& c : contains) EXPECT_EQ(ContainsNoCase(c.text, c.part), c.found) << c.text << "/" << c.part;

    struct Equals {
        const char* a;
        const char* b;
        bool equal;
    } equals[] = {{"HKEY_Current_User", "hkey_current_user", true}, {"ab", "abc", false}, {"", "", true}};
    for (const Equals& e : equals) EXPECT_EQ(EqualsNoCase(e.a, e.b), e.equal) << e.a << "/" << e.b;

    struct Replace {
        const char* text;
        const char* what;
        const char* with;
        const char* out;
    } replaces[] = {{"hklm\\x\\HKLM", "HKLM", "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE\\x\\HKEY_LOCAL_MACHINE"},
                    {"aAa", "a", "bb", "bbbbbb"},
                    {"abc", "", "x", "abc"},
                    {"abc", "d", "x", "abc"}};
    for (const Replace& r : replaces) EXPECT_EQ(ReplaceNoCase(r.text, r.what, r.with), r.out) << r.text;
}

}  // namespace
