// The output list: a list view drawn straight from the search engine's compact
// line store.
//
// The window announces how many of the store's lines the list shows; an
// announcement and a Clear cost the same however many rows are already there:
// the view keeps no per-row objects and lays out nothing per row. Painting
// reads and lays out only the rows in view, and only the first ShownChars
// characters of each line reach Qt's text layout.
//
// As a list box: the user selects one row at a time by mouse or keyboard; the
// program never scrolls the list or selects a row itself. A context menu
// copies the selected line or every line (Ctrl+Insert copies too); a
// double-click or Enter on a row asks for its file to be opened.
#pragma once

#include "search/output/output_store.h"
#include "ui/output/output_view_text.h"

#include <QAbstractScrollArea>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class QMenu;
class QTextLayout;

namespace quillo {

class HeaderRows;

class OutputView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int MaxRows = 2147483647;
    // The most UTF-16 units of a line given to Qt to draw; a longer line
    // shows its start followed by CutMark.
    static constexpr qsizetype ShownChars = 4096;
    // The most units of a line in its tooltip.
    static constexpr qsizetype TipChars = 1000;
    static constexpr char16_t CutMark[] = u" [...]";

    explicit OutputView(const OutputLineStore& store, QWidget* parent = nullptr);
    ~OutputView() override;

    // Shows the store's first count lines (no more than it holds). Lines are
    // only ever appended: a count below the rows shown means the store was
    // emptied in between, and the view starts again as after Clear().
    void Announce(std::size_t count);
    // The store has been emptied: no rows, back at the top and the left edge,
    // no selection, and the horizontal range forgotten.
    void Clear();

    // Which rows are headers and what each run's found lines are marked with:
    // header rows are set apart, the matches in found lines highlighted.
    void SetRowMarks(const HeaderRows* marks);
    // The highlighted parts of what the list draws of a row, as positions
    // in RowShown(row).text.
    std::vector<UnitRange> RowHighlights(int row) const;

    int RowCount() const noexcept { return rows_; }
    int CurrentRow() const noexcept { return current_; } // -1: none
    int SelectedRow() const noexcept { return selected_; } // -1: none
    int TopRow() const;
    // The row at a point of the viewport, -1 where there is none.
    int RowAt(QPoint point) const;
    // A row's rectangle in viewport coordinates (outside the viewport for rows
    // out of view).
    QRect RowRect(int row) const;
    int RowHeight() const noexcept { return rowHeight_; }
    // Where a row's text lies in viewport coordinates: it moves with the
    // horizontal scroll and is as wide as the widest line painted, or the
    // viewport.
    QRect RowTextRect(int row) const;
    // Makes the row current and selected and scrolls it into view, as the
    // arrow keys do (for the user's commands, such as finding a row).
    void SelectRow(int row);

    // The line number within its file of a found line's row; 0 for other rows.
    std::uint32_t RowLineNumber(int row) const noexcept
    {
        return row >= 0 && row < rows_ ? store_.LineNumber(static_cast<std::size_t>(row)) : 0;
    }
    // The whole line of a row, decoded as the list shows it.
    QString RowText(int row) const;
    // What the list draws of a row: its bounded start, and whether it is cut.
    LineStart RowShown(int row) const;
    // The row's tooltip as plain text: its start, bounded, with CutMark when
    // the line goes on.
    QString RowToolTip(int row) const;
    // Every row's line, joined by "\n".
    QString AllText() const;

    // The selected line to the clipboard; nothing without a selection.
    void Copy();
    // Every row's line to the clipboard.
    void CopyAll();

    // Runs the context menu's and the keys' commands (Copy, Copy All), so that
    // the window can show their failures. Without one, a failure ends the
    // command silently; no failure leaves the view's event handlers.
    using CommandRunner = std::function<void(const std::function<void()>&)>;
    void SetCommandRunner(CommandRunner runner) { runner_ = std::move(runner); }
    // Adds the window's commands for a row (the selected one, -1 for none)
    // to the context menu, after Copy and Copy All.
    using MenuExtender = std::function<void(QMenu&, int row)>;
    void SetMenuExtender(MenuExtender extender) { menuExtender_ = std::move(extender); }

    // Lines the view has taken from the store since it was created; painting
    // takes only the rows in view.
    std::uint64_t LinesRead() const noexcept { return linesRead_; }
    // Changes at every Clear: rows handed out before belong to another list.
    std::uint64_t Generation() const noexcept { return generation_; }
    // The width of the widest line painted since the last Clear, margins
    // included; the horizontal scroll range covers it.
    int ContentWidth() const noexcept { return contentWidth_; }

signals:
    // Double-click or Enter on a row.
    void OpenRequested(int row);
    // The row count grew by an announcement.
    void RowsAnnounced(int rows);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PaintRows(const QRect& area);
    void UpdateRowHeight();
    void UpdateVerticalRange();
    void UpdateHorizontalRange();
    int FullRowsInView() const;
    void MoveTo(int row);
    void SetCurrent(int row, bool select);
    void ScrollTo(int row);
    void UpdateRow(int row);
    void RunCommand(void (OutputView::*command)());
    void ShowToolTip(const QPoint& at, const QPoint& global);
    QMenu* BuildMenu();
    void TellAccessibility();
    std::string_view Line(int row) const;

    const OutputLineStore& store_;
    int rows_ = 0;
    int current_ = -1;
    int selected_ = -1;
    int rowHeight_ = 16;
    int contentWidth_ = 0;
    std::uint64_t generation_ = 0;
    mutable std::uint64_t linesRead_ = 0;
    CommandRunner runner_;
    MenuExtender menuExtender_;
    const HeaderRows* marks_ = nullptr;
};

// The view's accessible interface (a list whose rows are made on demand);
// installed once per program by the first view.
void InstallOutputViewAccessible();

} // namespace quillo
