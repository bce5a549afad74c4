// Small pieces every window uses: modal showing, centring, the clickable
// footer label.
#pragma once

#include <QKeyCombination>
#include <QLabel>
#include <QPalette>

#include <vector>

// Shows a top-level window modally and returns when it is hidden or closed,
// whatever its class (a QDialog runs its own exec()). The other windows of
// the application cannot be used meanwhile.
void ShowModal(QWidget* window);

// Gives one colour role of a widget's palette another colour (text colours of labels and fields).
void SetTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// Moves a top-level window to the centre of its screen.
void CentreOnScreen(QWidget* window);

// Lets the window's own shortcuts through a control that would take the keys
// as its own (a line field's Ctrl+K, a spin field's Ctrl+Insert): install it
// as the control's event filter.
class TWindowKeysFirst : public QObject {
 public:
  TWindowKeysFirst(QObject* parent, std::vector<QKeyCombination> keys) : QObject(parent), Keys(std::move(keys)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<QKeyCombination> Keys;
};

// A label that reports a left click; it has the hand cursor.
class TClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TClickLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool Pressed = false;
};

// The footer label of a window: the maker's footer text, red, bold and
// underlined. Connect its clicked() to the window's own handler.
TClickLabel* MakeFooterLabel(QWidget* parent);
