#pragma once
#include <QToolButton>

// A tool button of an exclusive group: clicking puts it down. A double click is
// reported only while the button is down, so its first click has already chosen it.
class SpeedButton : public QToolButton {
    Q_OBJECT
public:
    SpeedButton(const QIcon& glyph, const QString& hint, QWidget* parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
