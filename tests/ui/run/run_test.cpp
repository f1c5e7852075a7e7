// Search runs in the window: output lines and panels, Cancel, Clear and other
// events arriving during a run, saving, failures and the About window.
#include "search/search_run.h"
#include "ui/dialogs/About.h"
#include "ui/output/output_view.h"
#include "ui_test_support.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>

namespace quillo::test {
namespace {

QByteArray Lines(int count, const char* word = "line")
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += QByteArray(word) + " " + QByteArray::number(i) + "\r\n";
    return bytes;
}

std::string Header(const std::string& file, const std::string& pattern)
{
    return "***** File: \"" + file + "\"- Search Pattern=" + pattern + " *****";
}

// Runs the action at the run's first event processing.
void DuringRun(std::function<void()> action)
{
    QTimer::singleShot(0, std::move(action));
}

class RunTest : public WindowTest {
protected:
    void Search(const QString& string1)
    {
        Edit("FString1")->setText(string1);
        ASSERT_TRUE(Tool("CmdSearch")->isEnabled());
        Tool("CmdSearch")->click();
    }
    void ExpectIdle()
    {
        EXPECT_TRUE(Tool("CmdSearch")->isEnabled());
        EXPECT_TRUE(Menu("mSearch")->isEnabled());
        EXPECT_TRUE(Tool("CmdSave")->isEnabled());
        EXPECT_TRUE(Item("mSave")->isEnabled());
        EXPECT_FALSE(Tool("CmdCancel")->isEnabled());
        EXPECT_FALSE(Item("mCancel")->isEnabled());
        EXPECT_TRUE(Find("MainPage")->isEnabled());
        EXPECT_TRUE(form->DropEnabled());
        EXPECT_FALSE(SearchRunning);
        EXPECT_EQ(form->windowTitle(), "Quillo");
        EXPECT_EQ(ApplicationTitle(), "Quillo");
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
};

// A run names every file it opens in the caption; the window shows the
// caption with its frames, not once per file: 400 files change the window's
// title a few times, and the run ends with the idle caption shown.
TEST_F(RunTest, CaptionIsShownPerFrameNotPerFile)
{
    for (int i = 0; i < 400; ++i)
        form->AppendFileEntry(Write(QString("f%1.txt").arg(i), "a fox\r\n"));
    struct TitleChanges : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            count += event->type() == QEvent::WindowTitleChange;
            return false;
        }
    } changes;
    form->installEventFilter(&changes);
    Search("fox");
    form->removeEventFilter(&changes);
    EXPECT_EQ(form->OutputLines().Count(), 801u);
    EXPECT_LT(changes.count, 40);
    ExpectIdle();
}

