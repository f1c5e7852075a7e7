#include "ui/window/status_panel.h"

#include "ui/window/page_control.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

#include <algorithm>

namespace quillo {
namespace {

constexpr int TextMarginLeft = 2;
constexpr int TextMarginRight = 1;

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QString StatusPanel::Text() const
{
    return QString::fromLocal8Bit(text_.data(), static_cast<qsizetype>(text_.size()));
}

void StatusPanel::Present()
{
    if (presented_ == text_)
        return;
    presented_ = text_;
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void StatusPanel::SetWidthRule(int leastWidth, QStringList longest)
{
    leastWidth_ = leastWidth;
    longest_ = std::move(longest);
    updateGeometry();
}

QRect StatusPanel::TextRect() const
{
    return contentsRect().adjusted(TextMarginLeft, 0, -TextMarginRight, 0);
}

QSize StatusPanel::minimumSizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    // Digits may differ in width: each one is measured as the widest.
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit)
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    int text = 0;
    for (QString sample : longest_) {
        for (QChar& c : sample)
            if (c.isDigit())
                c = widest;
        text = std::max(text, metrics.horizontalAdvance(sample));
    }
    const int chrome = 2 * frameWidth() + TextMarginLeft + TextMarginRight;
    return QSize(std::max(leastWidth_, text + chrome), QFrame::minimumSizeHint().height());
}

QSize StatusPanel::sizeHint() const
{
    return QSize(minimumSizeHint().width(), QFrame::sizeHint().height());
}

void StatusPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    const QRect area = TextRect();
    painter.setClipRect(area);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Text());
}

namespace {

class StatusPanelAccessible : public QAccessibleWidget {
public:
    explicit StatusPanelAccessible(StatusPanel* panel) : QAccessibleWidget(panel, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return static_cast<StatusPanel*>(widget())->Text();
        return QAccessibleWidget::text(t);
    }
};

class PageTabAccessible : public QAccessibleWidget {
public:
    explicit PageTabAccessible(PageTab* tab) : QAccessibleWidget(tab, QAccessible::PageTab) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<PageTab*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = static_cast<PageTab*>(widget())->isChecked();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<PageTab*>(widget())->click();
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("quillo::StatusPanel"))
        return new StatusPanelAccessible(static_cast<StatusPanel*>(object));
    if (className == QLatin1String("quillo::PageTab"))
        return new PageTabAccessible(static_cast<PageTab*>(object));
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

} // namespace quillo
