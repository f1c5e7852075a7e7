// The window's output list: current data at every moment, drawing at display
// rate, lines wider than the list, copying, opening a found line's file, and
// events while a long run holds the thread.
#include "search/save/write_target.h"
#include "ui/output/find_bar.h"
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
    void FOperatorOr() { Find<QComboBox>("FOperator")->setCurrentIndex(1); }
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

// ---- open in the user's editor ----------------------------------------------------

struct EditorCase {
    const char* name;
    const char* command;
    const char* row;      // the line of the row to open ("" : the file's header)
    QStringList expected; // "@" stands for the file's path; empty: nothing started
    bool starts = true;   // what starting the program answers
};

void PrintTo(const EditorCase& c, std::ostream* os)
{
    *os << c.name;
}

class EditorOpening : public OutputListTest, public ::testing::WithParamInterface<EditorCase> {};

TEST_P(EditorOpening, FoundLinesOpenAtTheirLine)
{
    const EditorCase& c = GetParam();
    const std::string path = Write(QStringLiteral("-my file's \"name\".txt"), "no\r\nfox 2\r\nno\r\nfox 4\r\n");
    form->AppendFileEntry(path);
    Box("OptionNumbering")->setChecked(std::string(c.name).find("Numbered") != std::string::npos);
    Search(QStringLiteral("fox"));
    form->OutputActions().SetEditorCommand(c.command);
    dialogs.startAnswer = c.starts;
    const std::vector<std::string> lines = OutputLines();
    const int row = *c.row ? static_cast<int>(std::find(lines.begin(), lines.end(), c.row) - lines.begin()) : 1;
    ASSERT_LT(row, static_cast<int>(lines.size()));

    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, ShowRow(row));

    QStringList expected = c.expected;
    expected.replaceInStrings(QStringLiteral("@"), QFile::decodeName(QByteArray::fromStdString(path)));
    if (c.starts && !expected.isEmpty()) {
        ASSERT_EQ(dialogs.started.size(), 1u);
        EXPECT_EQ(dialogs.started.back(), expected);
        EXPECT_TRUE(dialogs.messages.empty());
    } else {
        EXPECT_EQ(dialogs.started.size(), expected.isEmpty() ? 0u : 1u);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Cannot start the editor: ") + c.command);
        EXPECT_EQ(dialogs.messages.back().caption, QStringLiteral("Error"));
    }
    EXPECT_TRUE(dialogs.urls.empty());
    EXPECT_EQ(OutputLines(), lines);
}

