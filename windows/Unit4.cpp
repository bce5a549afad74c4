// The calculator window "Расчет формул".
#include "windows/Unit4.h"

#include "platform/Application.h"
#include "windows/FormTools.h"
#include "windows/FormulaEdit.h"
#include "engine/Formula_math.h"
#include "platform/Platform.h"
#include "export/Report.h"
#include "windows/WebPage.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <limits>

namespace {

const QString NoRounding = QStringLiteral("и более");
const QString SampleFormula = QStringLiteral("cos(a)+sin(90/2)+a*bg");

std::u16string U16(const QString& s) { return s.toStdU16String(); }

// Hands every keystroke of a cell editor to the table at once, so that a
// computation started from the keyboard sees the value being typed.
class TLiveCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      auto* self = const_cast<TLiveCellDelegate*>(this);
      connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
    }
    return editor;
  }
};

void SetFont(QWidget* widget, bool bold, qreal scale = 1.0) {
  QFont font = widget->font();
  font.setBold(bold);
  if (scale != 1.0) font.setPointSizeF(font.pointSizeF() * scale);
  widget->setFont(font);
}

}  // namespace

TForm4::TForm4(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("Расчет формул"));

  // Menu.
  MainMenu1 = new QMenuBar(this);
  N10 = MainMenu1->addMenu(QStringLiteral("Формула"));
  N11 = N10->addAction(QStringLiteral("Новая"));
  N11->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  N12 = N10->addAction(QStringLiteral("Открыть из файла"));
  N12->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  N24 = N10->addMenu(QStringLiteral("Експортировать"));
  Word1 = N24->addAction(QStringLiteral("В Word"));
  Word1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  N25 = N24->addAction(QStringLiteral("В текстовый файл"));
  N25->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  N26 = N24->addAction(QStringLiteral("В буфер"));
  N26->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  N27 = N10->addAction(QStringLiteral("Рассчитать"));
  N27->setShortcut(QKeySequence(Qt::Key_F5));
  N2 = MainMenu1->addAction(QStringLiteral("Закрыть"));
  N2->setShortcut(QKeySequence(Qt::Key_F10));

  // Controls.
  Label1 = new QLabel(QStringLiteral("                                              Формула"), this);
  Label1->setTextFormat(Qt::PlainText);
  SetTextColour(Label1, QPalette::WindowText, QColor(0x00, 0x00, 0x80));
  SetFont(Label1, true);

  Edit1 = new QLineEdit(QStringLiteral("max(-4;8;2,5)"), this);
  SetTextColour(Edit1, QPalette::Text, QColor(0x00, 0x80, 0x00));
  SetFont(Edit1, true);
  FormulaMenu = new TFormulaMenu(Edit1, TFormulaMenu::TTemplates::Calculator);

  Label5 = new QLabel(QStringLiteral("="), this);
  SetFont(Label5, true, 2.0);

  Edit2 = new QLineEdit(this);
  Edit2->setReadOnly(true);
  SetTextColour(Edit2, QPalette::Text, Qt::red);
  SetFont(Edit2, true);

  Label6 = new QLabel(QStringLiteral("с точностью"), this);

  ComboBox3 = new QComboBox(this);
  ComboBox3->setEditable(true);
  ComboBox3->setInsertPolicy(QComboBox::NoInsert);
  ComboBox3->addItems({QStringLiteral("0,1"), QStringLiteral("0,01"), QStringLiteral("0,001"),
                       QStringLiteral("0,0001"), QStringLiteral("0,00001"), QStringLiteral("0,000001"),
                       QStringLiteral("0,0000001"), QStringLiteral("0,00000001"), NoRounding});
  ComboBox3->setCurrentText(QStringLiteral("0,001"));
  // The text typed is the precision used: "0" must not become "0,1".
  ComboBox3->setCompleter(nullptr);
  ComboBox3->setMinimumContentsLength(10);
  ComboBox3->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

  StringGrid1 = new QTableWidget(0, 2, this);
  StringGrid1->horizontalHeader()->hide();
  StringGrid1->verticalHeader()->hide();
  StringGrid1->horizontalHeader()->setMinimumSectionSize(10);
  StringGrid1->setColumnWidth(0, 150);
  StringGrid1->setColumnWidth(1, 150);
  StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->verticalHeader()->setDefaultSectionSize(24);
  StringGrid1->setWordWrap(false);
  StringGrid1->setTabKeyNavigation(false);  // Tab leaves the table, as it does every other control
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                               QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  StringGrid1->setItemDelegateForColumn(1, new TLiveCellDelegate(StringGrid1));
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  StringGrid1->setFixedWidth(300 + 2 * StringGrid1->frameWidth() + StringGrid1->verticalScrollBar()->sizeHint().width());
  StringGrid1->setMinimumHeight(8 * 24 + 2 * StringGrid1->frameWidth());
  QSizePolicy keepPlace = StringGrid1->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  StringGrid1->setSizePolicy(keepPlace);

  Button2 = new QPushButton(QStringLiteral("Расчет"), this);
  Button2->setCursor(Qt::PointingHandCursor);
  Button2->setAutoDefault(false);
  SetFont(Button2, true, 1.5);
  Button2->setMinimumSize(150, 40);

  Label2 = MakeFooterLabel(this);

  // Layout.
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu1);
  layout->setContentsMargins(10, 8, 10, 8);
  layout->addWidget(Label1);
  layout->addWidget(Edit1);
  auto* resultRow = new QHBoxLayout;
  resultRow->addWidget(Label5);
  resultRow->addWidget(Edit2, 1);
  resultRow->addSpacing(8);
  resultRow->addWidget(Label6);
  resultRow->addWidget(ComboBox3);
  layout->addLayout(resultRow);
  auto* tableRow = new QHBoxLayout;
  tableRow->addWidget(StringGrid1);
  tableRow->addStretch(1);
  tableRow->addWidget(Button2, 0, Qt::AlignTop);
  layout->addLayout(tableRow, 1);
  layout->addWidget(Label2);
  resize(620, 400);

  // Handlers.
  connect(Edit1, &QLineEdit::textChanged, this, Guarded([this] { Edit1Change(); }));
  connect(ComboBox3, &QComboBox::editTextChanged, this, Guarded([this] { ComboBox3Change(); }));
  // Picking an item counts as a change even when it is the one already shown.
  connect(ComboBox3, &QComboBox::activated, this, Guarded([this] { ComboBox3Change(); }));
  FocusWatch = connect(qApp, &QApplication::focusChanged, this,
                       [this](QWidget* old, QWidget* now) { Guarded([&] { GridFocusChanged(old, now); })(); });
  connect(Button2, &QPushButton::clicked, this, Guarded([this] { Button2Click(); }));
  connect(N27, &QAction::triggered, this, Guarded([this] { N27Click(); }));
  connect(N10, &QMenu::aboutToShow, this, Guarded([this] { N10Click(); }));
  connect(N11, &QAction::triggered, this, Guarded([this] { N11Click(); }));
  connect(N12, &QAction::triggered, this, Guarded([this] { N12Click(); }));
  connect(Word1, &QAction::triggered, this, Guarded([this] { Word1Click(); }));
  connect(N25, &QAction::triggered, this, Guarded([this] { N25Click(); }));
  connect(N26, &QAction::triggered, this, Guarded([this] { N26Click(); }));
  connect(N2, &QAction::triggered, this, Guarded([this] { N2Click(); }));
  connect(Label2, &TClickLabel::clicked, this, Guarded([this] { Label2Click(); }));

  HideGrid();
  FormCreate();
}

