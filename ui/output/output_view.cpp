#include "ui/output/output_view.h"

#include "ui/output/header_rows.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTextCharFormat>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace quillo {
namespace {

constexpr int TextMargin = 2; // pixels left and right of a line's text

QString Mark()
{
    return QString::fromUtf16(OutputView::CutMark);
}

// The tooltip label shows rich text wrapped at spaces; plain text would make
// one line as wide as the line's start. A long run without spaces (a path, a
// hex dump) gets a zero-width space every BreakRun characters, where the label
// may wrap it too, instead of running off the screen.
QString ToolTipMarkup(const QString& plain)
{
    constexpr int BreakRun = 40;
    QString broken;
    broken.reserve(plain.size() + plain.size() / BreakRun + 1);
    int run = 0;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const QChar c = plain[i];
        broken += c;
        if (c.isSpace()) {
            run = 0;
            continue;
        }
        // Never inside a surrogate pair or before a combining mark.
        const bool joined = c.isHighSurrogate() || (i + 1 < plain.size() && plain[i + 1].isMark());
        if (++run >= BreakRun && !joined) {
            broken += QChar(0x200B);
            run = 0;
        }
    }
    return QStringLiteral("<p style='white-space:pre-wrap'>") + broken.toHtmlEscaped() + QStringLiteral("</p>");
}

