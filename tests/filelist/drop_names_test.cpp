#include "filelist/drop_names.h"

#include <gtest/gtest.h>

#include <clocale>

namespace quillo {
namespace {

struct SplitCase {
    const char* path;
    const char* name;
    const char* extension;
};

TEST(DroppedName, SplitTakesTheFirstDotOfTheName)
{
    const SplitCase cases[] = {
        {"/docs/report.txt", "report.txt", "txt"},
        {"/docs/archive.tar.gz", "archive.tar.gz", "tar.gz"},
        {"/my.dir/README", "README", ""},
        {"/docs/.profile", ".profile", "profile"},
        {"/docs/file.", "file.", ""},
        {"plain.txt", "plain.txt", "txt"},
        {"noext", "noext", ""},
        {"/docs/", "", ""},
    };
    for (const auto& c : cases) {
        const DroppedName split = SplitDroppedName(c.path);
        EXPECT_EQ(split.nameOnly, c.name) << c.path;
        EXPECT_EQ(split.extension, c.extension) << c.path;
    }
}

TEST(FolderQuestion, TextIsCutAfter255Characters)
{
    EXPECT_EQ(FolderQuestion("/home/me/docs"),
              "/home/me/docs is a Folder\nDo you want to load all files in this Folder?");
    const std::string longFolder = "/" + std::string(250, 'd');
    EXPECT_EQ(FolderQuestion(longFolder), longFolder + " is "); // 251 + 4 characters

    // In a UTF-8 locale a character is never cut in two.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale";
    const std::string accented = "/" + std::string(253, 'd') + "\xc3\xa9\xc3\xa9";
    const std::string cut = FolderQuestion(accented);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(cut, "/" + std::string(253, 'd') + "\xc3\xa9");
}

} // namespace
} // namespace quillo