// The focus leaves the grid while QWidget's destructor deletes it: the
// application must not call back into a window that is no longer one.
TForm4::~TForm4() { disconnect(FocusWatch); }

void TForm4::Reset() {
  CalcRunCount = 1;
  VarsShown = false;
  Computed = false;
  ValuesRead = false;
  InputsChanged = false;
}

void TForm4::HideGrid() {
  StringGrid1->setEnabled(false);
  StringGrid1->hide();
  StringGrid1->setRowCount(0);
}

void TForm4::FormCreate() { Reset(); }

void TForm4::FormActivate() {
  HideGrid();
  Edit2->clear();
  Edit1->setText(SampleFormula);
  Reset();
}

void TForm4::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    CentreOnScreen(this);
    FormActivate();
  }
  QWidget::showEvent(event);
}

void TForm4::Edit1Change() {
  Reset();
  HideGrid();
  Edit2->clear();
}

void TForm4::ComboBox3Change() { InputsChanged = true; }

bool TForm4::InGrid(const QWidget* widget) const {
  return widget && (widget == StringGrid1 || StringGrid1->isAncestorOf(widget));
}

void TForm4::GridFocusChanged(QWidget* old, QWidget* now) {
  // Only a move to another control of this window leaves the grid; a message
  // box or another window taking the focus for a while does not.
  if (InGrid(old) && now && !InGrid(now) && now->window() == this) StringGrid1Exit();
}

