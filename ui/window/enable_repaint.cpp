#include "ui/window/enable_repaint.h"

#include <QAccessible>
#include <QEvent>
#include <QRegion>
#include <QStyle>
#include <QWidget>

namespace quillo {
namespace {

// Whether the container's frame looks the same enabled and disabled. Fusion
// draws a group box's frame from one picture whatever its state. Repainting
// the frame costs nearly as much as repainting the whole page: the page frame
// and the outer group box beneath it are drawn again along all of it.
bool FrameKeepsItsLook(const QWidget& container)
{
    return container.contentsRect() == container.rect() ||
           container.style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

} // namespace

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
    if (container->isVisible() && !FrameKeepsItsLook(*container))
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
