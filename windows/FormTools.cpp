#include "windows/FormTools.h"

#include "windows/WebPage.h"

#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

namespace {

// Ends a local event loop once the watched window is no longer visible.
class THideWatcher : public QObject {
 public:
  THideWatcher(QWidget* window, QEventLoop* loop) : Window(window), Loop(loop) { window->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A minimised window stays visible; only a real hide or close ends the showing.
    if (watched == Window && event->type() == QEvent::Hide && !Window->isVisible()) Loop->quit();
    return false;
  }

 private:
  QWidget* Window;
  QEventLoop* Loop;
};

}  // namespace

void ShowModal(QWidget* window) {
  if (auto* dialog = qobject_cast<QDialog*>(window)) {
    dialog->exec();
    return;
  }
  if (window->isVisible()) return;
  QPointer<QWidget> guard(window);
  const Qt::WindowModality before = window->windowModality();
  window->setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  THideWatcher watcher(window, &loop);
  QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
  window->show();
  window->raise();
  window->activateWindow();
  if (window->isVisible()) loop.exec(QEventLoop::DialogExec);
  if (guard) {
    guard->removeEventFilter(&watcher);
    guard->setWindowModality(before);
  }
}

void CentreOnScreen(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window->move(frame.topLeft());
}

TClickLabel::TClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setCursor(Qt::PointingHandCursor);
  setTextFormat(Qt::PlainText);
}

void TClickLabel::mousePressEvent(QMouseEvent* event) {
  Pressed = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = Pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  Pressed = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit clicked();
}

TClickLabel* MakeFooterLabel(QWidget* parent) {
  auto* label = new TClickLabel(MakerFooterText(), parent);
  SetTextColour(label, QPalette::WindowText, Qt::red);
  QFont font = label->font();
  font.setBold(true);
  font.setUnderline(true);
  label->setFont(font);
  return label;
}

void SetTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

bool TWindowKeysFirst::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
    for (const QKeyCombination& own : Keys)
      if (key == own) return true;
  }
  return QObject::eventFilter(watched, event);
}
