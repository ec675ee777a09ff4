#pragma once
#include <QList>
#include <QObject>
#include <QPointer>

#include "paint/ShiftState.h"

class QAbstractButton;
class QAction;
class QKeyEvent;
class QWidget;

// The main window's keyboard routing after Qt's own shortcut stage (F1 on the Help
// menu): Enter without Shift, Ctrl or Alt clicks the default button wherever the focus
// is; Tab is left to Qt's focus chain; every other key press is announced as keyPressed
// before the focused control receives it, and then goes on to that control, except Enter
// with Shift, Ctrl or Alt, which ends with the announcement. The shortcuts of the
// actions given to routeAfterPreview are the exception to Qt's shortcut stage: they are
// previewed like any other key first, then trigger their action. The keypad's plus and
// minus never reach the shortcut stage, with any modifier: they are always key presses.
class KeyRouter : public QObject {
    Q_OBJECT
public:
    KeyRouter(QWidget* window, QAbstractButton* defaultButton);
    ~KeyRouter() override;

    // Takes the action's shortcuts away from Qt's shortcut stage (the menu still shows
    // them): such a key is announced as keyPressed, then triggers the action if it is
    // enabled and is taken; a disabled action's key goes on to the focused control.
    void routeAfterPreview(QAction* action);

signals:
    void keyPressed(int virtualKey, ShiftState shift);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isFirstReceiver(QObject* watched) const;
    QAction* routedAction(const QKeyEvent& key) const;

    QWidget* window_;
    QPointer<QAbstractButton> defaultButton_;
    QList<QPointer<QAction>> routed_;
};
