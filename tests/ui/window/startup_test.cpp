// Start-up and shutdown: the options read from and written to the settings
// file, the list file at start, the command line in the window, and closes.
#include "filelist/list_file.h"
#include "settings/ini_file.h"
#include "settings/window_place.h"
#include "ui/platform/main_loop.h"
#include "ui/window/window_place.h"
#include "ui_test_support.h"

#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <sys/stat.h>

namespace quillo::test {
namespace {

using Strings = std::vector<std::string>;

const QByteArray DefaultSettings = "[Options]\nCount Lines=1\nCount Words=0\nProgress Indicator=1\nTotal Clear=0\n"
                                   "Load file list=0\nCase Sensitive=0\nReverse Logic=0\nSafe After=0\nUnix File=1\n"
                                   "One Instance=0\nDefault Operator=0\n";
// The matching options, written after the window's place.
const QByteArray DefaultSearchSection = "[Search]\nRegular Expressions=0\nWhole Words=0\n";

// Each test starts its own window, with its own settings and command line.
class StartupTest : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        CancelRequested = false;
        SearchRunning = false;
        SetApplicationTitle(StartTitle);
    }
    // Creates the window and runs FormCreate; returns whether it completed.
    bool Start(const Strings& parameters = {})
    {
        form = std::make_unique<TForm1>(dialogs);
        form->SetFileListFile(Path("quillo.lst"));
        form->SetSettingsFile(Path("quillo.ini"));
        form->SetCommandLine(parameters);
        return form->Invoke(&TForm1::FormCreate);
    }
    QByteArray Settings() { return Read(dir.filePath("quillo.ini")); }
    int Runs() const
    {
        const Strings lines = OutputLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), "*****  New Search  *****"));
    }
    int Operator() { return Find<QComboBox>("FOperator")->currentIndex(); }
    // Where a window opens when nothing usable is kept: the layout's first
    // place, centred, as the window has it once shown (the layout places the
    // frame, and the shown window knows how wide that is).
    QRect DefaultPlace()
    {
        TForm1 fresh(dialogs);
        fresh.show();
        return fresh.geometry();
    }
    // The keys a close adds to the section "Window" of a new file.
    static QByteArray PlaceKeys(const QRect& r, bool maximized, const char* end = "\n")
    {
        return "Left=" + QByteArray::number(r.x()) + end + "Top=" + QByteArray::number(r.y()) + end +
               "Width=" + QByteArray::number(r.width()) + end + "Height=" + QByteArray::number(r.height()) + end +
               "Maximized=" + (maximized ? "1" : "0") + end;
    }
    QByteArray DefaultSettingsAndPlace() { return DefaultSettings + "[Window]\n" + PlaceKeys(DefaultPlace(), false) + DefaultSearchSection; }
};

// ---- options ------------------------------------------------------------------

TEST_F(StartupTest, FileExitAndTheWindowManagerWriteEveryOptionButLineNumbering)
{
    const std::function<void()> closes[] = {
        [&] { Item("Exit1")->trigger(); },
        [&] { form->windowHandle()->close(); }, // as the window manager's close request arrives
    };
    for (const auto& close : closes) {
        QFile::remove(dir.filePath("quillo.ini"));
        ASSERT_TRUE(Start());
        form->show();
        EXPECT_EQ(form->windowTitle(), "Quillo");
        EXPECT_EQ(ApplicationTitle(), "Quillo");
        Box("OptionNumbering")->setChecked(true);
        close();
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(CancelRequested);
        EXPECT_EQ(form->Settings(), nullptr);
        EXPECT_EQ(Settings(), DefaultSettingsAndPlace());
    }
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Box("OptionNumbering")->isChecked());
}

struct FlagKey {
    const char* key;
    const char* control;
    bool defaultOn;
};

void PrintTo(const FlagKey& k, std::ostream* os)
{
    *os << k.control;
}

const FlagKey FlagKeys[] = {
    {"Count Lines", "OptionLineCount", true},   {"Count Words", "OptionWordCount", false},
    {"Progress Indicator", "OptionProgress", true}, {"Total Clear", "OptionClearAll", false},
    {"Load file list", "OptionLoadList", false}, {"Case Sensitive", "OptionCase", false},
    {"Reverse Logic", "OptionReverse", false},  {"Safe After", "OptionSave", false},
    {"Unix File", "OptionUnixFile", true},      {"One Instance", "OptionOneInstance", false},
};

class StoredFlag : public StartupTest, public ::testing::WithParamInterface<FlagKey> {};

TEST_P(StoredFlag, SetsItsOwnBoxOnlyAndIsWrittenBack)
{
    const FlagKey& flag = GetParam();
    Write("quillo.ini", QByteArray("[Options]\n") + flag.key + "=" + (flag.defaultOn ? "0" : "2") + "\n");
    WriteListFile(Path("quillo.lst"), {});
    ASSERT_TRUE(Start());
    for (const FlagKey& other : FlagKeys)
        EXPECT_EQ(Box(other.control)->isChecked(), other.key == std::string(flag.key) ? !other.defaultOn : other.defaultOn)
            << other.control;
    form->close();
    EXPECT_EQ(TIniFile(Path("quillo.ini")).ReadText("Options", flag.key, ""), flag.defaultOn ? "0" : "1");
}

INSTANTIATE_TEST_SUITE_P(Settings, StoredFlag, ::testing::ValuesIn(FlagKeys),
                         [](const auto& info) { return std::string(info.param.control); });

