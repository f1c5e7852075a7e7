// The output list view on its own: announcements, gestures, the text it shows
// and copies, accessibility, and what very long lists and lines cost it.
#include "ui/output/output_view.h"
#include "ui_test_support.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstddef>
#include <functional>
#include <limits>
#include <random>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer run-time (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace quillo::test {
namespace {

// Bytes the process has allocated and not freed.
long long HeapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
#endif
}

QString Joined(const std::vector<std::string>& lines)
{
    QStringList texts;
    for (const std::string& line : lines)
        texts << QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));
    return texts.join(QLatin1Char('\n'));
}

class OutputViewTest : public ::testing::Test {
public:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        edit = new QLineEdit;
        view = new OutputView(store);
        view->setAccessibleName(QStringLiteral("Output List"));
        layout->addWidget(edit);
        layout->addWidget(view);
        window.resize(420, 320);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void Fill(int rows)
    {
        for (int i = 0; i < rows; ++i)
            Append("line " + std::to_string(i));
    }
    void Append(const std::string& line)
    {
        store.Append(line);
        lines.push_back(line);
    }
    void Paint() { view->viewport()->repaint(); }
    int Page() const { return view->viewport()->height() / view->RowHeight(); }
    void Click(int row, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(view->viewport(), button, keys, view->RowRect(row).center());
    }
    QMenu* OpenMenu()
    {
        const QPoint at = view->RowRect(0).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &event);
        return view->findChild<QMenu*>(QStringLiteral("OutputMenu"));
    }
    void TriggerMenu(const char* action)
    {
        QMenu* menu = OpenMenu();
        ASSERT_NE(menu, nullptr);
        auto* item = menu->findChild<QAction*>(QLatin1String(action));
        ASSERT_NE(item, nullptr);
        if (item->isEnabled())
            item->trigger();
        menu->close();
    }
    bool Visible(int row) const { return view->viewport()->rect().contains(view->RowRect(row)); }
    void Select(int row)
    {
        if (!Visible(row))
            view->verticalScrollBar()->setValue(row);
        Click(row);
    }

    OutputLineStore store;
    std::vector<std::string> lines;
    QWidget window;
    QLineEdit* edit = nullptr;
    OutputView* view = nullptr;
};

// ---- announcements ------------------------------------------------------------

struct AnnounceCase {
    const char* name;
    int before;
    int added;
    int top;    // row scrolled to the top before, -1: to the bottom
    int select; // row clicked before, -1: none
    bool wide;  // a wide first line, scrolled right
};

void PrintTo(const AnnounceCase& c, std::ostream* os)
{
    *os << c.name;
}

class Announcing : public OutputViewTest, public ::testing::WithParamInterface<AnnounceCase> {};

TEST_P(Announcing, KeepsScrollAndSelection)
{
    const AnnounceCase& c = GetParam();
    if (c.wide)
        Append(std::string(400, 'W'));
    Fill(c.before + c.added - static_cast<int>(lines.size()));
    view->Announce(static_cast<std::size_t>(c.before));
    Paint();
    view->verticalScrollBar()->setValue(c.top < 0 ? view->verticalScrollBar()->maximum() : c.top);
    if (c.wide)
        view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum() / 2);
    if (c.select >= 0)
        Select(c.select);
    const int top = view->TopRow();
    const int left = view->horizontalScrollBar()->value();

    QSignalSpy announced(view, &OutputView::RowsAnnounced);
    view->Announce(store.Count() + 10); // no more than the store holds
    EXPECT_EQ(view->RowCount(), c.before + c.added);
    EXPECT_EQ(announced.count(), 1);
    EXPECT_EQ(view->TopRow(), top);
    EXPECT_EQ(view->horizontalScrollBar()->value(), left);
    EXPECT_EQ(view->SelectedRow(), c.select);
    EXPECT_EQ(view->CurrentRow(), c.select);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), std::max(0, c.before + c.added - Page()));
}