TEST_F(RunTest, RunOverFilesGivesItsLinesAndPanels)
{
    // 648 lines of 16 bytes: 81 blocks of 128 bytes, 10 "Kb".
    QByteArray bytes;
    for (int i = 1; i <= 648; ++i)
        bytes += (i % 100 == 5 ? QByteArray("the Fox ") : QByteArray("line ")) +
                 QByteArray::number(i).rightJustified(14 - (i % 100 == 5 ? 8 : 5), '.') + "\r\n";
    ASSERT_EQ(bytes.size(), 10368);
    const std::string a = Write("a.txt", bytes);
    const std::string missing = QFile::encodeName(dir.filePath("missing.txt")).toStdString();
    form->AppendFileEntry(a);
    form->AppendFileEntry(missing);
    Box("OptionLineCount")->setChecked(true);
    Box("OptionWordCount")->setChecked(true);
    Box("OptionNumbering")->setChecked(true);

    Search("fox");

    std::vector<std::string> expected = {"*****  New Search  *****", Header(a, "fox")};
    for (int i = 5; i <= 648; i += 100)
        expected.push_back(std::to_string(i) + " : the Fox " + QByteArray::number(i).rightJustified(6, '.').toStdString());
    expected.push_back(Header(missing, "fox"));
    EXPECT_EQ(OutputLines(), expected);
    EXPECT_EQ(form->OutputListView()->RowCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(form->OutputListView()->RowText(2), "5 : the Fox .....5");
    // The missing file's end-of-file refresh leaves its -1 blocks as "-0".
    EXPECT_EQ(Panels(), (std::vector<QString>{"Lines Searched: 648", "Lines Found: 7", "File Position: -0 Kb",
                                              "Words Found: 7"}));
    EXPECT_EQ(dialogs.beeps, 1);
    ExpectIdle();
}

// An expression that does not compile: an error, and nothing of the run.
TEST_F(RunTest, InvalidExpressionShowsAnErrorAndChangesNothing)
{
    form->AppendFileEntry(Write("a.txt", "fox (fox\r\n"));
    Box("OptionRegex")->setChecked(true);
    Search("(fox");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Error");
    EXPECT_EQ(dialogs.messages[0].text, "Invalid regular expression: missing ): (fox");
    EXPECT_EQ(form->OutputLines().Count(), 0u);
    EXPECT_FALSE(Tool("CmdSave")->isEnabled()) << "no run took place";
    EXPECT_EQ(dialogs.beeps, 0);
    EXPECT_TRUE(Find("MainPage")->isEnabled());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // As plain text the same string is found; whole words as well.
    Box("OptionRegex")->setChecked(false);
    Box("OptionWholeWords")->setChecked(true);
    Search("(fox");
    EXPECT_EQ(OutputLines().back(), "fox (fox");
    ExpectIdle();
}

TEST_F(RunTest, EmptyFileListShowsAnErrorAndChangesNothing)
{
    form->Invoke(&TForm1::CmdSearchClick);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Error");
    EXPECT_EQ(dialogs.messages[0].text, "Enter the filename first");
    EXPECT_EQ(form->OutputLines().Count(), 0u);
    EXPECT_FALSE(Tool("CmdSave")->isEnabled());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(RunTest, CancelDuringTheSecondOfThreeFilesStopsAfterItsCurrentLine)
{
    const std::string f1 = Write("1.txt", Lines(5));
    const std::string f2 = Write("2.txt", Lines(25));
    form->AppendFileEntry(f1);
    form->AppendFileEntry(f2);
    form->AppendFileEntry(Write("3.txt", Lines(5)));
    Box("OptionLineCount")->setChecked(true);
    bool cancelEnabled = false;
    DuringRun([&] {
        cancelEnabled = Tool("CmdCancel")->isEnabled();
        Tool("CmdCancel")->click(); // the first events run after line 10 of file 2
    });
    Search("nothing");
    EXPECT_TRUE(cancelEnabled);
    EXPECT_EQ(OutputLines(),
              (std::vector<std::string>{"*****  New Search  *****", Header(f1, "nothing"), Header(f2, "nothing")}));
    EXPECT_EQ(form->PanelText(0), "Lines Searched: 15");
    EXPECT_EQ(dialogs.beeps, 1);
    ExpectIdle();
}

TEST_F(RunTest, CtrlCDuringARunDoesNothingButAltCCancels)
{
    for (const char* name : {"1.txt", "2.txt", "3.txt"})
        form->AppendFileEntry(Write(name, Lines(20)));
    DuringRun([&] { QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier); });
    Search("zzz");
    EXPECT_EQ(OutputLines().size(), 4u); // every file got its header

    DuringRun([&] { QTest::keyClick(form.get(), Qt::Key_C, Qt::AltModifier); });
    Tool("CmdSearch")->click();
    EXPECT_EQ(OutputLines().size(), 4u + 2u); // stopped in the first file
}

TEST_F(RunTest, FilesOpenedDuringARunAreSearchedByIt)
{
    form->AppendFileEntry(Write("1.txt", Lines(20)));
    const std::string f2 = Write("2.txt", "fox\r\n");
    dialogs.openAnswers.push_back(QStringList{QFile::decodeName(f2.c_str())});
    bool searchLocked = false;
    DuringRun([&] {
        QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
        // A second run must not be startable inside this one.
        searchLocked = !Tool("CmdSearch")->isEnabled();
    });
    Search("fox");
    EXPECT_TRUE(searchLocked);
    EXPECT_EQ(OutputLines().back(), "fox");
    EXPECT_TRUE(Item("mStart")->isEnabled());
    ExpectIdle();
}

TEST_F(RunTest, ClearDuringARunEmptiesTheListAndKeepsTheCounts)
{
    form->AppendFileEntry(Write("1.txt", Lines(25)));
    Box("OptionLineCount")->setChecked(true);
    DuringRun([&] { Tool("CmdClear")->click(); });
    Search("line");
    std::vector<std::string> expected;
    for (int i = 10; i <= 25; ++i)
        expected.push_back("line " + std::to_string(i));
    EXPECT_EQ(OutputLines(), expected);
    EXPECT_EQ(form->OutputListView()->RowCount(), 16);
    EXPECT_EQ(form->PanelText(0), "Lines Searched: 25");
    EXPECT_EQ(form->PanelText(1), "Lines Found: 25");
}

TEST_F(RunTest, ClosingTheWindowDuringARunStopsIt)
{
    form->AppendFileEntry(Write("1.txt", Lines(30)));
    form->AppendFileEntry(Write("2.txt", Lines(30)));
    DuringRun([&] { form->close(); });
    Search("zzz");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(OutputLines().size(), 2u);
}

TEST_F(RunTest, ClearEverythingResetsTheWindowOnce)
{
    form->AppendFileEntry(Write("1.txt", Lines(3)));
    dialogs.openAnswers.push_back(QStringList{dir.filePath("1.txt")});
    Tool("CmdOpen")->click();
    Edit("FString2")->setText("b");
    Find<QComboBox>("FOperator")->setCurrentIndex(2);
    Search("line");
    Box("OptionClearAll")->setChecked(true);
    for (int round = 0; round < 2; ++round) {
        Tool("CmdClear")->click();
        EXPECT_TRUE(Edit("FString1")->text().isEmpty());
        EXPECT_TRUE(Edit("FString2")->text().isEmpty());
        EXPECT_EQ(Find<QComboBox>("FOperator")->currentText(), "Or");
        EXPECT_EQ(form->OutputListView()->RowCount(), 0);
        EXPECT_EQ(Panels(), (std::vector<QString>{"Lines Searched: None", "Lines Found: None", "File Position: N/A",
                                                  "Words Found: None"}));
        EXPECT_FALSE(Tool("CmdSave")->isEnabled());
        EXPECT_FALSE(Item("mSave")->isEnabled());
        EXPECT_TRUE(form->OpenDialogName().isEmpty());
        EXPECT_FALSE(Tool("CmdSearch")->isEnabled()); // string 1 emptied
        EXPECT_FALSE(Menu("mSearch")->isEnabled());
    }
}

TEST_F(RunTest, PlainClearAfterARunKeepsSaveAndSavesAnEmptyFile)
{
    form->AppendFileEntry(Write("1.txt", Lines(3)));
    Search("line");
    Tool("CmdClear")->click();
    EXPECT_EQ(form->OutputListView()->RowCount(), 0);
    EXPECT_EQ(Edit("FString1")->text(), "line");
    ASSERT_TRUE(Tool("CmdSave")->isEnabled());
    const QString out = dir.filePath("empty.txt");
    Write("empty.txt", "old content");
    dialogs.saveAnswers.push_back(out);
    Tool("CmdSave")->click();
    EXPECT_EQ(Read(out), QByteArray());
}

TEST_F(RunTest, SaveWritesEveryLineWithCrLfAndRemembersTheName)
{
    form->AppendLine("a");
    form->AppendLine("b");
    form->SetSaveEnabled(true);
    const QString out = dir.filePath("out.txt");
    dialogs.saveAnswers.push_back(out);
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Read(out), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(form->SaveDialogName(), out);

    QFile::remove(out);
    Tool("CmdSave")->click(); // cancelled
    ASSERT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(dialogs.saveRequests[1].fileName, out);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(form->SaveDialogName(), out);
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(RunTest, SaveFailureReachesTheErrorDisplay)
{
    form->AppendLine("a");
    form->SetSaveEnabled(true);
    const QString out = dir.filePath("no-such-folder/out.txt");
    dialogs.saveAnswers.push_back(out);
    Tool("CmdSave")->click();
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].caption, "Quillo");
    EXPECT_EQ(dialogs.failures[0].text, "Cannot create file " + out + ".");
    EXPECT_EQ(form->OutputLines().Count(), 1u);
    EXPECT_TRUE(Tool("CmdSave")->isEnabled());
}

