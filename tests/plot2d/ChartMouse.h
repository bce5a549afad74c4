// Mouse events for the chart tests, sent straight to the widget that takes
// them, as the offscreen platform would deliver them.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

inline void SendMouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::NoButton,
                      Qt::MouseButtons held = Qt::NoButton) {
  QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

// One step of the wheel (120 eighths of a degree) away from the user: zooms in.
inline void SendWheel(QWidget* w, QPointF at, Qt::KeyboardModifiers keys = Qt::NoModifier, int steps = 1) {
  QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton, keys,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &event);
}

inline void SendLeave(QWidget* w) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(w, &event);
}
