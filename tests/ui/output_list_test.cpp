// The output list and status panels: current data at every moment, drawing
// at display rate.
#include "ui/output_list.h"
#include "ui/status_panel.h"
#include "ui_test_support.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QScrollBar>

namespace quillo::test {
namespace {

class OutputListTest : public WindowTest {
protected:
    OutputListView* View() { return Find<OutputListView>("SearchList"); }
    void ShowOutputPage() { Find<PageControl>("PageControl1")->SetCurrentIndex(2); }
};

TEST_F(OutputListTest, ShowsLocaleTextAndKeepsTheBytes)
{
    const std::string line = "caf\xc3\xa9 \xff end";
    form->AppendLine(line);
    form->FlushDisplay();
    EXPECT_EQ(form->OutputLines().Line(0), line);
    EXPECT_EQ(form->OutputModel()->index(0).data().toString(), QString::fromUtf8("caf\u00e9 \ufffd end"));
}

TEST_F(OutputListTest, RowsReachTheViewInBatchesAtDisplayRate)
{
    ShowOutputPage();
    int insertions = 0;
    QObject::connect(form->OutputModel(), &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 3000; ++i) {
        form->AppendLine("line " + std::to_string(i));
        ASSERT_EQ(form->OutputLines().Count(), static_cast<std::size_t>(i + 1)); // the data is always current
        if (i % 10 == 9)
            form->ProcessEvents();
    }
    const qint64 frames = clock.elapsed() / 16 + 2;
    EXPECT_LE(insertions, frames);
    QTRY_COMPARE(form->OutputModel()->rowCount(), 3000);
    EXPECT_EQ(View()->verticalScrollBar()->value(), 0); // appending never scrolls
    EXPECT_FALSE(View()->selectionModel()->hasSelection());
}

TEST_F(OutputListTest, LongLinesAreCutOnScreenOnly)
{
    ShowOutputPage();
    const std::string line(5000, 'x');
    form->AppendLine(line);
    form->FlushDisplay();
    QTRY_VERIFY(View()->visualRect(form->OutputModel()->index(0)).isValid());
    EXPECT_EQ(View()->horizontalScrollBar()->maximum(), 0);
    EXPECT_LE(View()->visualRect(form->OutputModel()->index(0)).width(), View()->viewport()->width());
    EXPECT_EQ(form->OutputLines().Line(0).size(), 5000u);
}

TEST_F(OutputListTest, PanelTextsAreCurrentButPaintedAtDisplayRate)
{
    auto* panel = Find<StatusPanel>("StatusPanel0");
    ASSERT_NE(panel, nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(panel);
    ASSERT_NE(accessible, nullptr);
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    panel->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 2000; ++i) {
        const std::string text = "Lines Searched: " + std::to_string(i);
        form->SetPanelText(0, text);
        ASSERT_EQ(form->PanelText(0).toStdString(), text);
        ASSERT_EQ(accessible->text(QAccessible::Name).toStdString(), text);
        form->ProcessEvents();
    }
    EXPECT_LE(counter.paints, clock.elapsed() / 16 + 2);
    panel->removeEventFilter(&counter);
}

} // namespace
} // namespace quillo::test
