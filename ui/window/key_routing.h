// The main window's keyboard rules:
// 1. A main menu shortcut is always the menu's: the focused control never sees
//    it, and the item acts only while it and its menu are enabled.
// 2. Alt with a tool button's letter clicks the button when it is enabled; so
//    does the letter alone while a check box or button has the focus.
// Qt's own mechanisms would give the key to a control that claims it (Ctrl+C
// in an edit field) or to it when the item is disabled, so the window takes
// these keys before anyone else: it claims the shortcut override, then acts on
// the key press.
#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace quillo {

struct WindowLayout;

// Watches every key of the application for the ones aimed at the window,
// from its creation to its end.
class KeyRouter : public QObject {
    Q_OBJECT
public:
    KeyRouter(QWidget& window, const WindowLayout& controls);
    ~KeyRouter() override;

    // Ctrl+F (no menu item uses it): the find bar opens. F3 and Shift+F3
    // find again while the bar is open.
    void SetFindKeys(std::function<void()> open, std::function<void(bool forward)> again, std::function<bool()> isOpen)
    {
        openFind_ = std::move(open);
        findAgain_ = std::move(again);
        findOpen_ = std::move(isOpen);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the key does, or nothing when it is not one of the window's.
    std::function<void()> Route(const QKeyEvent& key, QWidget* receiver) const;

    QWidget& window_;
    const WindowLayout& controls_;
    std::function<void()> openFind_;
    std::function<void(bool)> findAgain_;
    std::function<bool()> findOpen_;
};

} // namespace quillo
