#include "ui/KeyRouter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ui/ImageView.h"
#include "ui/VirtualKey.h"

namespace {

bool IsKeypadStep(const QKeyEvent& key)
{
    return (key.modifiers() & Qt::KeypadModifier) && (key.key() == Qt::Key_Plus || key.key() == Qt::Key_Minus);
}

}  // namespace

KeyRouter::KeyRouter(QWidget* window, QAbstractButton* defaultButton)
    : QObject(window), window_(window), defaultButton_(defaultButton)
{
    // Only an application-wide filter sees a key before the focused control's own
    // filters (an up-down steps from its buddy's filter).
    qApp->installEventFilter(this);
}

KeyRouter::~KeyRouter()
{
    qApp->removeEventFilter(this);
}

// A key event that the focused control ignores travels up to its parents, and the
// application filter sees it again at each; only its first receiver counts.
bool KeyRouter::isFirstReceiver(QObject* watched) const
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_)
        return false;
    const QWidget* focus = window_->focusWidget();
    if (focus && focus->window() == window_)
        return widget == focus;
    return widget == window_;
}

void KeyRouter::routeAfterPreview(QAction* action)
{
    routed_.append(action);
}

QAction* KeyRouter::routedAction(const QKeyEvent& key) const
{
    constexpr Qt::KeyboardModifiers kChord = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QKeySequence pressed(QKeyCombination(key.modifiers() & kChord, Qt::Key(key.key())));
    for (const QPointer<QAction>& action : routed_) {
        if (action && action->shortcuts().contains(pressed))
            return action;
    }
    return nullptr;
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event)
{
    // Qt offers every key to the focused control as a shortcut override before its
    // shortcut stage; taking it there keeps a routed shortcut, and the keypad's plus and
    // minus, for the key press. Qt would otherwise let Ctrl with the keypad's plus or
    // minus stand for the main keyboard's, which are the zoom's.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (!isFirstReceiver(watched) || (!IsKeypadStep(key) && !routedAction(key)))
            return false;
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress || !isFirstReceiver(watched))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers held = key->modifiers();
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool modified = held & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (enter && !modified) {
        if (defaultButton_ && defaultButton_->isEnabled())
            defaultButton_->click();
        return true;
    }
    emit keyPressed(VirtualKeyCode(key->key(), held), ShiftStateOf(held, QApplication::mouseButtons()));
    if (QAction* action = routedAction(*key); action && action->isEnabled()) {
        action->trigger();
        return true;
    }
    // Enter with Shift, Ctrl or Alt is the window handler's alone: a focused push button
    // would otherwise take it as a click.
    return enter;
}
