#include "ui/status_panel.h"

#include "ui/page_control.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

namespace quillo {

StatusPanel::StatusPanel(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

bool StatusPanel::SetText(std::string_view text)
{
    if (text_ == text)
        return false;
    text_.assign(text);
    dirty_ = true;
    return true;
}

QString StatusPanel::Text() const
{
    return QString::fromLocal8Bit(text_.data(), static_cast<qsizetype>(text_.size()));
}

void StatusPanel::Present()
{
    if (!dirty_)
        return;
    dirty_ = false;
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void StatusPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    const QRect area = contentsRect().adjusted(2, 0, -1, 0);
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