TEST_F(RunTest, PromptAfterEveryRunOffersAnEmptyNameAndSavesTheList)
{
    const std::string a = Write("a.txt", QByteArray("fox\0tail\r\n", 10));
    form->AppendFileEntry(a);
    Box("OptionSave")->setChecked(true);
    const QString out = dir.filePath("run.txt");
    dialogs.saveAnswers.push_back(out);
    Search("fox");
    // The line is held and saved up to its zero byte.
    EXPECT_EQ(Read(out), QByteArray("*****  New Search  *****\r\n") + Header(a, "fox").c_str() + "\r\nfox\r\n");
    Tool("CmdSearch")->click(); // prompt cancelled this time
    ASSERT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_TRUE(dialogs.saveRequests[0].fileName.isEmpty());
    EXPECT_TRUE(dialogs.saveRequests[1].fileName.isEmpty());
}


class FullListTest : public WindowTest {
protected:
    FullListTest() : WindowTest(400) {}
};

// A "/GO" run at start that fails ends the command line: one box, captioned
// with the file being searched.
TEST_F(FullListTest, ARefusedLineInAGoRunAtStartIsCaptionedWithItsFile)
{
    const std::string first = Write("1.txt", Lines(100));
    auto starting = std::make_unique<TForm1>(dialogs, 400);
    starting->SetFileListFile(Path("quillo.lst"));
    starting->SetSettingsFile(Path("quillo.ini"));
    starting->SetCommandLine({first, "line", "/GO", "/GO"});
    EXPECT_FALSE(starting->Invoke(&TForm1::FormCreate));
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text, "Unable to insert a line.");
    EXPECT_EQ(dialogs.failures[0].caption, QString::fromStdString("Searching " + first));
    EXPECT_EQ(ApplicationTitle(), "Quillo");
    EXPECT_EQ(starting->windowTitle(), "Quillo");
    starting.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(FullListTest, ARefusedLineEndsTheRunInTheIdleStateAndIsReported)
{
    const std::string first = Write("1.txt", Lines(100));
    form->AppendFileEntry(first);
    form->AppendFileEntry(Write("2.txt", Lines(100)));
    Edit("FString1")->setText("line");
    Tool("CmdSearch")->click();
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text, "Unable to insert a line.");
    // Captioned with the title of the moment it arose; the title is idle after.
    EXPECT_EQ(dialogs.failures[0].caption, QString::fromStdString("Searching " + first));
    EXPECT_EQ(ApplicationTitle(), "Quillo");
    EXPECT_EQ(form->windowTitle(), "Quillo");
    EXPECT_LT(form->OutputLines().Count(), 100u);
    EXPECT_TRUE(Tool("CmdSearch")->isEnabled());
    EXPECT_TRUE(Find("MainPage")->isEnabled());
    EXPECT_FALSE(Tool("CmdCancel")->isEnabled());
    EXPECT_FALSE(SearchRunning);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A failure after the run is captioned with the idle title again.
    form->SetSaveEnabled(true);
    dialogs.saveAnswers.push_back(dir.filePath("no-such-folder/out.txt"));
    Tool("CmdSave")->click();
    ASSERT_EQ(dialogs.failures.size(), 2u);
    EXPECT_EQ(dialogs.failures[1].caption, "Quillo");
}

