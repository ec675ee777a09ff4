#pragma once
#include <QObject>
#include <QPointer>

#include "paint/ShiftState.h"

class QAbstractButton;
class QWidget;

// The main window's keyboard routing after Qt's own shortcut stage (F1 on the Help
// menu): Enter without Shift, Ctrl or Alt clicks the default button wherever the focus
// is; Tab is left to Qt's focus chain; every other key press is announced as keyPressed
// before the focused control receives it, and then goes on to that control, except Enter
// with Shift, Ctrl or Alt, which ends with the announcement.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    KeyPreview(QWidget* window, QAbstractButton* defaultButton);
    ~KeyPreview() override;

signals:
    void keyPressed(int virtualKey, ShiftState shift);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isFirstReceiver(QObject* watched) const;

    QWidget* window_;
    QPointer<QAbstractButton> defaultButton_;
};
