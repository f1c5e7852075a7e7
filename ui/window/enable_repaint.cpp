#include "ui/window/enable_repaint.h"

#include <QAccessible>
#include <QEvent>
#include <QRegion>
#include <QWidget>

namespace quillo {

void EnableRepaint::Watch(QWidget* container)
{
    container->installEventFilter(this);
}

bool EnableRepaint::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::EnabledChange || !watched->isWidgetType())
        return false;
    auto* container = static_cast<QWidget*>(watched);
    // What QWidget itself does on an enable change, but with the repaint
    // limited to the frame around the contents.
    if (container->isVisible())
        container->update(QRegion(container->rect()) - QRegion(container->contentsRect()));
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent stateChange(container, changed);
        QAccessible::updateAccessibility(&stateChange);
    }
    return true;
}

} // namespace quillo