INSTANTIATE_TEST_SUITE_P(OutputView, Announcing,
                         ::testing::Values(AnnounceCase{"FirstRowsOfAnEmptyList", 0, 5, 0, -1, false},
                                           AnnounceCase{"ShortListGrowsPastThePage", 5, 500, 0, 2, false},
                                           AnnounceCase{"ScrolledToTheMiddle", 1000, 1000, 400, 405, false},
                                           AnnounceCase{"ScrolledToTheBottom", 1000, 100, -1, -1, false},
                                           AnnounceCase{"ScrolledRight", 300, 300, 0, 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputViewTest, ClearResetsScrollSelectionAndWidth)
{
    Append(std::string(400, 'W'));
    Fill(300);
    view->Announce(store.Count());
    Paint();
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    Select(105);
    store.Clear();
    view->Clear();
    EXPECT_EQ(view->RowCount(), 0);
    EXPECT_EQ(view->TopRow(), 0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(view->SelectedRow(), -1);
    EXPECT_EQ(view->CurrentRow(), -1);
    store.Append("again");
    view->Announce(1);
    Paint();
    EXPECT_EQ(view->RowText(0), QStringLiteral("again"));
}

// ---- gestures ---------------------------------------------------------------------

enum class Clip { Untouched, Selected, All };

struct Gesture {
    const char* name;
    int rows;
    int select; // row clicked first, -1: none (the focus then goes back to the edit field)
    std::function<void(OutputViewTest&, OutputView&)> act;
    // Rows counted from the end when negative, plus pages of (page - 1) rows.
    int current; // NoRow: none
    int pages;
    bool selected; // the current row is the selected one
    int opened;    // row asked to open, -1: none
    Clip clip;
    bool focused;
};

constexpr int NoRow = std::numeric_limits<int>::min();

void PrintTo(const Gesture& g, std::ostream* os)
{
    *os << g.name;
}

auto Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    return [=](OutputViewTest&, OutputView& view) { QTest::keyClick(&view, key, modifiers); };
}

class Gestures : public OutputViewTest, public ::testing::WithParamInterface<Gesture> {};

TEST_P(Gestures, MoveSelectOpenAndCopyAsAList)
{
    const Gesture& g = GetParam();
    Fill(g.rows);
    view->Announce(store.Count());
    Paint();
    if (g.select >= 0)
        Select(g.select);
    edit->setFocus();
    QSignalSpy opened(view, &OutputView::OpenRequested);

    g.act(*this, *view);

    const int current = g.current == NoRow ? -1
                        : (g.current < 0 ? g.rows + g.current : g.current) + g.pages * (Page() - 1);
    EXPECT_EQ(view->CurrentRow(), current);
    EXPECT_EQ(view->SelectedRow(), g.selected ? current : -1);
    if (current >= 0 && current != g.select) {
        EXPECT_TRUE(Visible(current)) << "row " << current << " scrolled into view";
    }
    ASSERT_EQ(opened.count(), g.opened < 0 ? 0 : 1);
    if (g.opened >= 0) {
        EXPECT_EQ(opened.at(0).at(0).toInt(), g.opened);
    }
    const QString expected = g.clip == Clip::Selected ? QString::fromStdString(lines[static_cast<std::size_t>(current)])
                             : g.clip == Clip::All    ? Joined(lines)
                                                      : QStringLiteral("before");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    EXPECT_EQ(view->hasFocus(), g.focused);
}

INSTANTIATE_TEST_SUITE_P(
    OutputView, Gestures,
    ::testing::Values(
        Gesture{"DownFromNothing", 50, -1, Key(Qt::Key_Down), 0, 0, true, -1, Clip::Untouched, false},
        Gesture{"DownMoves", 50, 5, Key(Qt::Key_Down), 6, 0, true, -1, Clip::Untouched, false},
        Gesture{"UpStopsAtTheTop", 50, 0, Key(Qt::Key_Up), 0, 0, true, -1, Clip::Untouched, false},
        Gesture{"PageDown", 200, 0, Key(Qt::Key_PageDown), 0, 1, true, -1, Clip::Untouched, false},
        Gesture{"PageUp", 200, 100, Key(Qt::Key_PageUp), 100, -1, true, -1, Clip::Untouched, false},
        Gesture{"PageUpStopsAtTheTop", 200, 3, Key(Qt::Key_PageUp), 0, 0, true, -1, Clip::Untouched, false},
        Gesture{"EndScrollsToTheLastRow", 5000, 2, Key(Qt::Key_End), -1, 0, true, -1, Clip::Untouched, false},
        Gesture{"HomeScrollsBack", 5000, 2,
                [](OutputViewTest&, OutputView& v) {
                    QTest::keyClick(&v, Qt::Key_End);
                    QTest::keyClick(&v, Qt::Key_Home);
                },
                0, 0, true, -1, Clip::Untouched, false},
        Gesture{"DownStopsAtTheEnd", 3, 2, Key(Qt::Key_Down), 2, 0, true, -1, Clip::Untouched, false},
        Gesture{"ClickSelectsAndFocuses", 50, -1, [](OutputViewTest& t, OutputView&) { t.Click(4); }, 4, 0, true,
                -1, Clip::Untouched, true},
        Gesture{"RightClickSelects", 50, -1,
                [](OutputViewTest& t, OutputView&) { t.Click(7, Qt::RightButton); }, 7, 0, true, -1,
                Clip::Untouched, true},
        Gesture{"CtrlClickOnTheSelectedRowDeselects", 50, 4,
                [](OutputViewTest& t, OutputView&) { t.Click(4, Qt::LeftButton, Qt::ControlModifier); }, 4, 0,
                false, -1, Clip::Untouched, true},
        Gesture{"ClickBelowTheRowsKeepsTheSelection", 3, 1,
                [](OutputViewTest&, OutputView& v) {
                    QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, QPoint(5, v.viewport()->height() - 2));
                },
                1, 0, true, -1, Clip::Untouched, true},
        Gesture{"TabFromTheEditField", 50, 3, [](OutputViewTest&, OutputView& v) {
                    QTest::keyClick(v.window()->focusWidget(), Qt::Key_Tab);
                }, 3, 0, true, -1, Clip::Untouched, true},
        Gesture{"WheelScrollsWithoutSelecting", 500, 2,
                [](OutputViewTest&, OutputView& v) {
                    const QPointF at(5, 5);
                    QWheelEvent wheel(at, v.viewport()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, {},
                                      Qt::NoScrollPhase, false);
                    const int top = v.TopRow();
                    QApplication::sendEvent(v.viewport(), &wheel);
                    EXPECT_EQ(v.TopRow(), top + QApplication::wheelScrollLines());
                },
                2, 0, true, -1, Clip::Untouched, false},
        Gesture{"DoubleClickOpens", 50, -1,
                [](OutputViewTest&, OutputView& v) {
                    QTest::mouseDClick(v.viewport(), Qt::LeftButton, {}, v.RowRect(6).center());
                },
                6, 0, true, 6, Clip::Untouched, true},
        Gesture{"EnterOpensTheCurrentRow", 50, 5, Key(Qt::Key_Return), 5, 0, true, 5, Clip::Untouched, false},
        Gesture{"KeypadEnterOpens", 50, 5, Key(Qt::Key_Enter, Qt::KeypadModifier), 5, 0, true, 5,
                Clip::Untouched, false},
        Gesture{"EnterWithoutARowOpensNothing", 50, -1, Key(Qt::Key_Return), NoRow, 0, false, -1, Clip::Untouched,
                false},
        Gesture{"CtrlInsertCopiesTheSelectedLine", 50, 8, Key(Qt::Key_Insert, Qt::ControlModifier), 8, 0, true, -1,
                Clip::Selected, false},
        Gesture{"CtrlInsertWithoutSelectionKeepsTheClipboard", 50, -1, Key(Qt::Key_Insert, Qt::ControlModifier),
                NoRow, 0, false, -1, Clip::Untouched, false},
        Gesture{"CtrlCIsNotCopy", 50, 8, Key(Qt::Key_C, Qt::ControlModifier), 8, 0, true, -1, Clip::Untouched,
                false},
        Gesture{"MenuCopy", 50, 9, [](OutputViewTest& t, OutputView&) { t.TriggerMenu("mCopy"); }, 9, 0, true, -1,
                Clip::Selected, false},
        Gesture{"MenuCopyIsOffWithoutSelection", 50, -1,
                [](OutputViewTest& t, OutputView&) { t.TriggerMenu("mCopy"); }, NoRow, 0, false, -1, Clip::Untouched,
                false},
        Gesture{"MenuCopyAll", 50, -1, [](OutputViewTest& t, OutputView&) { t.TriggerMenu("mCopyAll"); }, NoRow, 0,
                false, -1, Clip::All, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- what a line shows and copies ---------------------------------------------------

struct TextCase {
    const char* name;
    std::string unit;
    int repeat;
    const char* lead = ""; // before the repeated unit
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string RandomBytes(std::size_t size)
{
    std::mt19937 random(size);
    std::string bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(1 + random() % 255);
    return bytes;
}

class LineText : public OutputViewTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(LineText, ShowsABoundedStartAndCopiesTheWholeLine)
{
    const TextCase& c = GetParam();
    std::string line = c.lead;
    for (int i = 0; i < c.repeat; ++i)
        line += c.unit;
    Append(line);
    Append("second \xc3\xa9");
    view->Announce(store.Count());
    Paint();
    const QString full = QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));

    const LineStart shown = view->RowShown(0);
    EXPECT_EQ(shown.cut, full.size() > OutputView::ShownChars);
    EXPECT_LE(shown.text.size(), OutputView::ShownChars);
    if (shown.cut) {
        EXPECT_GE(shown.text.size(), OutputView::ShownChars - 1) << "cut only to keep a surrogate pair whole";
    } else {
        EXPECT_EQ(shown.text, full);
    }
    EXPECT_EQ(shown.text, full.left(shown.text.size()));
    EXPECT_FALSE(!shown.text.isEmpty() && shown.text.back().isHighSurrogate());

    // The horizontal range covers the painted line and its mark.
    const int width = view->fontMetrics().horizontalAdvance(shown.text) +
                      (shown.cut ? view->fontMetrics().horizontalAdvance(QString::fromUtf16(OutputView::CutMark)) : 0);
    EXPECT_GE(view->ContentWidth(), width);
    EXPECT_GE(view->horizontalScrollBar()->maximum(), view->ContentWidth() - view->viewport()->width());

    // The tooltip: the start, bounded, marked when the line goes on.
    const QString mark = QString::fromUtf16(OutputView::CutMark);
    const QString tip = view->RowToolTip(0);
    const bool tipCut = full.size() > OutputView::TipChars;
    EXPECT_EQ(tip.endsWith(mark), tipCut);
    const QString tipStart = tipCut ? tip.chopped(mark.size()) : tip;
    EXPECT_LE(tipStart.size(), OutputView::TipChars);
    EXPECT_EQ(tipStart, full.left(tipStart.size()));
    const QPoint at = view->RowRect(0).center();
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &help);
    // (the tooltip label breaks the line at a carriage return, and may break
    // long runs without spaces at zero-width spaces)
    EXPECT_EQ(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText().remove(QChar(0x200B)),
              QString(tip).replace(u'\r', u'\n'));
    for (const QWidget* label : QApplication::topLevelWidgets()) {
        if (label->inherits("QTipLabel") && label->isVisible()) {
            EXPECT_LE(label->width(), label->screen()->availableGeometry().width()) << "the tooltip fits the screen";
        }
    }
    QToolTip::hideText();

    // The clipboard gets whole lines, decoded as shown.
    Click(0);
    view->Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), full);
    view->CopyAll();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Joined(lines));
}