TEST_F(StartupTest, StoredOperatorIsTakenBelowFourAndWrittenBackAsSelected)
{
    const struct {
        const char* stored;
        int selected;
        const char* written;
    } cases[] = {{"3", 3, "3"}, {"0x2", 2, "2"}, {"4", 0, "0"}, {"7", 0, "0"}, {"-1", -1, "-1"}, {"$FFFFFFFF", -1, "-1"}};
    for (const auto& c : cases) {
        Write("quillo.ini", QByteArray("[Options]\nDefault Operator=") + c.stored + "\n");
        ASSERT_TRUE(Start());
        EXPECT_EQ(Operator(), c.selected) << c.stored;
        form->close();
        EXPECT_EQ(TIniFile(Path("quillo.ini")).ReadText("Options", "Default Operator", ""), c.written) << c.stored;
    }
}

TEST_F(StartupTest, NoStoredOperatorMeansARunWithStringTwoIsRefused)
{
    Write("quillo.ini", "[Options]\nDefault Operator=-1\n");
    const std::string file = Write("a.txt", "fox\r\n");
    ASSERT_TRUE(Start({file, "fox", "word", "dog", "/GO"}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Error");
    EXPECT_EQ(dialogs.messages[0].text, "Select an operator first");
    EXPECT_EQ(Runs(), 0);
}

// The matching options live in [Search]; [Options] is left to its eleven keys.
TEST_F(StartupTest, SearchSectionSetsTheMatchingBoxesAndIsWrittenBack)
{
    const struct {
        const char* stored;
        bool regex, words;
    } cases[] = {{"", false, false},
                 {"[Search]\nRegular Expressions=1\n", true, false},
                 {"[Search]\nWhole Words=7\n", false, true},
                 {"[Search]\nRegular Expressions=1\nWhole Words=1\n", true, true},
                 {"[Search]\nRegular Expressions=x\nWhole Words=0\n", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Write("quillo.ini", c.stored);
        ASSERT_TRUE(Start());
        EXPECT_EQ(Box("OptionRegex")->isChecked(), c.regex);
        EXPECT_EQ(Box("OptionWholeWords")->isChecked(), c.words);
        Box("OptionRegex")->setChecked(!c.regex);
        form->close();
        const TIniFile written(Path("quillo.ini"));
        EXPECT_EQ(written.ReadText("Search", "Regular Expressions", ""), c.regex ? "0" : "1");
        EXPECT_EQ(written.ReadText("Search", "Whole Words", ""), c.words ? "1" : "0");
        EXPECT_EQ(written.ReadText("Options", "Regular Expressions", "none"), "none");
    }
}

// From the command line an expression that does not compile gives the same
// message, and its run is skipped.
TEST_F(StartupTest, InvalidExpressionWithGoSkipsTheRun)
{
    Write("quillo.ini", "[Search]\nRegular Expressions=1\n");
    const std::string file = Write("a.txt", "fox\r\n");
    ASSERT_TRUE(Start({file, "a**", "/GO"}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Error");
    EXPECT_EQ(dialogs.messages[0].text, "Invalid regular expression: bad repetition operator: **");
    EXPECT_EQ(Runs(), 0);
    form->close();

    ASSERT_TRUE(Start({file, "f.x", "/GO"}));
    EXPECT_EQ(Runs(), 1);
    EXPECT_EQ(OutputLines().back(), "fox");
}

TEST_F(StartupTest, StoredOneOccurrenceDisablesWordCountingAsAClickWould)
{
    Write("quillo.ini", "[Options]\nCount Words=1\nOne Instance=1\n");
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Box("OptionWordCount")->isChecked());
    EXPECT_FALSE(Box("OptionWordCount")->isEnabled());
    Box("OptionOneInstance")->setChecked(false);
    EXPECT_TRUE(Box("OptionWordCount")->isEnabled());
}

// "Only files with found lines" and the editor's command live in sections
// of their own, written only once they have been set; [Options] keeps its
// eleven keys.
TEST_F(StartupTest, OnlyFoundFilesAndTheEditorKeepSectionsOfTheirOwn)
{
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Box("OptionOnlyFound")->isChecked());
    EXPECT_EQ(Box("OptionOnlyFound")->text(), "Only files with found lines");
    EXPECT_TRUE(form->EditorCommand().empty());
    form->show();
    form->close();
    EXPECT_EQ(Settings(), DefaultSettingsAndPlace()); // nothing set: nothing added

    ASSERT_TRUE(Start());
    Box("OptionOnlyFound")->setChecked(true);
    dialogs.editorAnswers.push_back(QStringLiteral("gvim +%l \"%f\""));
    Item("mEditor")->trigger();
    form->close();
    EXPECT_EQ(TIniFile(Path("quillo.ini")).ReadText("Output", "Only Found Files", ""), "1");
    EXPECT_EQ(TIniFile(Path("quillo.ini")).ReadText("Editor", "Command", ""), "gvim +%l \"%f\"");

    ASSERT_TRUE(Start());
    EXPECT_TRUE(Box("OptionOnlyFound")->isChecked());
    EXPECT_EQ(form->EditorCommand(), "gvim +%l \"%f\"");
    Box("OptionOnlyFound")->setChecked(false);
    dialogs.editorAnswers.push_back(QString());
    Item("mEditor")->trigger();
    form->close();
    // Turned off again: the keys stay, with their off values.
    EXPECT_EQ(TIniFile(Path("quillo.ini")).ReadText("Output", "Only Found Files", "?"), "0");
    EXPECT_EQ(TIniFile(Path("quillo.ini")).ReadText("Editor", "Command", "?"), "");
    EXPECT_TRUE(Settings().startsWith(DefaultSettings));
}

TEST_F(StartupTest, ForeignLinesKeysAndSectionsSurviveAClose)
{
    Write("quillo.ini", "; written by hand\r\n[Window]\r\nLeft=10\r\n[options]\r\n count lines = 0\r\nExtra=yes\r\n");
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Box("OptionLineCount")->isChecked());
    Box("OptionLineCount")->setChecked(true);
    form->show();
    form->close();
    // Left alone is no place: the window opened at its first place, and
    // that is what is kept, in the section as it was.
    EXPECT_EQ(Settings(), "; written by hand\r\n[Window]\r\n" + PlaceKeys(DefaultPlace(), false, "\r\n") +
                              "[options]\r\n count lines = 1\r\nExtra=yes\r\n"
                              "Count Words=0\r\nProgress Indicator=1\r\nTotal Clear=0\r\nLoad file list=0\r\n"
                              "Case Sensitive=0\r\nReverse Logic=0\r\nSafe After=0\r\nUnix File=1\r\n"
                              "One Instance=0\r\nDefault Operator=0\r\n"
                              "[Search]\r\nRegular Expressions=0\r\nWhole Words=0\r\n");
}

// A settings file that cannot be written: how it is made so, and how it is
// mended.
struct UnwritableSettings {
    const char* name;
    const char* settings;                           // the settings file, in the test's folder
    std::function<void(const QTemporaryDir&)> make; // after start-up
    std::function<void(const QTemporaryDir&)> mend;
};

void PrintTo(const UnwritableSettings& u, std::ostream* os)
{
    *os << u.name;
}

void ChangeMode(const QTemporaryDir& dir, const char* name, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath(name)).constData(), mode), 0);
}

