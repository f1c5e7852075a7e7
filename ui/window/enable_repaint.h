// Containers whose own drawing does not change when they are enabled or
// disabled: the "Main" page and its group box, which a search run disables
// and enables again.
//
// Qt repaints a widget's whole area on an enable change. For these
// containers that repaints everything beneath them as well (the page frame,
// the outer group box: nearly the whole window), although only their child
// controls change their looks, and those repaint themselves. Watched by this
// filter, a container repaints on an enable change only its frame, and that
// only where the style may draw a disabled frame differently, and still
// tells assistive tools that its state changed.
#pragma once

#include <QObject>

class QWidget;

namespace quillo {

class EnableRepaint : public QObject {
public:
    explicit EnableRepaint(QObject* parent) : QObject(parent) {}
    // container: a widget that draws at most a frame; it gets this filter.
    void Watch(QWidget* container);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace quillo
