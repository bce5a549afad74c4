// The main menu window "Матрикон".
#include "windows/Unit6.h"

#include "platform/Application.h"
#include "windows/FormTools.h"
#include "windows/WebPage.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TForm6::TForm6(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("Матрикон"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 10);
  layout->setSpacing(8);
  auto addButton = [&](const QString& text, void (TForm6::*handler)()) {
    auto* button = new QPushButton(text, this);
    button->setFixedSize(350, 30);
    button->setCursor(Qt::PointingHandCursor);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    // Return presses the focused button, as Space does.
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
    layout->addWidget(button, 0, Qt::AlignHCenter);
    return button;
  };
  Button1 = addButton(QStringLiteral("Расчет формул"), &TForm6::Button1Click);
  Button2 = addButton(QStringLiteral("Построение плоских графиков"), &TForm6::Button2Click);
  Button3 = addButton(QStringLiteral("Построение 3D графиков"), &TForm6::Button3Click);
  Button4 = addButton(QStringLiteral("Выйти"), &TForm6::Button4Click);

  layout->addSpacing(6);
  Label1 = MakeFooterLabel(this);
  connect(Label1, &TClickLabel::clicked, this, Guarded([this] { Label1Click(); }));
  layout->addWidget(Label1, 0, Qt::AlignHCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm6::SetToolWindows(QWidget* calculator, QWidget* plot2d, QWidget* plot3d) {
  Calculator = calculator;
  Plot2D = plot2d;
  Plot3D = plot3d;
}

void TForm6::Button1Click() {
  if (Calculator) ShowModal(Calculator);
}

void TForm6::Button2Click() {
  if (Plot2D) ShowModal(Plot2D);
}

void TForm6::Button3Click() {
  if (Plot3D) ShowModal(Plot3D);
}

void TForm6::Button4Click() { QCoreApplication::quit(); }

void TForm6::Label1Click() { OpenWebPage(QString::fromLatin1(MakerWebAddress)); }

void TForm6::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CentreOnScreen(this);
  QWidget::showEvent(event);
}

void TForm6::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  QCoreApplication::quit();
}
