#pragma once
#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons stepping a position within a range, without wrapping.
// With a buddy box, every change writes the position into the box as decimal digits
// (which fires the box's change handler) and the box's Up and Down keys step it.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, int increment, int position, QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return buddy_; }

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int increment() const { return increment_; }
    int position() const { return position_; }

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    // One step up or down, clamped to the range. Returns false, and announces
    // nothing, when the position did not move.
    bool step(bool up);

signals:
    // An arrow moved the position; up tells which arrow.
    void clicked(bool up);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int minimum_;
    int maximum_;
    int increment_;
    int position_;
    QLineEdit* buddy_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
};
