#pragma once
// Mouse events sent straight to a widget, for the tests of the windows.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace klt::test {

inline void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void press(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) { mouse(w, QEvent::MouseButtonPress, at, b, b); }
inline void drag(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) { mouse(w, QEvent::MouseMove, at, Qt::NoButton, b); }
inline void hover(QWidget* w, QPoint at) { mouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
inline void release(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton)
{
    mouse(w, QEvent::MouseButtonRelease, at, b, Qt::NoButton);
}

} // namespace klt::test