INSTANTIATE_TEST_SUITE_P(
    OutputList, EditorOpening,
    ::testing::Values(
        EditorCase{"FoundLine", "kate --line %l %f", "fox 4", {"kate", "--line", "4", "@"}},
        EditorCase{"NumberedFoundLine", "gedit +%l %f", "4 : fox 4", {"gedit", "+4", "@"}},
        EditorCase{"HeaderOpensAtTheTop", "code --goto %f:%l", "", {"code", "--goto", "@:1"}},
        EditorCase{"EditorThatCannotStart", "no-such-editor %f", "fox 2", {"no-such-editor", "@"}, false},
        EditorCase{"CommandThatDoesNotSplit", "ed \"%f", "fox 2", {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputListTest, EmptyEditorCommandOpensTheFileWithTheDesktopsApplication)
{
    const std::string path = Write(QStringLiteral("a.txt"), "fox\r\n");
    form->AppendFileEntry(path);
    Search(QStringLiteral("fox"));
    ASSERT_TRUE(form->EditorCommand().empty());
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, ShowRow(2));
    ASSERT_EQ(dialogs.urls.size(), 1u);
    EXPECT_EQ(dialogs.urls.back(), FileUrl(path));
    EXPECT_TRUE(dialogs.started.empty());
}

TEST_F(OutputListTest, ContextMenuOpensAtTheLineShowsTheFolderAndCopiesThePath)
{
    const std::string path = Write(QStringLiteral("a b.txt"), "no\r\nfox\r\n");
    form->AppendFileEntry(path);
    Search(QStringLiteral("fox"));
    form->OutputActions().SetEditorCommand("ed +%l %f");
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, ShowRow(2));
    const auto trigger = [&](const char* name, bool enabled = true) {
        const QPoint at = View()->RowRect(View()->SelectedRow()).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, View()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(View()->viewport(), &event);
        auto* menu = View()->findChild<QMenu*>(QStringLiteral("OutputMenu"));
        ASSERT_NE(menu, nullptr);
        auto* item = menu->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->isEnabled(), enabled) << name;
        if (enabled)
            item->trigger();
        menu->close();
        delete menu;
    };
    trigger("mOpenAtLine");
    ASSERT_EQ(dialogs.started.size(), 1u);
    EXPECT_EQ(dialogs.started.back(), (QStringList{"ed", "+2", QString::fromStdString(path)}));
    trigger("mOpenFolder");
    ASSERT_EQ(dialogs.urls.size(), 1u);
    EXPECT_EQ(dialogs.urls.back(), FileUrl(FolderOf(path)));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    trigger("mCopyPath");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(path));
    // The run's own line names no file.
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, ShowRow(0));
    trigger("mOpenAtLine", false);
    trigger("mCopyPath", false);
    EXPECT_EQ(dialogs.started.size(), 1u);
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(OutputListTest, EditorMenuItemSetsTheCommandAndCancelKeepsIt)
{
    auto* item = Item("mEditor");
    ASSERT_NE(item, nullptr);
    const QList<QAction*> file = Menu("File1")->actions();
    const auto at = file.indexOf(item);
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, file.size());
    EXPECT_EQ(file[at + 1], Item("Exit1")); // just above "Exit"
    EXPECT_EQ(item->text(), QStringLiteral("Editor..."));

    dialogs.editorAnswers.push_back(QStringLiteral(" kate --line %l %f "));
    item->trigger();
    EXPECT_EQ(form->EditorCommand(), "kate --line %l %f");
    dialogs.editorAnswers.push_back(std::nullopt);
    item->trigger();
    EXPECT_EQ(form->EditorCommand(), "kate --line %l %f");
    ASSERT_EQ(dialogs.editorRequests.size(), 2u);
    EXPECT_EQ(dialogs.editorRequests.back().first, QStringLiteral("kate --line %l %f"));
}

// ---- what the rows show ---------------------------------------------------------------

struct MarkCase {
    const char* name;
    const char* string1;
    const char* string2;
    bool caseSensitive, reverse, numbered;
    const char* line; // a found line's text as listed
    std::vector<UnitRange> expected;
};

void PrintTo(const MarkCase& c, std::ostream* os)
{
    *os << c.name;
}

class RowMarks : public OutputListTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(RowMarks, FoundLinesMarkTheirMatchesAndHeadersStandApart)
{
    const MarkCase& c = GetParam();
    form->AppendFileEntry(Write(QStringLiteral("a.txt"),
                                "The FOX and the dog\r\nfoxfox\r\ncaf\xc3\xa9 fox\r\nplain\r\n1 : fox\r\n"));
    Box("OptionCase")->setChecked(c.caseSensitive);
    Box("OptionReverse")->setChecked(c.reverse);
    Box("OptionNumbering")->setChecked(c.numbered);
    Edit("FString2")->setText(QString::fromUtf8(c.string2));
    FOperatorOr();
    Search(QString::fromUtf8(c.string1));
    form->FlushDisplay();
    const std::vector<std::string> lines = OutputLines();
    const auto found = std::find(lines.begin(), lines.end(), c.line);
    ASSERT_NE(found, lines.end()) << c.line;
    EXPECT_EQ(View()->RowHighlights(static_cast<int>(found - lines.begin())), c.expected);
    // Header rows are never marked.
    EXPECT_TRUE(View()->RowHighlights(0).empty());
    EXPECT_TRUE(View()->RowHighlights(1).empty());
    ShowRow(0);
    View()->viewport()->repaint(); // paints headers and marks without a fault
}