std::u16string TForm4::ValueCell(int row) const {
  const QTableWidgetItem* cell = StringGrid1->item(row, 1);
  return U16(cell ? cell->text() : QString());
}

void TForm4::StringGrid1Exit() {
  if (!ValuesRead) return;
  const int rows = StringGrid1->rowCount();
  for (int row = 0; row < rows && row + 1 < int(LastVarValues.size()); ++row) {
    const std::u16string text = ValueCell(row);
    long double value = 0;
    if (IsNumber(text) && TryTextToFloat(DotToComma(text), value) && double(value) != LastVarValues[row + 1]) {
      InputsChanged = true;
      return;
    }
  }
}

void TForm4::Compute() {
  // A value typed into the grid counts even when the computation is started
  // from the keyboard without leaving the grid.
  if (InGrid(QApplication::focusWidget())) StringGrid1Exit();

  if (Computed && !InputsChanged) return;
  Edit2->clear();

  const QString precisionText = ComboBox3->currentText();
  const bool noRounding = precisionText == NoRounding;
  if (!noRounding && !IsNumber(U16(precisionText))) {
    Platform().Error(QStringLiteral("Ошибка! Неправильная запись точности расчета!"));
    Platform().Beep();
    ComboBox3->setFocus();
    return;
  }
  const double precision = noRounding ? 0 : double(StrToFloat(DotToComma(U16(precisionText))));

  if (VarsShown) {
    const int32_t count = CalcFormula->VarCount;
    if (!Computed) LastVarValues.assign(size_t(count) + 1, 0.0);
    for (int32_t i = 1; i <= count; ++i) {
      const std::u16string text = ValueCell(i - 1);
      if (!IsNumber(text)) {
        Platform().Error(QStringLiteral("Неправильная запись значения переменной  ") +
                         QString::fromStdU16String(CalcFormula->Vars[i].Name));
        Platform().Beep();
        StringGrid1->setFocus();
        StringGrid1->setCurrentCell(i - 1, 1);
        return;
      }
      const long double value = StrToFloat(DotToComma(text));
      CalcFormula->Vars[i].Value = value;
      LastVarValues[i] = double(value);
    }
    ValuesRead = true;
  } else {
    const std::u16string formula = U16(Edit1->text());
    CalcFormula = std::make_unique<TFormula>(formula, noRounding ? -1.0 : precision, CalcRunCount);
    CalcFormula->Parse(formula);
    if (CalcFormula->VarCount >= 1) {
      Platform().Information(QStringLiteral("В формуле есть переменные! Введите ихние значения."));
      Platform().Beep();
      VarsShown = true;
      StringGrid1->setRowCount(CalcFormula->VarCount);
      for (int32_t i = 1; i <= CalcFormula->VarCount; ++i) {
        auto* name = new QTableWidgetItem(QString::fromStdU16String(CalcFormula->Vars[i].Name));
        name->setFlags(Qt::ItemIsEnabled);
        name->setBackground(palette().button());
        StringGrid1->setItem(i - 1, 0, name);
        StringGrid1->setItem(i - 1, 1, new QTableWidgetItem(QString()));
      }
      StringGrid1->setEnabled(true);
      StringGrid1->show();
      StringGrid1->setFocus();
      StringGrid1->setCurrentCell(0, 1);
      return;
    }
  }

  CalcFormula->Precision = precision;
  CalcFormula->Evaluate(1);
  Edit2->setText(QString::fromStdU16String(CalcFormula->ResultText));
  Computed = true;
  if (CalcRunCount < std::numeric_limits<int32_t>::max()) ++CalcRunCount;
}

void TForm4::Button2Click() { Compute(); }
void TForm4::N27Click() { Compute(); }
void TForm4::N10Click() { Compute(); }

void TForm4::N11Click() {
  Edit1->clear();
  Edit2->clear();
}

// The main menu reaches the formula field's own file and clipboard actions.
void TForm4::N12Click() { FormulaMenu->N6Click(); }
void TForm4::N25Click() { FormulaMenu->N7Click(); }
void TForm4::N26Click() { FormulaMenu->N9Click(); }

void TForm4::Word1Click() {
  TBusyCursor busy;
  MakeCalculationReport(Edit1->text(), Edit2->text());
}

void TForm4::N2Click() { close(); }

void TForm4::Label2Click() { OpenWebPage(QString::fromLatin1(MakerWebAddress)); }
