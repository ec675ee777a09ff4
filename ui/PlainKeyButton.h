#pragma once
#include <QPushButton>

// A push button that the keyboard clicks only with Enter or Space pressed on their own:
// with Shift, Ctrl or Alt held these keys do nothing to it.
class PlainKeyButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
