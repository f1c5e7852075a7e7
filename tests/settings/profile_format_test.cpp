#include "settings/profile_format.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace quillo {
namespace {

struct FindCase {
    const char* content;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

void PrintTo(const FindCase& c, std::ostream* os) { *os << testing::PrintToString(std::string(c.content)); }

class FindProfileValueTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindProfileValueTest, FindsTheValue)
{
    const FindCase& c = GetParam();
    EXPECT_EQ(FindProfileValue(c.content, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Lookups, FindProfileValueTest, testing::Values(
    FindCase{"", "Options", "k", std::nullopt},
    FindCase{"[Options]\nk=1\n", "Options", "k", "1"},
    FindCase{"[ oPTIONS ]\r\n  Count LINES \t=\t 1 \r\n", "Options", "count lines", "1"},
    FindCase{"[Options]\nk=1", " Options ", " k ", "1"},              // no final line end
    FindCase{"[Options]\nk=\n", "Options", "k", ""},                   // present but empty
    FindCase{"[Options]\nk=a=b\n", "Options", "k", "a=b"},
    FindCase{"[Options]\nk= \"x y\" \n", "Options", "k", "\"x y\""},   // quotes are text
    FindCase{"k=1\n[Options]\n", "Options", "k", std::nullopt},        // before any section
    FindCase{"[Options]\n;k=1\n#k=2\n", "Options", "k", std::nullopt}, // comments
    FindCase{"[Options]\n;k=1\n#k=2\n", "Options", ";k", std::nullopt},
    FindCase{"[Other]\nk=1\n[Options]\nj=2\n", "Options", "k", std::nullopt},
    FindCase{"[Options]\nk=1\n[Other]\nk=2\n", "Other", "k", "2"},
    FindCase{"[Options]\n[Options\nk=1\n", "Options", "k", "1"},       // "[" without "]": an odd line
    FindCase{"[Options] tail\nk=1\n", "Options", "k", "1"},
    FindCase{"[A]\nk=1\n[options]\nk=2\n[OPTIONS]\nk=3\n", "Options", "k", "2"},
    FindCase{"[A]\n[Options]\nj=1\n[options]\nk=2\n", "Options", "k", "2"},
    FindCase{"[Options]\nk=1\nK=2\n", "Options", "k", "1"},
    FindCase{"[Options]\nk=\xe4\xf6\r\n", "Options", "k", "\xe4\xf6"},
    FindCase{"[Options]\nk=a\rb\n", "Options", "k", "a\rb"},          // a lone CR is no line end
    FindCase{"[Options]\nk=1\r", "Options", "k", "1"}));                // ... except at the very end

struct SetCase {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

void PrintTo(const SetCase& c, std::ostream* os)
{
    *os << testing::PrintToString(std::string(c.before)) << " " << c.key << "=" << c.value;
}

class SetProfileValueTest : public testing::TestWithParam<SetCase> {};

TEST_P(SetProfileValueTest, ChangesOnlyTheKey)
{
    const SetCase& c = GetParam();
    const std::string after = SetProfileValue(c.before, c.section, c.key, c.value);
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(FindProfileValue(after, c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(Edits, SetProfileValueTest, testing::Values(
    // new file
    SetCase{"", "Options", "Count Lines", "1", "[Options]\nCount Lines=1\n"},
    // in place, keeping the key's spelling, blanks, other lines and sections
    SetCase{"; mine\n[Other]\nx=1\n[Options]\n  count lines = 0  \nfoo\n\n[Z]\n", "Options", "Count Lines", "1",
            "; mine\n[Other]\nx=1\n[Options]\n  count lines = 1\nfoo\n\n[Z]\n"},
    SetCase{"[ options ]\r\ncount LINES=0\r\nx=1", "Options", "Count Lines", "1",
            "[ options ]\r\ncount LINES=1\r\nx=1"},
    SetCase{"[Options]\nk=old", "Options", "k", "new", "[Options]\nk=new"},
    SetCase{"[Options]\nk=a=b ; c\n", "Options", "k", "", "[Options]\nk=\n"},
    // a missing key goes after the last key of the section
    SetCase{"[Options]\na=1\n; about Next\n\n[Next]\nb=2\n", "Options", "c", "3",
            "[Options]\na=1\nc=3\n; about Next\n\n[Next]\nb=2\n"},
    SetCase{"[Options]\n;k=old\n[Next]\n", "Options", "k", "v", "[Options]\nk=v\n;k=old\n[Next]\n"},
    SetCase{"[Options]\r\na=1", "Options", "k", "v", "[Options]\r\na=1\r\nk=v\r\n"},
    // a CR that ends the text is a CR LF without its LF: the LF completes it
    SetCase{"[Options]\r\na=1\r", "Options", "k", "v", "[Options]\r\na=1\r\nk=v\r\n"},
    SetCase{"[Options]\nk=1\r", "Options", "k", "2", "[Options]\nk=2\r"},
    SetCase{"[Options]\na=1\n[X]\n[options]\nb=2\n", "Options", "k", "v",
            "[Options]\na=1\nk=v\n[X]\n[options]\nb=2\n"},
    SetCase{"[Options]\na=1\n[X]\n[options]\nk=old\n", "Options", "k", "v",
            "[Options]\na=1\n[X]\n[options]\nk=v\n"},
    // a missing section goes at the end, in the file's line-end style
    SetCase{"k=1\r\n[A]\r\nx=1", "Options", "k", "v", "k=1\r\n[A]\r\nx=1\r\n[Options]\r\nk=v\r\n"},
    SetCase{"odd\n[Options\n", " Options ", " k ", "v", "odd\n[Options\n[Options]\nk=v\n"},
    SetCase{"[A]\nx=1\n", "Options", "k", "\"q\"", "[A]\nx=1\n[Options]\nk=\"q\"\n"}));

TEST(SetProfileValue, RefusesWhatCannotBeReadBack)
{
    const std::tuple<const char*, const char*, const char*> bad[] = {
        {"Op]tions", "k", "v"}, {"Options", "a=b", "v"}, {"Options", ";k", "v"}, {"Options", "#k", "v"},
        {"Options", "[k", "v"},  {"Opt\nions", "k", "v"}, {"Options", "k\r", "v"}, {"Options", "k", "a\nb"},
    };
    for (const auto& [section, key, value] : bad)
        EXPECT_THROW(SetProfileValue("[Options]\n", section, key, value), std::invalid_argument)
            << section << " / " << key;
}

TEST(SetProfileValue, BlanksAroundAValueDoNotReadBack)
{
    EXPECT_EQ(FindProfileValue(SetProfileValue("", "S", "k", "  v w \t"), "S", "k"), "v w");
}

} // namespace
} // namespace quillo