INSTANTIATE_TEST_SUITE_P(
    OutputView, LineText,
    ::testing::Values(TextCase{"Plain", "plain", 1}, TextCase{"Empty", "", 0},
                      TextCase{"AccentsAboveByte127", "caf\xc3\xa9 \xe2\x82\xac", 3},
                      TextCase{"InvalidUtf8", "ok \xff\xfe \xc3(", 2},
                      TextCase{"CutSequenceAtTheEnd", "end \xe2\x82", 1},
                      TextCase{"ByteOrderMarkFirst", "text", 1, "\xef\xbb\xbf"},
                      TextCase{"MarkupCharacters", "<b>bold</b> &amp; <br>", 1},
                      TextCase{"TipBoundExactly", "t", static_cast<int>(OutputView::TipChars)},
                      TextCase{"ShownBoundExactly", "x", static_cast<int>(OutputView::ShownChars)},
                      TextCase{"OneOverTheBound", "x", static_cast<int>(OutputView::ShownChars) + 1},
                      TextCase{"ThreeByteCharacters", "\xe2\x82\xac", 9000},
                      TextCase{"SurrogatePairsAcrossTheBound", "\xf0\x9f\x98\x80", 5000, "a"},
                      TextCase{"InvalidBytesOnly", "\xff", 20000},
                      TextCase{"RandomBytes", RandomBytes(50000), 1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- accessibility ------------------------------------------------------------------

TEST_F(OutputViewTest, ReadableAsAListWithRowsMadeOnDemand)
{
    Fill(100);
    Append(std::string(10000, 'L'));
    view->Announce(store.Count());
    Click(2);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Output List"));
    ASSERT_EQ(list->childCount(), 101);
    QAccessibleInterface* row = list->child(2);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(list->child(2), row) << "the same row interface each time";
    EXPECT_EQ(row->role(), QAccessible::ListItem);
    EXPECT_EQ(row->text(QAccessible::Name), QStringLiteral("line 2"));
    EXPECT_EQ(row->parent(), list);
    EXPECT_EQ(list->indexOfChild(row), 2);
    EXPECT_TRUE(row->state().selected);
    EXPECT_TRUE(row->state().focused);
    EXPECT_EQ(list->focusChild(), row);
    EXPECT_FALSE(list->child(3)->state().selected);
    EXPECT_TRUE(list->child(99)->state().offscreen);
    EXPECT_EQ(list->child(100)->text(QAccessible::Name),
              view->RowShown(100).text + QString::fromUtf16(OutputView::CutMark));
    EXPECT_EQ(list->childAt(row->rect().center().x(), row->rect().center().y()), row);
    EXPECT_EQ(list->child(101), nullptr);

    store.Clear();
    view->Clear();
    EXPECT_FALSE(row->isValid()) << "a row of the emptied list";
    EXPECT_EQ(list->childCount(), 0);
    EXPECT_EQ(list->child(0), nullptr);
}

// ---- cost of long lists and long lines -------------------------------------------------

TEST_F(OutputViewTest, AnnouncingDoesNotGrowWithTheRowsShown)
{
    constexpr int Rows = 5'000'000;
    for (int i = 0; i < Rows + 1; ++i)
        store.Append(std::to_string(i));
    view->Announce(10);
    Paint();
    PaintCounter counter;

    const long long before = HeapInUse();
    view->Announce(Rows);
    QCoreApplication::processEvents();
    std::uint64_t read = view->LinesRead();
    Paint();
    EXPECT_LE(view->LinesRead() - read, static_cast<std::uint64_t>(Page() + 1)) << "painting reads the rows in view";
    EXPECT_LT(HeapInUse() - before, Rows / 4) << "less than a quarter of a byte per row shown";

    // One more row, below the view: nothing is read, nothing painted.
    view->viewport()->installEventFilter(&counter);
    read = view->LinesRead();
    view->Announce(Rows + 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->LinesRead(), read);
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(view->RowCount(), Rows + 1);
    view->viewport()->removeEventFilter(&counter);
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->RowText(Rows), QString::number(Rows));
    EXPECT_TRUE(Visible(Rows));
}

TEST_F(OutputViewTest, LineOfThreeHundredMegabytesIsPaintedFromItsStart)
{
    constexpr std::size_t Size = std::size_t{300} << 20;
    store.Append(std::string(Size, 'q'));
    view->Announce(1);
    Paint();
    const LineStart shown = view->RowShown(0);
    EXPECT_TRUE(shown.cut);
    EXPECT_EQ(shown.text.size(), OutputView::ShownChars);
    EXPECT_GT(view->ContentWidth(), view->viewport()->width());
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    Paint();
    EXPECT_EQ(store.Line(0).size(), Size) << "the store keeps the whole line for Save";
}

} // namespace
} // namespace quillo::test
