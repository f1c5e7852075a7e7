#include "ui/window/page_control.h"

#include <QKeyEvent>
#include <QStackedWidget>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace quillo {

PageTab::PageTab(const QString& text, QWidget* parent) : QAbstractButton(parent)
{
    setText(text);
    setCheckable(true);
    setAutoExclusive(true);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(text);
}

QSize PageTab::sizeHint() const
{
    QStyleOptionTab option;
    option.initFrom(this);
    option.text = text();
    option.shape = QTabBar::RoundedNorth;
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, option.text);
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &option, text + QSize(8, 6), this);
}

void PageTab::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionTab option;
    option.initFrom(this);
    option.text = text();
    option.shape = QTabBar::RoundedNorth;
    option.position = QStyleOptionTab::Middle;
    if (isChecked())
        option.state |= QStyle::State_Selected;
    if (isDown())
        option.state |= QStyle::State_Sunken;
    painter.drawControl(QStyle::CE_TabBarTab, option);
}

PageControl::PageControl(QWidget* parent) : QWidget(parent), stack_(new QStackedWidget(this))
{
    stack_->setObjectName(QStringLiteral("PageStack"));
}

QWidget* PageControl::Page(int i) const
{
    return i >= 0 && i < stack_->count() ? stack_->widget(i) : nullptr;
}

void PageControl::AddPage(QWidget* page, const QString& text)
{
    auto* tab = new PageTab(text, this);
    const int index = static_cast<int>(tabs_.size());
    tabs_.push_back(tab);
    stack_->addWidget(page);
    connect(tab, &QAbstractButton::clicked, this, [this, index] { SetCurrentIndex(index); });
    if (current_ < 0)
        SetCurrentIndex(index);
    Relayout();
}

void PageControl::SetTabWidth(int width)
{
    tabWidth_ = width;
    updateGeometry(); // the least size follows the tabs
    Relayout();
}

void PageControl::SetCurrentIndex(int i)
{
    if (i < 0 || i >= Count())
        return;
    tabs_[i]->setChecked(true);
    if (i == current_)
        return;
    current_ = i;
    stack_->setCurrentIndex(i);
    Relayout();
    emit CurrentChanged(i);
}

void PageControl::SetCurrentPage(QWidget* page)
{
    SetCurrentIndex(stack_->indexOf(page));
}

int PageControl::TabHeight() const
{
    return tabs_.isEmpty() ? 0 : tabs_.front()->sizeHint().height();
}

QRect PageControl::PaneRect() const
{
    const int top = rows_ * TabHeight();
    return QRect(0, top, width(), std::max(0, height() - top));
}

void PageControl::Relayout()
{
    const int n = Count();
    if (n == 0)
        return;
    const int perRow = std::max(1, std::min(n, width() / std::max(1, tabWidth_)));
    rows_ = (n + perRow - 1) / perRow;
    const int height = TabHeight();
    // The row holding the current tab sits next to the pages; the others keep
    // their order above it.
    const int currentRow = std::max(0, current_) / perRow;
    for (int i = 0; i < n; ++i) {
        const int row = i / perRow;
        const int shown = (row - currentRow - 1 + rows_) % rows_;
        tabs_[i]->setGeometry((i % perRow) * tabWidth_, shown * height, tabWidth_, height);
    }
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    stack_->setGeometry(PaneRect().adjusted(frame, frame, -frame, -frame));
    update();
}

QSize PageControl::sizeHint() const
{
    return QSize(tabWidth_ * std::max(1, Count()), TabHeight() + 200);
}

// Narrow enough for one tab, wide and high enough for every page's own
// minimum, with the tab rows that width gives.
QSize PageControl::minimumSizeHint() const
{
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const QSize pages = stack_->minimumSizeHint().expandedTo(stack_->minimumSize());
    const int width = std::max(tabWidth_, pages.width() + 2 * frame);
    const int n = std::max(1, Count());
    const int perRow = std::max(1, std::min(n, width / std::max(1, tabWidth_)));
    const int rows = (n + perRow - 1) / perRow;
    return QSize(width, rows * TabHeight() + pages.height() + 2 * frame);
}

void PageControl::resizeEvent(QResizeEvent*)
{
    Relayout();
}

void PageControl::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = PaneRect();
    frame.shape = QTabBar::RoundedNorth;
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

void PageControl::keyPressEvent(QKeyEvent* event)
{
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    int step = 0;
    if (mods == Qt::ControlModifier && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_PageDown))
        step = 1;
    else if ((mods == (Qt::ControlModifier | Qt::ShiftModifier) && event->key() == Qt::Key_Backtab) ||
             (mods == Qt::ControlModifier && event->key() == Qt::Key_PageUp))
        step = -1;
    if (step == 0 || Count() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    SetCurrentIndex((current_ + step + Count()) % Count());
    event->accept();
}

} // namespace quillo
