#pragma once
#include <functional>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

// A double click as the window system delivers it: a click, then the second press
// followed by the double-click event, then its release. betweenTheClicks runs after the
// first click.
inline void DoubleClick(QWidget* widget, const std::function<void()>& betweenTheClicks = {})
{
    const QPoint centre = widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, centre);
    if (betweenTheClicks)
        betweenTheClicks();
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, centre);
    QMouseEvent second(QEvent::MouseButtonDblClick, centre, widget->mapToGlobal(QPointF(centre)), Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &second);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, centre);
}