// ---- About ----------------------------------------------------------------------

TEST_F(WindowTest, AboutOpensAFreshWindowEachTimeWithItsLinks)
{
    QPointer<TAbout> first;
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<TAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(about, About.data());
            EXPECT_EQ(about->windowTitle(), "About Quillo");
            EXPECT_EQ(about->size(), QSize(309, 248));
            EXPECT_TRUE(about->windowFlags() & Qt::WindowStaysOnTopHint);
            EXPECT_EQ(about->findChild<QLabel*>("Label1")->text(), "Quillo");
            EXPECT_EQ(about->findChild<QLabel*>("Label2")->text(), "Version 97.1.9");
            if (round == 0) {
                first = about;
                QTest::mouseDClick(about->findChild<QLabel*>("Label1"), Qt::LeftButton);
                QTest::mouseDClick(about->findChild<QLabel*>("Label6"), Qt::LeftButton);
                QTest::mouseDClick(about->findChild<QLabel*>("Label8"), Qt::LeftButton);
            } else {
                EXPECT_TRUE(first.isNull()); // the first one is gone
            }
            about->close();
        });
        Tool("CmdAbout")->click();
    }
    EXPECT_TRUE(About.isNull());
    ASSERT_EQ(dialogs.urls.size(), 3u);
    EXPECT_EQ(dialogs.urls[0], TAbout::WebLink());
    EXPECT_EQ(dialogs.urls[1].scheme(), "mailto");
    EXPECT_EQ(dialogs.urls[2], TAbout::WebLink());
}

TEST_F(RunTest, AboutDuringARunHoldsTheRunUntilClosed)
{
    form->AppendFileEntry(Write("1.txt", Lines(40)));
    Box("OptionLineCount")->setChecked(true);
    QString whileOpen, afterWait;
    DuringRun([&] {
        QTimer::singleShot(0, [&] {
            whileOpen = form->PanelText(0);
            QTest::qWait(30);
            afterWait = form->PanelText(0);
            QApplication::activeModalWidget()->close();
        });
        Tool("CmdAbout")->click();
    });
    Search("zzz");
    EXPECT_EQ(whileOpen, "Lines Searched: 10");
    EXPECT_EQ(afterWait, whileOpen);
    EXPECT_EQ(form->PanelText(0), "Lines Searched: 40");
}

} // namespace
} // namespace quillo::test
