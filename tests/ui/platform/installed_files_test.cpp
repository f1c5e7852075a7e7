// The program's ties to its installed files: the README the About window's web
// link opens, and the icon compiled in from the rendered PNGs.
#include "ui/platform/app_icon.h"
#include "ui/dialogs/readme_link.h"

#include <QFile>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace quillo {
namespace {

// ---- README ---------------------------------------------------------------------

constexpr char SourceReadme[] = "/src/quillo/README.md";

struct ReadmeCase {
    const char* name;
    const char* executable;
    const char* buildBinDir;
    const char* expected;
};

void PrintTo(const ReadmeCase& c, std::ostream* os) { *os << c.executable; }

class ReadmeChoice : public ::testing::TestWithParam<ReadmeCase> {};

TEST_P(ReadmeChoice, PicksTheInstalledOrTheSourceReadme)
{
    const ReadmeCase& c = GetParam();
    const ReadmePlaces places{SourceReadme, c.buildBinDir, "bin", "../share/doc/quillo/README.md"};
    EXPECT_EQ(ReadmeFor(c.executable, places), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    About, ReadmeChoice,
    ::testing::Values(
        ReadmeCase{"BuildFolder", "/src/quillo/build/quillo", "/src/quillo/build", SourceReadme},
        ReadmeCase{"BuildFolderGivenWithSlash", "/src/quillo/build/quillo", "/src/quillo/build/", SourceReadme},
        ReadmeCase{"InstalledInUsrLocal", "/usr/local/bin/quillo", "/src/quillo/build",
                   "/usr/local/share/doc/quillo/README.md"},
        ReadmeCase{"InstalledInUsr", "/usr/bin/quillo", "/src/quillo/build", "/usr/share/doc/quillo/README.md"},
        ReadmeCase{"StagedInDestdir", "/tmp/stage/usr/local/bin/quillo", "/src/quillo/build",
                   "/tmp/stage/usr/local/share/doc/quillo/README.md"},
        ReadmeCase{"InstalledUnderOpt", "/opt/quillo/bin/quillo", "/src/quillo/build",
                   "/opt/quillo/share/doc/quillo/README.md"},
        ReadmeCase{"DotInPath", "/usr/local/./bin/quillo", "/src/quillo/build",
                   "/usr/local/share/doc/quillo/README.md"},
        ReadmeCase{"CopyInHomeFolder", "/home/ann/tools/quillo", "/src/quillo/build", SourceReadme},
        ReadmeCase{"BuildFolderNamedBin", "/src/quillo/bin/quillo", "/src/quillo/bin", SourceReadme},
        ReadmeCase{"FolderNameEndingInBin", "/opt/mybin/quillo", "/src/quillo/build", SourceReadme},
        ReadmeCase{"FolderNameStartingWithBin", "/opt/bin2/quillo", "/src/quillo/build", SourceReadme},
        ReadmeCase{"ProgramPathUnknown", "", "/src/quillo/build", SourceReadme}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadmeOfThisBuild, BuiltProgramOpensTheSourceReadmeWhichExists)
{
    const ReadmePlaces places = BuildReadmePlaces();
    const std::string readme = ReadmeFor(std::string(places.buildBinDir) + "/quillo", places);
    EXPECT_EQ(readme, places.sourceReadme);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(readme))) << readme;
}

// ---- Icon -----------------------------------------------------------------------

class IconSize : public ::testing::TestWithParam<int> {};

TEST_P(IconSize, IsCompiledInAndShowsTheGlassOverThePage)
{
    const int size = GetParam();
    const QIcon icon = AppIcon();
    ASSERT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(size, size));
    // Drawn, not blank: the corner beside the page's fold is clear, and the
    // lens ring's dark blue is there somewhere.
    EXPECT_EQ(qAlpha(image.pixel(size - 1, 0)), 0);
    int ring = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb p = image.pixel(x, y);
            ring += qAlpha(p) == 255 && qBlue(p) > 2 * qRed(p) && qBlue(p) > 100;
        }
    EXPECT_GT(ring, 0);
}

INSTANTIATE_TEST_SUITE_P(AppIcon, IconSize, ::testing::Values(QUILLO_ICON_SIZES),
                         [](const auto& info) { return "Size" + std::to_string(info.param); });

TEST(AppIconSizes, ExactlyTheRenderedOnes)
{
    EXPECT_EQ(AppIcon().availableSizes().size(), static_cast<qsizetype>(std::size({QUILLO_ICON_SIZES})));
}

} // namespace
} // namespace quillo
