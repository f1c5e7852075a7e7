// The window's output list: current data at every moment, drawing at display
// rate, lines wider than the list, copying, opening a found line's file, and
// events while a long run holds the thread.
#include "ui/output/header_rows.h"
#include "ui/output/output_list_actions.h"
#include "ui/output/output_view.h"
#include "ui/window/status_panel.h"
#include "ui_test_support.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <utility>

namespace quillo::test {
namespace {

class OutputListTest : public WindowTest {
protected:
    OutputView* View() { return form->OutputListView(); }
    void ShowOutputPage() { Find<PageControl>("PageControl1")->SetCurrentIndex(2); }
    void Search(const QString& string1)
    {
        Edit("FString1")->setText(string1);
        ASSERT_TRUE(Tool("CmdSearch")->isEnabled());
        Tool("CmdSearch")->click();
    }
    // The first row at or below from that holds the line; -1 when none does.
    int RowOf(const std::string& line, int from = 0)
    {
        const std::vector<std::string> lines = OutputLines();
        for (std::size_t row = static_cast<std::size_t>(from); row < lines.size(); ++row)
            if (lines[row] == line)
                return static_cast<int>(row);
        return -1;
    }
    // Brings the page to the front and the row into view; returns its centre.
    QPoint ShowRow(int row)
    {
        ShowOutputPage();
        form->FlushDisplay();
        View()->verticalScrollBar()->setValue(row);
        View()->viewport()->repaint();
        return View()->RowRect(row).center();
    }
};

// Runs the action at the run's first event processing.
void DuringRun(std::function<void()> action)
{
    QTimer::singleShot(0, std::move(action));
}

QByteArray Lines(int count, const char* word = "line")
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += QByteArray(word) + " " + QByteArray::number(i) + "\r\n";
    return bytes;
}

TEST_F(OutputListTest, ShowsLocaleTextAndKeepsTheBytes)
{
    const std::string line = "caf\xc3\xa9 \xff end";
    form->AppendLine(line);
    form->FlushDisplay();
    EXPECT_EQ(form->OutputLines().Line(0), line);
    ASSERT_EQ(View()->RowCount(), 1);
    EXPECT_EQ(View()->RowText(0), QString::fromUtf8("caf\u00e9 \ufffd end"));
}

TEST_F(OutputListTest, RowsReachTheViewAtDisplayRate)
{
    ShowOutputPage();
    QSignalSpy announced(View(), &OutputView::RowsAnnounced);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 3000; ++i) {
        form->AppendLine("line " + std::to_string(i));
        ASSERT_EQ(form->OutputLines().Count(), static_cast<std::size_t>(i + 1)); // the data is always current
        if (i % 10 == 9)
            form->ProcessEvents();
    }
    const qint64 frames = clock.elapsed() / RunDisplay::FrameMs + 2;
    EXPECT_LE(announced.count(), frames);
    QTRY_COMPARE(View()->RowCount(), 3000);
    EXPECT_EQ(View()->TopRow(), 0); // appending never scrolls
    EXPECT_EQ(View()->SelectedRow(), -1);
}

// ---- lines wider than the list ----------------------------------------------------

struct WideCase {
    const char* name;
    int chars;
    bool scrolls; // a horizontal scroll bar
    bool cut;     // shown up to the bound, with the mark
};

void PrintTo(const WideCase& c, std::ostream* os)
{
    *os << c.name;
}

class WideLines : public OutputListTest, public ::testing::WithParamInterface<WideCase> {};