// A colour between two others; amount 0 gives from, 1 gives to.
QColor Mixed(const QColor& from, const QColor& to, double amount)
{
    const auto mix = [amount](double a, double b) { return static_cast<int>(std::lround(a + (b - a) * amount)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// Where a found line's own text starts: after "<number> : " when its run
// numbered the lines.
std::size_t TextStart(std::string_view line, std::uint32_t number, bool numbered)
{
    if (!numbered)
        return 0;
    const std::size_t prefix = std::to_string(number).size() + 3;
    return std::min(prefix, line.size());
}

// Line and paragraph separators would end the one-line layout early.
void KeepOnOneLine(QString& text)
{
    for (QChar& c : text) {
        if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
}

} // namespace

OutputView::OutputView(const OutputLineStore& store, QWidget* parent) : QAbstractScrollArea(parent), store_(store)
{
    InstallOutputViewAccessible();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(false);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
    UpdateRowHeight();
    UpdateVerticalRange();
    UpdateHorizontalRange();
}

OutputView::~OutputView() = default;

// ---- rows ---------------------------------------------------------------------------

void OutputView::Announce(std::size_t count)
{
    count = std::min({count, store_.Count(), static_cast<std::size_t>(MaxRows)});
    if (count < static_cast<std::size_t>(rows_))
        Clear();
    if (count == static_cast<std::size_t>(rows_))
        return;
    const int before = rows_;
    rows_ = static_cast<int>(count);
    UpdateVerticalRange();
    // Only new rows that fall into the view need painting.
    const QRect fresh = RowRect(before).united(RowRect(rows_ - 1)).intersected(viewport()->rect());
    if (!fresh.isEmpty())
        viewport()->update(fresh);
    emit RowsAnnounced(rows_);
}

void OutputView::Clear()
{
    rows_ = 0;
    current_ = -1;
    selected_ = -1;
    contentWidth_ = 0;
    ++generation_;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateVerticalRange();
    UpdateHorizontalRange();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&event);
    }
}

int OutputView::TopRow() const
{
    return verticalScrollBar()->value();
}

int OutputView::RowAt(QPoint point) const
{
    if (point.y() < 0 || point.y() >= viewport()->height() || point.x() < 0 || point.x() >= viewport()->width())
        return -1;
    const qint64 row = static_cast<qint64>(TopRow()) + point.y() / rowHeight_;
    return row < rows_ ? static_cast<int>(row) : -1;
}

QRect OutputView::RowRect(int row) const
{
    // Far rows would overflow int pixels; they are clamped well outside the view.
    constexpr qint64 Far = std::numeric_limits<int>::max() / 4;
    const qint64 top = std::clamp<qint64>((static_cast<qint64>(row) - TopRow()) * rowHeight_, -Far, Far);
    return QRect(0, static_cast<int>(top), viewport()->width(), rowHeight_);
}

QRect OutputView::RowTextRect(int row) const
{
    const QRect rect = RowRect(row);
    return QRect(-horizontalScrollBar()->value(), rect.top(), std::max(contentWidth_, viewport()->width()),
                 rect.height());
}

std::string_view OutputView::Line(int row) const
{
    if (row < 0 || row >= rows_)
        return {};
    ++linesRead_;
    return store_.Line(static_cast<std::size_t>(row));
}

QString OutputView::RowText(int row) const
{
    return LineText(Line(row));
}

LineStart OutputView::RowShown(int row) const
{
    return DecodeLineStart(Line(row), ShownChars);
}

QString OutputView::RowToolTip(int row) const
{
    LineStart start = DecodeLineStart(Line(row), TipChars);
    if (start.cut)
        start.text += Mark();
    return start.text;
}

QString OutputView::AllText() const
{
    linesRead_ += static_cast<std::uint64_t>(rows_);
    return JoinedLines(store_, static_cast<std::size_t>(rows_));
}

void OutputView::SetRowMarks(const HeaderRows* marks)
{
    marks_ = marks;
    viewport()->update();
}

std::vector<UnitRange> OutputView::RowHighlights(int row) const
{
    if (!marks_ || row < 0 || row >= rows_)
        return {};
    const std::uint32_t number = store_.LineNumber(static_cast<std::size_t>(row));
    if (number == 0) // only found lines have a number
        return {};
    const RunLines* run = marks_->RunOf(static_cast<std::size_t>(row));
    if (!run || !run->highlighter)
        return {};
    const std::string_view line = Line(row);
    const std::size_t start = TextStart(line, number, run->numbered);
    // A drawn UTF-16 unit comes from at most three bytes (four bytes make
    // two units), so the drawn start of the line lies within these bytes.
    const std::size_t bound = static_cast<std::size_t>(ShownChars) * 3 + 4;
    std::vector<ByteRange> ranges;
    run->highlighter->Ranges(line.substr(start), bound, ranges);
    for (ByteRange& range : ranges) {
        range.begin += start;
        range.end += start;
    }
    return UnitRanges(line, ranges, ShownChars);
}

// ---- commands -----------------------------------------------------------------------

void OutputView::Copy()
{
    if (selected_ < 0)
        return;
    QGuiApplication::clipboard()->setText(RowText(selected_));
}

void OutputView::CopyAll()
{
    QGuiApplication::clipboard()->setText(AllText());
}

void OutputView::RunCommand(void (OutputView::*command)())
{
    const std::function<void()> run = [this, command] { (this->*command)(); };
    try {
        if (runner_)
            runner_(run);
        else
            run();
    } catch (...) {
        // A runner that let the failure through: it ends here, not in Qt's event loop.
    }
}

QMenu* OutputView::BuildMenu()
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("OutputMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QStringLiteral("Copy"));
    copy->setObjectName(QStringLiteral("mCopy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    copy->setShortcutVisibleInContextMenu(true);
    copy->setEnabled(selected_ >= 0);
    connect(copy, &QAction::triggered, this, [this] { RunCommand(&OutputView::Copy); });
    QAction* all = menu->addAction(QStringLiteral("Copy All"));
    all->setObjectName(QStringLiteral("mCopyAll"));
    all->setEnabled(rows_ > 0);
    connect(all, &QAction::triggered, this, [this] { RunCommand(&OutputView::CopyAll); });
    if (menuExtender_)
        menuExtender_(*menu, selected_);
    return menu;
}

void OutputView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint at = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse) {
        const QRect row = RowRect(std::max(selected_, 0)).intersected(viewport()->rect());
        at = viewport()->mapToGlobal(row.isEmpty() ? QPoint(0, 0) : row.center());
    }
    BuildMenu()->popup(at);
    event->accept();
}

// ---- keyboard and mouse ------------------------------------------------------------

int OutputView::FullRowsInView() const
{
    return std::max(1, viewport()->height() / rowHeight_);
}

void OutputView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Insert && modifiers == Qt::ControlModifier) {
        RunCommand(&OutputView::Copy);
        return;
    }
    const int page = FullRowsInView();
    const int from = current_;
    switch (event->key()) {
    case Qt::Key_Up:
        MoveTo(from < 0 ? 0 : from - 1);
        break;
    case Qt::Key_Down:
        MoveTo(from < 0 ? 0 : from + 1);
        break;
    case Qt::Key_PageUp:
        MoveTo(from < 0 ? 0 : static_cast<int>(std::max<qint64>(0, static_cast<qint64>(from) - page + 1)));
        break;
    case Qt::Key_PageDown:
        MoveTo(static_cast<int>(std::min<qint64>(MaxRows, static_cast<qint64>(std::max(from, 0)) + page - 1)));
        break;
    case Qt::Key_Home:
        MoveTo(0);
        break;
    case Qt::Key_End:
        MoveTo(rows_ - 1);
        break;
    case Qt::Key_Left:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current_ >= 0)
            emit OpenRequested(current_);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void OutputView::SelectRow(int row)
{
    MoveTo(row);
}