INSTANTIATE_TEST_SUITE_P(
    OutputList, RowMarks,
    ::testing::Values(
        MarkCase{"IgnoringCase", "fox", "", false, false, false, "The FOX and the dog", {{4, 7}}},
        MarkCase{"BothStrings", "fox", "dog", false, false, false, "The FOX and the dog", {{4, 7}, {16, 19}}},
        MarkCase{"CaseSensitive", "FOX", "", true, false, false, "The FOX and the dog", {{4, 7}}},
        MarkCase{"TouchingOccurrencesJoin", "fox", "", false, false, false, "foxfox", {{0, 6}}},
        MarkCase{"PositionsAfterMultibyteText", "fox", "", false, false, false, "caf\xc3\xa9 fox", {{5, 8}}},
        MarkCase{"NumberPrefixIsNotMarked", "1", "fox", false, false, true, "5 : 1 : fox", {{4, 5}, {8, 11}}},
        MarkCase{"NumberedLine", "fox", "", false, false, true, "2 : foxfox", {{4, 10}}},
        MarkCase{"ReverseLogicMarksNothing", "fox", "", false, true, false, "plain", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputListTest, LinesAfterAClearDuringARunKeepTheirMarks)
{
    form->AppendFileEntry(Write(QStringLiteral("a.txt"), Lines(25, "fox")));
    DuringRun([this] { Tool("CmdClear")->click(); });
    Search(QStringLiteral("FOX"));
    form->FlushDisplay();
    const std::vector<std::string> lines = OutputLines();
    ASSERT_FALSE(lines.empty());
    ASSERT_LT(lines.size(), 25u); // the clear came during the run
    EXPECT_EQ(lines.back(), "fox 25");
    EXPECT_EQ(View()->RowHighlights(static_cast<int>(lines.size() - 1)), (std::vector<UnitRange>{{0, 3}}));
}

TEST_F(OutputListTest, LongLinesAreMarkedOnlyWithinWhatIsDrawn)
{
    const QByteArray line = QByteArray(int(OutputView::ShownChars) - 2, 'x') + "fox and fox";
    form->AppendFileEntry(Write(QStringLiteral("a.txt"), line + "\r\n"));
    Search(QStringLiteral("fox"));
    form->FlushDisplay();
    EXPECT_EQ(View()->RowHighlights(2), (std::vector<UnitRange>{{OutputView::ShownChars - 2, OutputView::ShownChars}}));
    EXPECT_TRUE(View()->RowShown(2).cut);
}

TEST_F(OutputListTest, AccessibleRowExtentsFollowTheHorizontalScroll)
{
    form->AppendLine(std::string(400, 'w'));
    form->AppendLine("short");
    ShowRow(0);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(View());
    ASSERT_NE(list, nullptr);
    QAccessibleInterface* row = list->child(0);
    ASSERT_NE(row, nullptr);
    const QRect before = row->rect();
    ASSERT_GT(View()->horizontalScrollBar()->maximum(), 30);
    View()->horizontalScrollBar()->setValue(30);
    EXPECT_EQ(row->rect().left(), before.left() - 30);
    EXPECT_EQ(row->rect().top(), before.top());
}

TEST_F(OutputListTest, OnlyFilesWithFoundLinesLeavesTheOthersOutAndOpensAsBefore)
{
    const std::string a = Write(QStringLiteral("a.txt"), "dog\r\n");
    const std::string b = Write(QStringLiteral("b.txt"), "cat\r\nfox\r\n");
    form->AppendFileEntry(a);
    form->AppendFileEntry(b);
    Box("OptionOnlyFound")->setChecked(true);
    Search(QStringLiteral("fox"));
    EXPECT_EQ(OutputLines(), (std::vector<std::string>{"*****  New Search  *****",
                                                       "***** File: \"" + b + "\"- Search Pattern=fox *****", "fox"}));
    EXPECT_EQ(form->PanelText(0), QStringLiteral("Lines Searched: 3"));
    form->OutputActions().SetEditorCommand("ed +%l %f");
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, ShowRow(2));
    ASSERT_EQ(dialogs.started.size(), 1u);
    EXPECT_EQ(dialogs.started.back(), (QStringList{"ed", "+2", QString::fromStdString(b)}));
}

// ---- find in the list ------------------------------------------------------------------

TEST_F(OutputListTest, FindBarMovesToRowsHoldingTheTextAndNeverChangesTheList)
{
    for (const char* line : {"alpha", "Beta one", "gamma", "BETA two", "delta"})
        form->AppendLine(line);
    form->FlushDisplay();
    const std::vector<std::string> lines = OutputLines();
    auto* bar = Find<QWidget>("FindBar");
    auto* field = Find<QLineEdit>("FindText");
    EXPECT_FALSE(bar->isVisible());

    QTest::keyClick(Edit("FString1"), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(Find<PageControl>("PageControl1")->CurrentIndex(), 2);
    EXPECT_TRUE(field->hasFocus());

    QTest::keyClicks(field, QStringLiteral("bet"));
    EXPECT_EQ(View()->SelectedRow(), 1);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(View()->SelectedRow(), 3);
    EXPECT_EQ(dialogs.beeps, 0);
    QTest::keyClick(field, Qt::Key_F3);
    EXPECT_EQ(View()->SelectedRow(), 1); // wrapped past the end
    EXPECT_EQ(dialogs.beeps, 1);
    QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(View()->SelectedRow(), 3); // wrapped past the top
    EXPECT_EQ(dialogs.beeps, 2);
    QTest::keyClicks(field, QStringLiteral("z"));
    EXPECT_EQ(View()->SelectedRow(), 3); // nothing holds "betz"
    EXPECT_EQ(dialogs.beeps, 3);

    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(View()->hasFocus());
    const int beeps = dialogs.beeps;
    QTest::keyClick(View(), Qt::Key_F3); // no bar: F3 finds nothing
    EXPECT_EQ(View()->SelectedRow(), 3);
    EXPECT_EQ(dialogs.beeps, beeps);
    EXPECT_EQ(OutputLines(), lines);
}

struct FindCase {
    const char* name;
    const char* needle;
    int start;
    bool forward;
    int row;
    bool wrapped;
};

void PrintTo(const FindCase& c, std::ostream* os)
{
    *os << c.name;
}

class FindRows : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindRows, FromTheStartRowWrappingAtTheEnds)
{
    const FindCase& c = GetParam();
    OutputLineStore store(1 << 20);
    for (const char* line : {"one", "Two", "three", "two", "\xe9t\xe9"})
        store.Append(line);
    bool wrapped = true;
    EXPECT_EQ(FindRow(store, 5, c.needle, c.start, c.forward, wrapped), c.row);
    EXPECT_EQ(wrapped, c.wrapped);
}

INSTANTIATE_TEST_SUITE_P(
    OutputList, FindRows,
    ::testing::Values(FindCase{"FirstFromTheTop", "two", 0, true, 1, false},
                      FindCase{"StartRowItself", "two", 3, true, 3, false},
                      FindCase{"WrapsPastTheEnd", "one", 2, true, 0, true},
                      FindCase{"AfterTheLastRow", "one", 5, true, 0, true},
                      FindCase{"Backwards", "two", 2, false, 1, false},
                      FindCase{"BackwardsWrapsPastTheTop", "two", 0, false, 3, true},
                      FindCase{"AboveTheFirstRow", "three", -1, false, 2, true},
                      FindCase{"OnlyAsciiCaseIgnored", "\xc9T\xc9", 0, true, -1, false},
                      FindCase{"Missing", "four", 0, true, -1, false},
                      FindCase{"EmptyText", "", 0, true, -1, false}),
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