const UnwritableSettings UnwritableKinds[] = {
    {"ReadOnlyFile", "quillo.ini", [](const QTemporaryDir& d) { ChangeMode(d, "quillo.ini", 0444); },
     [](const QTemporaryDir& d) { ChangeMode(d, "quillo.ini", 0644); }},
    {"FolderThatIsAFile", "cfg/quillo.ini",
     [](const QTemporaryDir& d) {
         QFile file(d.filePath("cfg"));
         ASSERT_TRUE(file.open(QIODevice::WriteOnly));
     },
     [](const QTemporaryDir& d) { ASSERT_TRUE(QFile::remove(d.filePath("cfg"))); }},
    {"LinkIntoProc", "proc.ini",
     [](const QTemporaryDir& d) { ASSERT_TRUE(QFile::link("/proc/self/status", d.filePath("proc.ini"))); },
     [](const QTemporaryDir& d) { ASSERT_TRUE(QFile::remove(d.filePath("proc.ini"))); }},
};

class UnwritableSettingsTest : public StartupTest, public ::testing::WithParamInterface<UnwritableSettings> {
protected:
    void StartWith(const UnwritableSettings& u)
    {
        form = std::make_unique<TForm1>(dialogs);
        form->SetFileListFile(Path("quillo.lst"));
        form->SetSettingsFile(Path(u.settings));
        ASSERT_TRUE(form->Invoke(&TForm1::FormCreate));
        form->show();
        u.make(dir);
    }
    QString Message(const UnwritableSettings& u)
    {
        return QString::fromStdString("Unable to write to " + Path(u.settings) + ".");
    }
};

// The first close says that the options cannot be written and the window
// stays, so that the file can be mended; the next close writes them if it
// now can.
TEST_P(UnwritableSettingsTest, FirstCloseRefusedThenAMendedFileIsWritten)
{
    const UnwritableSettings& u = GetParam();
    Write("quillo.ini", "[Options]\n");
    StartWith(u);
    form->close();
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].caption, "Quillo");
    EXPECT_EQ(dialogs.failures[0].text, Message(u));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(CancelRequested);
    EXPECT_NE(form->Settings(), nullptr);

    u.mend(dir);
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(form->Settings(), nullptr);
    EXPECT_EQ(Read(dir.filePath(u.settings)), DefaultSettingsAndPlace());
}

