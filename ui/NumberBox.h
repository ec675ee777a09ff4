#pragma once
#include <QLineEdit>

// A read-only number box that only its up-down writes. Qt selects the whole text when
// Tab brings the focus in; a box with whole-text selection off drops that selection.
class NumberBox : public QLineEdit {
    Q_OBJECT
public:
    NumberBox(const QString& text, bool selectAllOnFocus, QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    bool selectAllOnFocus_;
};
