#include "ui/window/key_routing.h"

#include "ui/window/window_layout.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>

namespace quillo {
namespace {

void ActivateMenuItem(QAction* item, QMenu* menu)
{
    if (item->isEnabled() && menu->isEnabled())
        item->trigger();
}

void ClickToolButton(QToolButton* button)
{
    if (button->isEnabled())
        button->click();
}

} // namespace

KeyRouter::KeyRouter(QWidget& window, const WindowLayout& controls) : window_(window), controls_(controls)
{
    qApp->installEventFilter(this);
}

KeyRouter::~KeyRouter()
{
    qApp->removeEventFilter(this);
}

std::function<void()> KeyRouter::Route(const QKeyEvent& key, QWidget* receiver) const
{
    const WindowLayout& c = controls_;
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    const int code = key.key();
    const struct {
        Qt::KeyboardModifiers mods;
        int key;
        QAction* item;
        QMenu* menu;
    } menuKeys[] = {
        {Qt::ControlModifier, Qt::Key_O, c.Open1, c.File1},     {Qt::ControlModifier, Qt::Key_S, c.mSave, c.File1},
        {Qt::NoModifier, Qt::Key_F9, c.mStart, c.mSearch},      {Qt::ControlModifier, Qt::Key_C, c.mCancel, c.mSearch},
        {Qt::ControlModifier, Qt::Key_Delete, c.mClear, c.mSearch},
    };
    for (const auto& k : menuKeys)
        if (k.mods == mods && k.key == code)
            return [item = k.item, menu = k.menu] { ActivateMenuItem(item, menu); };
    if (openFind_ && mods == Qt::ControlModifier && code == Qt::Key_F)
        return openFind_;
    if (findAgain_ && findOpen_ && findOpen_() && code == Qt::Key_F3 &&
        (mods == Qt::NoModifier || mods == Qt::ShiftModifier))
        return [again = findAgain_, forward = mods == Qt::NoModifier] { again(forward); };

    const bool alt = mods == Qt::AltModifier;
    const bool alone =
        (mods == Qt::NoModifier || mods == Qt::ShiftModifier) && qobject_cast<QAbstractButton*>(receiver);
    if (!alt && !alone)
        return {};
    const struct {
        int key;
        QToolButton* button;
    } letters[] = {
        {Qt::Key_O, c.CmdOpen},   {Qt::Key_V, c.CmdSave},   {Qt::Key_L, c.CmdClear},
        {Qt::Key_S, c.CmdSearch}, {Qt::Key_C, c.CmdCancel}, {Qt::Key_A, c.CmdAbout},
    };
    for (const auto& l : letters)
        if (l.key == code)
            return [button = l.button] { ClickToolButton(button); };
    return {};
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto* receiver = qobject_cast<QWidget*>(watched);
    if (!receiver || receiver->window() != &window_)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const std::function<void()> action = Route(*key, receiver);
    if (!action)
        return false;
    key->accept();
    if (type == QEvent::KeyPress)
        action();
    return true;
}

} // namespace quillo