void OutputView::MoveTo(int row)
{
    if (rows_ == 0)
        return;
    row = std::clamp(row, 0, rows_ - 1);
    SetCurrent(row, true);
    ScrollTo(row);
}

void OutputView::ScrollTo(int row)
{
    const int top = TopRow();
    const int full = FullRowsInView();
    if (row < top)
        verticalScrollBar()->setValue(row);
    else if (static_cast<qint64>(row) >= static_cast<qint64>(top) + full)
        verticalScrollBar()->setValue(row - full + 1);
}

void OutputView::SetCurrent(int row, bool select)
{
    const int oldCurrent = current_;
    const int oldSelected = selected_;
    current_ = row;
    if (select)
        selected_ = row;
    else if (row == selected_)
        selected_ = -1;
    if (oldCurrent == current_ && oldSelected == selected_)
        return;
    UpdateRow(oldCurrent);
    UpdateRow(oldSelected);
    UpdateRow(current_);
    TellAccessibility();
}

void OutputView::TellAccessibility()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(selected_);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus() && current_ >= 0) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(current_);
        QAccessible::updateAccessibility(&focus);
    }
}

void OutputView::UpdateRow(int row)
{
    if (row < 0 || row >= rows_)
        return;
    const QRect rect = RowRect(row).intersected(viewport()->rect());
    if (!rect.isEmpty())
        viewport()->update(rect);
}

void OutputView::mousePressEvent(QMouseEvent* event)
{
    const int row = RowAt(event->position().toPoint());
    if (row >= 0 && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
        // Ctrl+click on the selected row takes the selection away, as in a list box.
        const bool deselect =
            event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier) && row == selected_;
        SetCurrent(row, !deselect);
    }
    event->accept();
}

void OutputView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const int row = RowAt(event->position().toPoint());
    if (row >= 0)
        SetCurrent(row, true);
    event->accept();
}

void OutputView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = RowAt(event->position().toPoint());
    if (row >= 0 && event->button() == Qt::LeftButton) {
        SetCurrent(row, true);
        emit OpenRequested(row);
    }
    event->accept();
}

void OutputView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    UpdateRow(current_);
}

void OutputView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    UpdateRow(current_);
}

bool OutputView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        ShowToolTip(help->pos(), help->globalPos());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void OutputView::ShowToolTip(const QPoint& at, const QPoint& global)
{
    const int row = RowAt(at);
    if (row < 0) {
        QToolTip::hideText();
        return;
    }
    QString tip;
    try {
        tip = RowToolTip(row);
        if (!tip.isEmpty())
            tip = ToolTipMarkup(tip);
    } catch (...) {
        return; // out of memory: no tooltip
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(global, tip, viewport(), RowRect(row));
}

// ---- scrolling and size --------------------------------------------------------------

void OutputView::UpdateRowHeight()
{
    rowHeight_ = std::max(1, fontMetrics().height() + 2);
}

void OutputView::UpdateVerticalRange()
{
    const int full = FullRowsInView();
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(full);
    bar->setRange(0, std::max(0, rows_ - full));
}

void OutputView::UpdateHorizontalRange()
{
    QScrollBar* bar = horizontalScrollBar();
    const int width = viewport()->width();
    bar->setPageStep(std::max(1, width));
    bar->setRange(0, std::max(0, contentWidth_ - width));
}

void OutputView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateVerticalRange();
    UpdateHorizontalRange();
}