TEST_P(WideLines, ScrollSidewaysAndStayWholeInTheList)
{
    const WideCase& c = GetParam();
    const std::string line(static_cast<std::size_t>(c.chars), 'x');
    form->AppendLine("short");
    form->AppendLine(line);
    ShowRow(0);
    QScrollBar* bar = View()->horizontalScrollBar();
    EXPECT_EQ(bar->maximum() > 0, c.scrolls);
    QTRY_COMPARE(bar->isVisible(), c.scrolls);
    if (c.scrolls) {
        EXPECT_EQ(bar->maximum(), View()->ContentWidth() - View()->viewport()->width());
        bar->setValue(bar->maximum());
        View()->viewport()->repaint();
        EXPECT_EQ(bar->value(), bar->maximum());
    }
    const LineStart shown = View()->RowShown(1);
    EXPECT_EQ(shown.cut, c.cut);
    EXPECT_EQ(shown.text.size(), c.cut ? OutputView::ShownChars : c.chars);
    const QString tip = View()->RowToolTip(1);
    EXPECT_TRUE(tip.startsWith(QString(static_cast<int>(std::min<qsizetype>(c.chars, OutputView::TipChars)), 'x')));
    EXPECT_LE(tip.size(), OutputView::TipChars + QString::fromUtf16(OutputView::CutMark).size());

    // The list and Save keep the whole line.
    EXPECT_EQ(form->OutputLines().Line(1), line);
    form->SetSaveEnabled(true);
    const QString out = dir.filePath("wide.txt");
    dialogs.saveAnswers.push_back(out);
    Tool("CmdSave")->click();
    EXPECT_EQ(Read(out), "short\r\n" + QByteArray::fromStdString(line) + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(OutputList, WideLines,
                         ::testing::Values(WideCase{"NarrowLine", 20, false, false},
                                           WideCase{"WiderThanTheList", 400, true, false},
                                           WideCase{"PastTheBoundOnScreen", 5000, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- copy -------------------------------------------------------------------------

enum class Clip { Untouched, Selected, All };

struct CopyCase {
    const char* name;
    std::function<void(OutputListTest&, OutputView&)> act;
    Clip clip;
};

void PrintTo(const CopyCase& c, std::ostream* os)
{
    *os << c.name;
}

auto MenuItem(const char* name)
{
    return [name](OutputListTest&, OutputView& view) {
        const QPoint at = view.RowRect(1).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.viewport(), &event);
        auto* menu = view.findChild<QMenu*>(QStringLiteral("OutputMenu"));
        ASSERT_NE(menu, nullptr);
        auto* item = menu->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        menu->close();
    };
}

class Copying : public OutputListTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(Copying, ReachesTheClipboardThroughTheWindow)
{
    const CopyCase& c = GetParam();
    const std::vector<std::string> lines = {"alpha", "caf\xc3\xa9 \xff", "gamma"};
    for (const std::string& line : lines)
        form->AppendLine(line);
    form->SetSaveEnabled(true);
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, ShowRow(1));
    ASSERT_EQ(View()->SelectedRow(), 1);
    ASSERT_TRUE(View()->hasFocus());
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    c.act(*this, *View());

    const QString expected = c.clip == Clip::Selected ? QString::fromUtf8("caf\u00e9 \ufffd")
                             : c.clip == Clip::All    ? QString::fromUtf8("alpha\ncaf\u00e9 \ufffd\ngamma")
                                                      : QStringLiteral("before");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    EXPECT_TRUE(dialogs.failures.empty());
    EXPECT_TRUE(Tool("CmdSave")->isEnabled()); // no menu item acted
}

INSTANTIATE_TEST_SUITE_P(
    OutputList, Copying,
    ::testing::Values(CopyCase{"CtrlInsertCopiesTheSelectedLine",
                               [](OutputListTest&, OutputView& v) {
                                   QTest::keyClick(&v, Qt::Key_Insert, Qt::ControlModifier);
                               },
                               Clip::Selected},
                      CopyCase{"KeypadCtrlInsertCopies",
                               [](OutputListTest&, OutputView& v) {
                                   QTest::keyClick(&v, Qt::Key_Insert, Qt::ControlModifier | Qt::KeypadModifier);
                               },
                               Clip::Selected},
                      CopyCase{"CtrlCStaysTheMenusCancel",
                               [](OutputListTest&, OutputView& v) {
                                   QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
                               },
                               Clip::Untouched},
                      CopyCase{"MenuCopy", MenuItem("mCopy"), Clip::Selected},
                      CopyCase{"MenuCopyAll", MenuItem("mCopyAll"), Clip::All}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- open -------------------------------------------------------------------------

class Opening;

struct OpenCase {
    const char* name;
    // Fills the list; returns the row to open and the file it should open
    // (empty: only a beep).
    std::function<std::pair<int, std::string>(Opening&)> arrange;
    bool byEnter = false;
};

void PrintTo(const OpenCase& c, std::ostream* os)
{
    *os << c.name;
}

class Opening : public OutputListTest, public ::testing::WithParamInterface<OpenCase> {
public:
    using OutputListTest::RowOf;
    using WindowTest::form;
    using WindowTest::Path;
    using WindowTest::Tool;
    using WindowTest::Write;

    std::string File(const char* name, const QByteArray& bytes = "fox 1\r\nfox 2\r\n")
    {
        const std::string path = Write(QString::fromUtf8(name), bytes);
        form->AppendFileEntry(path);
        return path;
    }
    void SearchFox() { Search(QStringLiteral("fox")); }
};

TEST_P(Opening, OpensTheFileOfTheNearestHeaderAboveOrBeeps)
{
    const OpenCase& c = GetParam();
    const auto [row, expected] = c.arrange(*this);
    ASSERT_GE(row, 0);
    const int beeps = dialogs.beeps;
    const std::size_t urls = dialogs.urls.size();

    const QPoint at = ShowRow(row);
    ASSERT_LT(row, View()->RowCount());
    if (c.byEnter) {
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, at);
        QTest::keyClick(View(), Qt::Key_Return);
    } else {
        QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, at);
    }

    if (expected.empty()) {
        EXPECT_EQ(dialogs.beeps, beeps + 1);
        EXPECT_EQ(dialogs.urls.size(), urls);
    } else {
        EXPECT_EQ(dialogs.beeps, beeps);
        ASSERT_EQ(dialogs.urls.size(), urls + 1);
        EXPECT_EQ(dialogs.urls.back(), FileUrl(expected));
        EXPECT_EQ(dialogs.urls.back().toLocalFile(), QFile::decodeName(QByteArray::fromStdString(expected)));
    }
    EXPECT_TRUE(dialogs.failures.empty());
}

INSTANTIATE_TEST_SUITE_P(
    OutputList, Opening,
    ::testing::Values(
        OpenCase{"HeaderRowOpensItsFile",
                 [](auto& t) {
                     const std::string a = t.File("a.txt");
                     t.SearchFox();
                     return std::pair{1, a};
                 }},
        OpenCase{"FoundLineOpensTheFileAboveIt",
                 [](auto& t) {
                     t.File("a.txt");
                     const std::string b = t.File("b.txt", "fox b\r\n");
                     t.SearchFox();
                     return std::pair{t.RowOf("fox b"), b};
                 }},
        OpenCase{"EnterOnAFoundLine",
                 [](auto& t) {
                     const std::string a = t.File("a.txt");
                     t.SearchFox();
                     return std::pair{t.RowOf("fox 2"), a};
                 },
                 true},
        OpenCase{"NewSearchLineBeeps",
                 [](auto& t) {
                     t.File("a.txt");
                     t.SearchFox();
                     t.SearchFox();
                     return std::pair{t.RowOf("*****  New Search  *****", 1), std::string()};
                 }},
        OpenCase{"LineWithNoHeaderAfterAClearDuringARunBeeps",
                 [](auto& t) {
                     t.File("a.txt", Lines(25, "fox"));
                     DuringRun([&t] { t.Tool("CmdClear")->click(); });
                     t.SearchFox();
                     return std::pair{5, std::string()};
                 }},
        OpenCase{"FileRemovedAfterTheRunBeeps",
                 [](auto& t) {
                     const std::string a = t.File("a.txt");
                     t.SearchFox();
                     std::filesystem::remove(a);
                     return std::pair{t.RowOf("fox 1"), std::string()};
                 }},
        OpenCase{"FolderEntryBeeps",
                 [](auto& t) {
                     t.form->AppendFileEntry(t.Path(QString()));
                     t.SearchFox();
                     return std::pair{1, std::string()};
                 }},
        OpenCase{"FoundLineThatLooksLikeAHeader",
                 [](auto& t) {
                     const std::string other = t.Write(QStringLiteral("other.txt"), "fox\r\n");
                     const std::string a = t.File(
                         "a.txt", QByteArray::fromStdString("***** File: \"" + other + "\"- Search Pattern=fox *****\r\n"));
                     t.SearchFox();
                     return std::pair{2, a};
                 }},
        OpenCase{"NameHoldingTheHeaderText",
                 [](auto& t) {
                     const std::string odd = t.File("x\"- Search Pattern=fox ***** y.txt");
                     t.SearchFox();
                     return std::pair{t.RowOf("fox 2"), odd};
                 }},
        OpenCase{"RelativeEntryFromTheRunsFolder",
                 [](auto& t) {
                     t.Write(QStringLiteral("rel.txt"), "fox\r\n");
                     const auto before = std::filesystem::current_path();
                     const auto folder = std::filesystem::canonical(t.Path(QString()));
                     std::filesystem::current_path(folder);
                     t.form->AppendFileEntry("rel.txt");
                     t.SearchFox();
                     std::filesystem::current_path(before); // opened from where the run read it
                     return std::pair{2, (folder / "rel.txt").string()};
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

struct EntryCase {
    const char* name;
    const char* entry;
    const char* folder;
    const char* path;
};

void PrintTo(const EntryCase& c, std::ostream* os)
{
    *os << c.name;
}

class EntryPaths : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryPaths, AreOpenedFromTheFolderTheRunReadThemIn)
{
    const EntryCase& c = GetParam();
    EXPECT_EQ(EntryPath(c.entry, c.folder), c.path);
}

INSTANTIATE_TEST_SUITE_P(OutputList, EntryPaths,
                         ::testing::Values(EntryCase{"Absolute", "/a/b.txt", "/home/u", "/a/b.txt"},
                                           EntryCase{"Relative", "b.txt", "/home/u", "/home/u/b.txt"},
                                           EntryCase{"RelativeWithFolders", "../x/./b.txt", "/home/u",
                                                     "/home/u/../x/./b.txt"},
                                           EntryCase{"FromTheRoot", "b.txt", "/", "/b.txt"},
                                           EntryCase{"EmptyEntryNamesNoFile", "", "/home/u", ""},
                                           EntryCase{"FolderUnknown", "b.txt", "", "b.txt"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A run over many files records a header per file; what the window read of
// an earlier header stays where it is, and a list started again drops the
// headers from its first row on.
TEST(HeaderRowsRecord, EarlierHeadersStayInPlaceAsManyMoreAreAdded)
{
    HeaderRows headers;
    headers.AddRun(0);
    headers.AddFile(1, "/first.txt");
    const std::string* first = headers.FileOf(5);
    ASSERT_NE(first, nullptr);
    for (std::size_t file = 2; file < 100000; ++file)
        headers.AddFile(file * 3, "/f" + std::to_string(file));
    EXPECT_EQ(headers.FileOf(2), first);
    EXPECT_EQ(*first, "/first.txt");
    ASSERT_NE(headers.FileOf(3 * 99999 + 2), nullptr);
    EXPECT_EQ(*headers.FileOf(3 * 99999 + 2), "/f99999");
    EXPECT_EQ(headers.FileOf(0), nullptr);

    headers.AddRun(3 * 500); // the list started again from that row
    EXPECT_EQ(headers.Count(), 2u + 498u + 1u); // run, first file, files 2 to 499, the new run
    EXPECT_EQ(headers.FileOf(3 * 99999), nullptr);
    EXPECT_EQ(*headers.FileOf(3 * 499 + 1), "/f499");
    EXPECT_EQ(headers.FileOf(2), first);
}

// ---- events while a run holds the thread --------------------------------------------

TEST_F(OutputListTest, PanelTextsAreCurrentAtEveryRefreshButPaintedAtDisplayRate)
{
    auto* panel = Find<StatusPanel>("StatusPanel0");
    ASSERT_NE(panel, nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(panel);
    ASSERT_NE(accessible, nullptr);
    PaintCounter counter;
    panel->installEventFilter(&counter);
    const std::uint64_t runs = form->EventRuns();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 2000; ++i) {
        const std::string text = "Lines Searched: " + std::to_string(i);
        form->SetPanelText(0, text);
        ASSERT_EQ(form->PanelText(0).toStdString(), text);
        ASSERT_EQ(accessible->text(QAccessible::Name).toStdString(), text);
        form->ProcessEvents();
    }
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(counter.paints, elapsed / RunDisplay::FrameMs + 2);
    const auto interval = std::chrono::duration_cast<std::chrono::milliseconds>(EventPump::Interval).count();
    EXPECT_LE(form->EventRuns() - runs, static_cast<std::uint64_t>(elapsed / interval + 2));
    panel->removeEventFilter(&counter);
}

TEST_F(OutputListTest, OfferedEventsRunOnceTheIntervalHasPassed)
{
    using Clock = EventPump::Clock;
    QElapsedTimer limit;
    limit.start();
    // An offer that runs the events; the clock is read before it.
    Clock::time_point ranFrom;
    std::uint64_t runs = form->EventRuns();
    do {
        ranFrom = Clock::now();
        form->ProcessEvents();
    } while (form->EventRuns() == runs && limit.elapsed() < 5000);
    ASSERT_EQ(form->EventRuns(), runs + 1);
    runs = form->EventRuns();
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });

    while (form->EventRuns() == runs && limit.elapsed() < 5000)
        form->ProcessEvents();
    const Clock::duration gap = Clock::now() - ranFrom;
    EXPECT_EQ(form->EventRuns(), runs + 1);
    EXPECT_TRUE(handled);
    EXPECT_GE(gap, EventPump::Interval);
    // The run's call after its last file runs them at once.
    handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    form->ProcessPendingEvents();
    EXPECT_TRUE(handled);
}

struct LongRunCase {
    const char* name;
    const char* button;
    bool stops;   // the run ends before the long file's end
    bool empties; // the list is emptied while the run goes on
};

void PrintTo(const LongRunCase& c, std::ostream* os)
{
    *os << c.name;
}

class LongRun : public OutputListTest, public ::testing::WithParamInterface<LongRunCase> {};

// A click that arrives after the run's first event processing is handled at
// a later one, however briefly the run lets events run.
TEST_P(LongRun, ClickPostedDuringTheRunIsHandled)
{
    const LongRunCase& c = GetParam();
    constexpr int Count = 1'000'000;
    form->AppendFileEntry(Write("long.txt", Lines(Count)));
    form->AppendFileEntry(Write("after.txt", "line after\r\n"));
    Box("OptionLineCount")->setChecked(true);
    // A timer due at every event processing; its third firing clicks.
    QTimer ticks;
    ticks.setInterval(0);
    int fired = 0;
    bool clicked = false;
    std::size_t linesAtClick = 0;
    const std::uint64_t runsBefore = form->EventRuns();
    std::uint64_t runsAtClick = 0;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        if (++fired < 3)
            return;
        ticks.stop();
        clicked = true;
        linesAtClick = form->OutputLines().Count();
        runsAtClick = form->EventRuns();
        Tool(c.button)->click();
    });
    DuringRun([&] { ticks.start(); });
    Search(QStringLiteral("line"));
    ticks.stop();
    ASSERT_TRUE(clicked);
    EXPECT_GE(runsAtClick - runsBefore, 2u) << "handled at a later event processing than the first";
    const OutputLineStore& lines = form->OutputLines();
    const std::string last(lines.Line(lines.Count() - 1));
    const QString searched = form->PanelText(0);
    if (c.stops) {
        EXPECT_NE(searched, "Lines Searched: 1,000,001");
        EXPECT_NE(last, "line after");
        EXPECT_LT(lines.Count(), static_cast<std::size_t>(Count));
    } else {
        EXPECT_EQ(searched, "Lines Searched: 1,000,001");
        EXPECT_EQ(last, "line after");
    }
    if (c.empties) {
        // The click came between two lines: the found lines after it, the
        // second header and its line.
        const std::size_t foundBefore = linesAtClick - 2;
        EXPECT_EQ(lines.Count(), Count - foundBefore + 2);
        EXPECT_EQ(lines.Line(0), "line " + std::to_string(foundBefore + 1));
        EXPECT_EQ(View()->RowCount(), static_cast<int>(lines.Count()));
    }
    EXPECT_EQ(dialogs.beeps, 1);
}

INSTANTIATE_TEST_SUITE_P(OutputList, LongRun,
                         ::testing::Values(LongRunCase{"CancelStopsTheRun", "CmdCancel", true, false},
                                           LongRunCase{"ClearEmptiesTheListAndTheRunGoesOn", "CmdClear", false,
                                                       true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillo::test