// A file that stays unwritable cannot keep the window open for good: the
// second close of the window, by File > Exit or the close box, closes it
// without a word and without writing.
TEST_P(UnwritableSettingsTest, SecondCloseClosesWithoutWriting)
{
    const UnwritableSettings& u = GetParam();
    const std::function<void()> closes[] = {
        [&] { Item("Exit1")->trigger(); },
        [&] { form->windowHandle()->close(); }, // as the window manager's close request arrives
    };
    for (const auto& first : closes) {
        for (const auto& second : closes) {
            // Each window refuses its own first close.
            dialogs.failures.clear();
            QFile::remove(dir.filePath(u.settings));
            QFile::remove(dir.filePath("cfg"));
            Write("quillo.ini", "[Options]\n");
            StartWith(u);
            const QFileInfo settings(dir.filePath(u.settings));
            const bool plainFile = settings.isFile() && !settings.isSymLink();
            const QByteArray before = plainFile ? Read(settings.filePath()) : "";
            first();
            ASSERT_EQ(dialogs.failures.size(), 1u);
            EXPECT_EQ(dialogs.failures[0].text, Message(u));
            EXPECT_TRUE(form->isVisible());
            second();
            EXPECT_FALSE(form->isVisible());
            EXPECT_EQ(dialogs.failures.size(), 1u);
            EXPECT_EQ(form->Settings(), nullptr);
            if (plainFile) {
                EXPECT_EQ(Read(settings.filePath()), before);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnwritableSettingsTest, ::testing::ValuesIn(UnwritableKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the window's size, position and maximized state --------------------------

// Where the window opens for what the section "Window" holds, on the screen
// there is and with the window's least size.
struct Room {
    QRect free;  // the screen's free area
    QSize least; // the window's least size
    QSize fits;  // a size a little above it
};

QByteArray Keys(int left, int top, QSize size)
{
    return "Left=" + QByteArray::number(left) + "\nTop=" + QByteArray::number(top) + "\nWidth=" +
           QByteArray::number(size.width()) + "\nHeight=" + QByteArray::number(size.height()) + "\n";
}

using At = std::optional<QRect>;

struct KeptPlace {
    const char* name;
    QByteArray (*keys)(const Room&); // the lines of "[Window]"
    At (*at)(const Room&);           // null: the first place, centred
    bool maximized = false;
};

void PrintTo(const KeptPlace& p, std::ostream* os)
{
    *os << p.name;
}

class KeptPlaceTest : public StartupTest, public ::testing::WithParamInterface<KeptPlace> {};

TEST_P(KeptPlaceTest, OpensThereAndWhatItHadAtCloseOpensAgain)
{
    const KeptPlace& p = GetParam();
    ASSERT_TRUE(Start());
    const QSize least = form->minimumSizeHint();
    const Room room{QGuiApplication::primaryScreen()->availableGeometry(), least, least + QSize(16, 16)};
    ASSERT_TRUE(room.free.contains(QRect(QPoint(30, 40), room.fits)));
    const QRect expected = p.at ? p.at(room).value() : TForm1(dialogs).geometry();

    const QByteArray head = "; kept by hand\n[Recent]\nFile=a.txt\n[Window]\n";
    Write("quillo.ini", head + p.keys(room) + "Extra=keep\n");
    ASSERT_TRUE(Start());
    // Placed before it is shown; the platform may still keep its frame on
    // the screen once it is.
    EXPECT_EQ(form->normalGeometry(), expected);
    form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->isMaximized(), p.maximized);
    const QRect had = form->normalGeometry();
    form->close();

    const QByteArray written = Settings();
    const TIniFile ini(Path("quillo.ini"));
    const WindowPlace kept = ReadWindowPlace(ini);
    EXPECT_EQ(QRect(kept.left, kept.top, kept.width, kept.height), had);
    EXPECT_EQ(kept.maximized, p.maximized);
    // Other lines stay; the options go to a section of their own, all eleven
    // and nothing else.
    EXPECT_TRUE(written.startsWith(head)) << written.toStdString();
    EXPECT_EQ(ini.ReadText("Window", "Extra", ""), "keep");
    EXPECT_EQ(written.count("[Window]"), 1);
    EXPECT_TRUE(written.endsWith(DefaultSettings + DefaultSearchSection)) << written.toStdString();

    ASSERT_TRUE(Start());
    EXPECT_EQ(form->normalGeometry(), had);
    form->show();
    EXPECT_EQ(form->isMaximized(), p.maximized);
}

INSTANTIATE_TEST_SUITE_P(
    Window, KeptPlaceTest,
    ::testing::Values(
        KeptPlace{"NothingKept", [](const Room&) { return QByteArray(); }, nullptr},
        KeptPlace{"NormalPlace", [](const Room& r) { return Keys(30, 40, r.fits) + "Maximized=0\n"; },
                  [](const Room& r) -> At { return QRect(QPoint(30, 40), r.fits); }},
        KeptPlace{"ReadAsTheOptionsAre",
                  [](const Room& r) {
                      return "Left=0x1E\nTop= +40\nWidth=$" + QByteArray::number(r.fits.width(), 16) +
                             "\nHeight=" + QByteArray::number(r.fits.height()) + "\n";
                  },
                  [](const Room& r) -> At { return QRect(QPoint(30, 40), r.fits); }},
        KeptPlace{"TheLeastSize", [](const Room& r) { return Keys(30, 40, r.least); },
                  [](const Room& r) -> At { return QRect(QPoint(30, 40), r.least); }},
        KeptPlace{"Maximized", [](const Room& r) { return Keys(30, 40, r.fits) + "Maximized=1\n"; },
                  [](const Room& r) -> At { return QRect(QPoint(30, 40), r.fits); }, true},
        // A kept state without a usable kept place: the first size, centred.
        KeptPlace{"MaximizedWithoutAPlace", [](const Room&) { return QByteArray("Maximized=2\n"); }, nullptr},
        KeptPlace{"MaximizedOffEveryScreen",
                  [](const Room& r) {
                      return Keys(r.free.right() + 100, r.free.bottom() + 100, r.fits) + "Maximized=1\n";
                  },
                  nullptr},
        KeptPlace{"MaximizedOnePixelTooNarrow",
                  [](const Room& r) { return Keys(30, 40, r.least - QSize(1, 0)) + "Maximized=1\n"; }, nullptr},
        KeptPlace{"MaximizedWithAKeyUnreadable",
                  [](const Room& r) {
                      return Keys(30, 40, r.fits).replace("Left=30", "Left=thirty") + "Maximized=1\n";
                  },
                  nullptr},
        KeptPlace{"OffEveryScreen",
                  [](const Room& r) { return Keys(r.free.right() + 100, r.free.bottom() + 100, r.fits); }, nullptr},
        KeptPlace{"PartlyOffButGraspable",
                  [](const Room& r) { return Keys(r.free.left() + 60 - r.fits.width(), r.free.bottom() - 59, r.fits); },
                  [](const Room& r) -> At {
                      return QRect(QPoint(r.free.left() + 60 - r.fits.width(), r.free.bottom() - 59), r.fits);
                  }},
        KeptPlace{"TooLittleLeftToGrasp",
                  [](const Room& r) { return Keys(r.free.left() + 40 - r.fits.width(), 40, r.fits); }, nullptr},
        KeptPlace{"TopEdgeAboveTheScreen", [](const Room& r) { return Keys(30, r.free.top() - 10, r.fits); }, nullptr},
        KeptPlace{"OnePixelTooNarrow", [](const Room& r) { return Keys(30, 40, r.least - QSize(1, 0)); }, nullptr},
        KeptPlace{"ZeroAndNegativeSizes",
                  [](const Room&) { return QByteArray("Left=30\nTop=40\nWidth=0\nHeight=-460\n"); }, nullptr},
        KeptPlace{"GarbageText",
                  [](const Room&) {
                      return QByteArray("Left=thirty\nTop=40px\nWidth=620\nHeight=\nMaximized=yes\n");
                  },
                  nullptr},
        KeptPlace{"OneKeyMissing",
                  [](const Room& r) {
                      return Keys(30, 40, r.fits).replace("Height=" + QByteArray::number(r.fits.height()), "");
                  },
                  nullptr},
        KeptPlace{"WiderThanTheScreen",
                  [](const Room& r) { return Keys(30, 40, QSize(r.free.width() + 500, r.fits.height())); },
                  [](const Room& r) -> At {
                      return QRect(r.free.left(), 40, r.free.width(), r.fits.height());
                  }},
        KeptPlace{"HugeIsCutToTheScreen", [](const Room&) { return Keys(30, 40, QSize(30000, 20000)); },
                  [](const Room& r) -> At { return r.free; }},
        KeptPlace{"AbsurdlyLarge",
                  [](const Room&) { return QByteArray("Left=30\nTop=40\nWidth=2147483647\nHeight=99999\n"); },
                  nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// The rule on several screens: two side by side, the first with a panel along
// its top, the second smaller.
struct ScreenPlace {
    const char* name;
    QRect stored;
    std::optional<QRect> placed;
};

void PrintTo(const ScreenPlace& p, std::ostream* os)
{
    *os << p.name;
}

class ScreenPlaceTest : public ::testing::TestWithParam<ScreenPlace> {};

TEST_P(ScreenPlaceTest, KeptWhereItCanBeGrasped)
{
    const ScreenPlace& p = GetParam();
    const QList<QRect> freeAreas{QRect(0, 40, 1920, 1040), QRect(1920, 0, 1280, 1024)};
    WindowPlace place;
    place.left = p.stored.x();
    place.top = p.stored.y();
    place.width = p.stored.width();
    place.height = p.stored.height();
    EXPECT_EQ(PlaceOnScreens(place, freeAreas, QSize(500, 400)), p.placed);
}

INSTANTIATE_TEST_SUITE_P(
    Window, ScreenPlaceTest,
    ::testing::Values(ScreenPlace{"OnTheSecond", QRect(2000, 100, 800, 600), QRect(2000, 100, 800, 600)},
                      ScreenPlace{"AcrossTheSeam", QRect(1500, 100, 800, 600), QRect(1500, 100, 800, 600)},
                      ScreenPlace{"UnderThePanel", QRect(100, 10, 800, 600), std::nullopt},
                      ScreenPlace{"BelowTheSmallerScreen", QRect(2000, 1000, 800, 600), std::nullopt},
                      ScreenPlace{"TallerThanTheScreenHoldingMost", QRect(2500, 10, 600, 1100),
                                  QRect(2500, 0, 600, 1024)},
                      ScreenPlace{"WiderThanEitherScreen", QRect(1800, 100, 2500, 600), QRect(1920, 100, 1280, 600)},
                      ScreenPlace{"WidestThereIsOnBoth", QRect(100, 100, 32767, 600), QRect(0, 100, 1920, 600)},
                      ScreenPlace{"FarOffAtTheLimit", QRect(32767, 32767, 32767, 32767), std::nullopt},
                      ScreenPlace{"BeyondTheCoordinateLimit", QRect(-32768, 100, 800, 600), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the list file and the command line at start --------------------------------

TEST_F(StartupTest, ListFileLoadedAtStartComesBeforeTheCommandLine)
{
    Write("quillo.ini", "[Options]\nLoad file list=1\n");
    WriteListFile(Path("quillo.lst"), {"a", "", "b"});
    const std::string file = Write("f.txt", "x");
    ASSERT_TRUE(Start({file, "s1"}));
    EXPECT_EQ(form->FileEntries(), (Strings{"a", "", "b", file}));
    EXPECT_TRUE(Tool("CmdSearch")->isEnabled());
}

TEST_F(StartupTest, MissingListFileIsReportedBeforeTheWindowAndTheCommandLineIsNotApplied)
{
    Write("quillo.ini", "[Options]\nLoad file list=1\n");
    const std::string file = Write("f.txt", "fox\r\n");
    EXPECT_FALSE(Start({file, "fox", "/GO"}));
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].caption, "Quillo");
    EXPECT_EQ(dialogs.failures[0].text, QString::fromStdString("Cannot open file " + Path("quillo.lst") + "."));
    EXPECT_FALSE(dialogs.failures[0].overShownWindow);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->FileCount(), 0u);
    EXPECT_TRUE(Edit("FString1")->text().isEmpty());
    EXPECT_EQ(Runs(), 0);
    EXPECT_EQ(form->windowTitle(), "Quillo");
    EXPECT_TRUE(form->DropEnabled());
}

TEST_F(StartupTest, WrongFilenameIsShownAndTheRestStillApplies)
{
    ASSERT_TRUE(Start({Path("missing.txt"), "s1", "OR", "s2", "/GO"}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const FakeDialogs::Shown& shown = dialogs.messages[0];
    EXPECT_EQ(shown.caption, "Error:");
    EXPECT_EQ(shown.text, "Wrong filename!");
    EXPECT_EQ(shown.icon, MsgIcon::Error);
    EXPECT_EQ(shown.buttons, MsgOk);
    EXPECT_FALSE(shown.overShownWindow);
    EXPECT_EQ(Edit("FString1")->text(), "s1");
    EXPECT_EQ(Edit("FString2")->text(), "s2");
    EXPECT_EQ(Operator(), 1);
    EXPECT_FALSE(Box("OptionWordCount")->isEnabled()); // as if string 2 were typed
    EXPECT_FALSE(Tool("CmdSearch")->isEnabled());
    EXPECT_FALSE(Menu("mSearch")->isEnabled());
    EXPECT_EQ(Runs(), 0);
}

TEST_F(StartupTest, GoShowsTheWindowLetsPendingEventsRunThenSearchesEachTime)
{
    Write("quillo.ini", "[Options]\nSafe After=1\n");
    const std::string file = Write("f.txt", "fox\r\nhen\r\n");
    dialogs.saveAnswers = {QString(dir.filePath("out.txt")), std::nullopt};
    bool pendingRan = false;
    QTimer::singleShot(0, [&] {
        pendingRan = true;
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->Starting());
        EXPECT_EQ(Runs(), 0);
    });
    ASSERT_TRUE(Start({file, "fox", "/GO", "/go"}));
    EXPECT_TRUE(pendingRan);
    EXPECT_EQ(Runs(), 2);
    EXPECT_EQ(dialogs.saveRequests.size(), 2u); // the save prompt after every run
    const QByteArray header = "***** File: \"" + QByteArray::fromStdString(file) + "\"- Search Pattern=fox *****\r\n";
    EXPECT_EQ(Read(dir.filePath("out.txt")), "*****  New Search  *****\r\n" + header + "fox\r\n");
    EXPECT_FALSE(form->Starting());
    EXPECT_FALSE(form->ClosedWhileStarting());
}

// Search strings reach the run and the file header byte for byte, whether
// they come from the command line (any bytes, any length) or are typed (UTF-8).
struct SearchString {
    const char* name;
    bool typed;         // typed into the field instead of given on the command line
    std::string string; // string 1 as bytes
    std::vector<std::string> lines;
    std::vector<std::string> found;
};

void PrintTo(const SearchString& c, std::ostream* os)
{
    *os << c.name;
}

class SearchStringTest : public StartupTest, public ::testing::WithParamInterface<SearchString> {};

TEST_P(SearchStringTest, FindsItsLinesAndHeadsThemAsGiven)
{
    const SearchString& c = GetParam();
    QByteArray text;
    for (const std::string& line : c.lines)
        text += QByteArray::fromStdString(line) + "\r\n";
    const std::string file = Write("f.txt", text);
    if (c.typed) {
        ASSERT_TRUE(Start({file}));
        // Key by key, each carrying its character as a keyboard layout gives it.
        const QString typed = QString::fromUtf8(c.string.data(), static_cast<qsizetype>(c.string.size()));
        for (const char32_t ch : typed.toUcs4())
            QTest::sendKeyEvent(QTest::Click, Edit("FString1"), Qt::Key_unknown, QString::fromUcs4(&ch, 1),
                                Qt::NoModifier);
        ASSERT_EQ(Edit("FString1")->text(), typed);
        ASSERT_TRUE(Tool("CmdSearch")->isEnabled());
        Tool("CmdSearch")->click();
    } else {
        ASSERT_TRUE(Start({file, c.string, "/GO"}));
    }
    Strings expected{"*****  New Search  *****", "***** File: \"" + file + "\"- Search Pattern=" + c.string + " *****"};
    expected.insert(expected.end(), c.found.begin(), c.found.end());
    EXPECT_EQ(OutputLines(), expected);
    EXPECT_TRUE(dialogs.failures.empty());
}

const std::string Long(40003, 'q');

INSTANTIATE_TEST_SUITE_P(
    CommandLine, SearchStringTest,
    ::testing::Values(
        SearchString{"Latin1Byte", false, "caf\xe9", {"caf\xe9", "cafe", "caf\xc3\xa9", "un caf\xe9 noir"},
                     {"caf\xe9", "un caf\xe9 noir"}},
        SearchString{"Utf8Letter", false, "caf\xc3\xa9", {"caf\xe9", "CAF\xc3\xa9", "caf\xc3\xa9"},
                     {"CAF\xc3\xa9", "caf\xc3\xa9"}},
        SearchString{"CutOffSequenceAfterText", false, "\xe2\x82\xac\xe2\x82", {"\xe2\x82\xac", "\xe2\x82\xac\xe2\x82\xac"},
                     {"\xe2\x82\xac\xe2\x82\xac"}},
        SearchString{"OverlongSlash", false, "\xc0\xaf", {"/", "a\xc0\xaf" "b"}, {"a\xc0\xaf" "b"}},
        SearchString{"EscapeLookalikeIsText", false, "\xed\xb3\xa9", {"\xe9", "\xed\xb3\xa9"}, {"\xed\xb3\xa9"}},
        SearchString{"FortyThousandAndThreeCharacters", false, Long,
                     {Long.substr(0, 32767) + "x", Long.substr(1), Long, "<" + Long + ">"}, {Long, "<" + Long + ">"}},
        SearchString{"TypedUtf8", true, "\xc3\xa9t\xc3\xa9", {"\xe9t\xe9", "\xc3\xa9t\xc3\xa9"}, {"\xc3\xa9t\xc3\xa9"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, StringTwoFromTheCommandLineIsUsedAndShownAsGiven)
{
    const std::string file = Write("f.txt", "fox \xe9t\xe9\r\nfox \xc3\xa9t\xc3\xa9\r\nhen \xe9t\xe9\r\n");
    ASSERT_TRUE(Start({file, "fox", "&NOT", "\xe9t\xe9", "/GO"}));
    EXPECT_EQ(OutputLines(), (Strings{"*****  New Search  *****",
                                      "***** File: \"" + file + "\"- Search Pattern=fox and not \xe9t\xe9 *****",
                                      "fox \xc3\xa9t\xc3\xa9"}));
}

// A close during a "/GO" run at start-up is carried out once: the options are
// written then, later closes write nothing, and the remaining runs take place.
TEST_F(StartupTest, CloseDuringAGoRunWritesTheOptionsOnceAndLetsTheRunsFinish)
{
    QByteArray lines;
    for (int i = 0; i < 300; ++i)
        lines += "hit " + QByteArray::number(i) + "\r\n";
    const std::string file = Write("f.txt", lines);
    QByteArray writtenAtClose;
    QRect placeAtClose;
    int closes = 0;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!SearchRunning || Runs() != closes + 1 || closes == 2)
            return;
        const QRect place = form->normalGeometry();
        form->close();
        if (++closes == 1) {
            placeAtClose = place;
            writtenAtClose = Settings();
            QFile::remove(dir.filePath("quillo.ini")); // a second write would bring it back
        }
    });
    watcher.start();
    ASSERT_TRUE(Start({file, "hit", "/GO", "/GO", "/GO"}));
    watcher.stop();
    EXPECT_EQ(closes, 2);
    // The window as it was then: a run widens its status panels.
    EXPECT_EQ(writtenAtClose, DefaultSettings + "[Window]\n" + PlaceKeys(placeAtClose, false) + DefaultSearchSection);
    EXPECT_FALSE(QFile::exists(dir.filePath("quillo.ini")));
    EXPECT_TRUE(form->ClosedWhileStarting());
    EXPECT_EQ(form->Settings(), nullptr);
    EXPECT_TRUE(dialogs.failures.empty());
    // Runs 1 and 2 were cut short by the closes; run 3 searched the whole file.
    const Strings output = OutputLines();
    EXPECT_EQ(Runs(), 3);
    EXPECT_LT(output.size(), 3u + 3u + 300u + 2u * 300u);
    EXPECT_EQ(output.back(), "hit 299");
    const auto third = std::find(output.rbegin(), output.rend(), "*****  New Search  *****");
    EXPECT_EQ(third - output.rbegin(), 301);
}


// ---- closes inside the running event loop -----------------------------------------

enum class CloseBy { ExitItem, CloseBox };
enum class During { Idle, Run, GoRunAtStartUp };
enum class SaveTo { Nothing, File, MissingFolder };

struct LoopClose {
    const char* name;
    CloseBy by;
    During during;
    bool promptSave; // "Prompt for save after search"
    SaveTo saveTo;
};

void PrintTo(const LoopClose& c, std::ostream* os)
{
    *os << c.name;
}

// The window in the program's own loop (RunMainWindow: FormCreate, then
// QApplication::exec() unless start-up was closed), closed by File > Exit or
// the close box. The dialogs run modal loops of their own, as real ones do.
class LoopCloseTest : public StartupTest, public ::testing::WithParamInterface<LoopClose> {};

TEST_P(LoopCloseTest, TheRunEndsWithItsClosingStepsThenTheLoopEnds)
{
    const LoopClose& c = GetParam();
    // Long enough that the run outlasts several of the event pump's intervals.
    constexpr int Lines = 1'000'000;
    QByteArray text;
    for (int i = 0; i < Lines; ++i)
        text += "hit " + QByteArray::number(i) + "\r\n";
    const std::string file = Write("f.txt", text);
    Write("quillo.ini", c.promptSave ? "[Options]\nSafe After=1\n" : "[Options]\nSafe After=0\n");
    const QString saved = c.saveTo == SaveTo::MissingFolder ? dir.filePath("missing/out.txt") : dir.filePath("out.txt");
    if (c.saveTo != SaveTo::Nothing)
        dialogs.saveAnswers.push_back(saved);
    dialogs.modalLoopMs = 30;

    form = std::make_unique<TForm1>(dialogs);
    form->SetFileListFile(Path("quillo.lst"));
    form->SetSettingsFile(Path("quillo.ini"));
    Strings parameters{file, "hit"};
    if (c.during == During::GoRunAtStartUp)
        parameters.push_back("/GO");
    form->SetCommandLine(parameters);

    const auto close = [&] {
        if (c.by == CloseBy::ExitItem)
            Item("Exit1")->trigger();
        else
            form->windowHandle()->close(); // as the window manager's close request arrives
    };
    bool closed = false;
    bool runningAtClose = false;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (closed)
            return;
        if (c.during == During::Idle) {
            if (!form->isVisible())
                return; // the loop has not shown the window yet
        } else if (!SearchRunning || form->OutputLines().Count() < 50) {
            return;
        }
        closed = true;
        runningAtClose = SearchRunning;
        close();
    });
    QTimer starter; // the Search button, clicked from inside the loop
    starter.setSingleShot(true);
    QObject::connect(&starter, &QTimer::timeout, [&] { Tool("CmdSearch")->click(); });
    QTimer guard; // a loop that never ends fails here instead of hanging
    guard.setSingleShot(true);
    bool guardFired = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        QCoreApplication::exit(1);
    });
    closer.start();
    if (c.during == During::Run)
        starter.start(0);
    guard.start(60000);

    EXPECT_EQ(RunMainWindow(*form), 0);
    closer.stop();
    guard.stop();
    EXPECT_FALSE(guardFired) << "the event loop did not end after the close";
    EXPECT_TRUE(closed);
    EXPECT_EQ(runningAtClose, c.during != During::Idle);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(SearchRunning);
    EXPECT_EQ(form->Settings(), nullptr);
    EXPECT_EQ(TIniFile(Path("quillo.ini")).ReadText("Options", "Safe After", ""), c.promptSave ? "1" : "0");

    const Strings output = OutputLines();
    if (c.during == During::Idle) {
        EXPECT_TRUE(output.empty());
    } else {
        // The close stopped the run at its next poll.
        EXPECT_EQ(Runs(), 1);
        EXPECT_LT(output.size(), static_cast<std::size_t>(Lines) + 2u);
        EXPECT_EQ(dialogs.beeps, 1);
        EXPECT_TRUE(Tool("CmdSearch")->isEnabled()); // unlocked
        EXPECT_TRUE(Tool("CmdSave")->isEnabled());
    }
    const bool prompted = c.during != During::Idle && c.promptSave;
    EXPECT_EQ(dialogs.saveRequests.size(), prompted ? 1u : 0u);
    const bool failed = prompted && c.saveTo == SaveTo::MissingFolder;
    ASSERT_EQ(dialogs.failures.size(), failed ? 1u : 0u);
    if (failed) {
        EXPECT_EQ(dialogs.failures[0].text, "Cannot create file " + saved + ".");
    }
    // Every modal loop ran until it was answered: none was told to quit.
    EXPECT_EQ(dialogs.waited, std::vector<bool>((prompted ? 1u : 0u) + (failed ? 1u : 0u), true));
    if (prompted && c.saveTo == SaveTo::File) {
        QByteArray expected;
        for (const std::string& line : output)
            expected += QByteArray::fromStdString(line) + "\r\n";
        EXPECT_EQ(Read(saved), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Loop, LoopCloseTest,
    ::testing::Values(LoopClose{"ExitDuringARunSavesThenEnds", CloseBy::ExitItem, During::Run, true, SaveTo::File},
                      LoopClose{"CloseBoxDuringARunSavesThenEnds", CloseBy::CloseBox, During::Run, true, SaveTo::File},
                      LoopClose{"FailedSaveAfterTheCloseIsShownThenEnds", CloseBy::ExitItem, During::Run, true,
                                SaveTo::MissingFolder},
                      LoopClose{"CancelledSaveAfterTheCloseEnds", CloseBy::CloseBox, During::Run, true,
                                SaveTo::Nothing},
                      LoopClose{"ExitDuringARunWithoutThePromptEnds", CloseBy::ExitItem, During::Run, false,
                                SaveTo::Nothing},
                      LoopClose{"ExitDuringAGoRunAtStartUpSavesThenEnds", CloseBy::ExitItem,
                                During::GoRunAtStartUp, true, SaveTo::File},
                      LoopClose{"ExitWithoutARunEndsAtOnce", CloseBy::ExitItem, During::Idle, true, SaveTo::Nothing},
                      LoopClose{"CloseBoxWithoutARunEndsAtOnce", CloseBy::CloseBox, During::Idle, true,
                                SaveTo::Nothing}),
    [](const auto& info) { return std::string(info.param.name); });

// In the program's own loop, with a settings file that can never be written
// (its folder is a file, as when XDG_CONFIG_HOME names one): the first close
// is refused with its message box, the second ends the loop and the program.
class UnwritableLoopCloseTest : public StartupTest, public ::testing::WithParamInterface<std::pair<CloseBy, CloseBy>> {};

TEST_P(UnwritableLoopCloseTest, FirstCloseRefusedSecondEndsTheLoop)
{
    Write("cfg", "a file where the folder should be");
    dialogs.modalLoopMs = 30;
    form = std::make_unique<TForm1>(dialogs);
    form->SetFileListFile(Path("quillo.lst"));
    form->SetSettingsFile(Path("cfg/quillo.ini"));

    const auto close = [&](CloseBy by) {
        if (by == CloseBy::ExitItem)
            Item("Exit1")->trigger();
        else
            form->windowHandle()->close(); // as the window manager's close request arrives
    };
    int closes = 0;
    bool inFirstClose = false; // its message box runs a loop of its own
    bool visibleAfterFirst = false;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!form->isVisible() || closes == 2 || inFirstClose)
            return; // not shown yet, done, or the first close's message is up
        if (closes == 0) {
            ++closes;
            inFirstClose = true;
            close(GetParam().first);
            inFirstClose = false;
            visibleAfterFirst = form->isVisible();
        } else {
            ++closes;
            close(GetParam().second);
        }
    });
    QTimer guard; // a loop that never ends fails here instead of hanging
    guard.setSingleShot(true);
    bool guardFired = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        QCoreApplication::exit(1);
    });
    closer.start();
    guard.start(30000);

    EXPECT_EQ(RunMainWindow(*form), 0);
    closer.stop();
    guard.stop();
    EXPECT_FALSE(guardFired) << "the event loop did not end after the second close";
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(visibleAfterFirst);
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text, QString::fromStdString("Unable to write to " + Path("cfg/quillo.ini") + "."));
    EXPECT_EQ(dialogs.waited, std::vector<bool>{true}); // the message box's own loop ran until answered
    EXPECT_EQ(Read(dir.filePath("cfg")), "a file where the folder should be");
}

INSTANTIATE_TEST_SUITE_P(
    Loop, UnwritableLoopCloseTest,
    ::testing::Values(std::pair(CloseBy::ExitItem, CloseBy::ExitItem), std::pair(CloseBy::CloseBox, CloseBy::ExitItem),
                      std::pair(CloseBy::ExitItem, CloseBy::CloseBox)),
    [](const auto& info) {
        const auto by = [](CloseBy b) { return b == CloseBy::ExitItem ? "Exit" : "CloseBox"; };
        return std::string(by(info.param.first)) + "Then" + by(info.param.second);
    });

} // namespace
} // namespace quillo::test