void OutputView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void OutputView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateRowHeight();
        contentWidth_ = 0; // widths are measured again as rows are painted
        UpdateVerticalRange();
        UpdateHorizontalRange();
        viewport()->update();
    }
}

// ---- painting ---------------------------------------------------------------------------

void OutputView::paintEvent(QPaintEvent* event)
{
    try {
        PaintRows(event->rect());
    } catch (...) {
        // Out of memory while drawing: the rows stay as they are, a later
        // paint catches up.
    }
}

void OutputView::PaintRows(const QRect& area)
{
    if (rows_ == 0)
        return;
    const qint64 top = TopRow();
    const qint64 first = top + std::max(0, area.top()) / rowHeight_;
    const qint64 last = std::min<qint64>(rows_ - 1, top + std::max(0, area.bottom()) / rowHeight_);
    if (first > last)
        return;

    QPainter painter(viewport());
    const QPalette::ColorGroup group = isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    const QFontMetrics metrics = fontMetrics();
    const QString mark = Mark();
    const int markWidth = metrics.horizontalAdvance(mark);
    const int x = TextMargin - horizontalScrollBar()->value();
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    int widest = 0;

    // Header rows: bold on a faint tint; matches: on a lightened highlight.
    const QColor base = palette().color(group, QPalette::Base);
    const QColor highlight = palette().color(group, QPalette::Highlight);
    const QColor headerTint = Mixed(base, highlight, 0.12);
    QFont headerFont = font();
    headerFont.setBold(true);
    QTextCharFormat match;
    match.setBackground(Mixed(base, highlight, 0.45));
    match.setForeground(palette().color(group, QPalette::Text));

    for (qint64 r = first; r <= last; ++r) {
        const int row = static_cast<int>(r);
        const QRect rect = RowRect(row);
        const bool selected = row == selected_;
        const RowKind kind = marks_ ? marks_->KindOf(static_cast<std::size_t>(row)) : RowKind::Line;
        if (selected)
            painter.fillRect(rect, palette().brush(group, QPalette::Highlight));
        else if (kind != RowKind::Line)
            painter.fillRect(rect, headerTint);
        if (kind == RowKind::RunHeader) {
            painter.setPen(palette().color(group, QPalette::Mid));
            painter.drawLine(rect.topLeft(), rect.topRight());
        }
        painter.setPen(palette().color(group, selected ? QPalette::HighlightedText : QPalette::Text));

        LineStart shown = RowShown(row);
        KeepOnOneLine(shown.text);
        QTextLayout layout(shown.text, kind == RowKind::Line ? font() : headerFont, viewport());
        layout.setTextOption(option);
        layout.setCacheEnabled(false);
        if (kind == RowKind::Line) {
            QList<QTextLayout::FormatRange> formats;
            for (const UnitRange& range : RowHighlights(row))
                formats.append({static_cast<int>(range.first), static_cast<int>(range.second - range.first), match});
            if (!formats.isEmpty())
                layout.setFormats(formats);
        }
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid())
            line.setLineWidth(std::numeric_limits<int>::max() / 256);
        layout.endLayout();
        const int y = rect.top() + (rowHeight_ - metrics.height()) / 2;
        layout.draw(&painter, QPointF(x, y));
        int width = line.isValid() ? static_cast<int>(std::ceil(line.naturalTextWidth())) : 0;
        if (shown.cut) {
            painter.setPen(selected ? palette().color(group, QPalette::HighlightedText)
                                    : palette().color(group, QPalette::PlaceholderText));
            painter.drawText(QPoint(x + width, y + metrics.ascent()), mark);
            width += markWidth;
        }
        widest = std::max(widest, width);

        if (row == current_ && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect;
            focus.backgroundColor = palette().color(group, selected ? QPalette::Highlight : QPalette::Base);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }

    // The horizontal range only grows until the next Clear: every line that
    // has been painted can be scrolled into view.
    const int needed = widest + 2 * TextMargin;
    if (needed > contentWidth_) {
        contentWidth_ = needed;
        UpdateHorizontalRange();
    }
}

} // namespace quillo
