#include "windows/AnalysisResults.h"

#include "engine/Formula_math.h"
#include "platform/Application.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString Text(const std::u16string& s) { return QString::fromStdU16String(s); }

}  // namespace

// The rows with their texts made once: X with the digits that are sure,
// F(X) in the general format (empty where F has no value).
class TFindingsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  struct TRow {
    TFinding Finding;
    QString Texts[3];
  };

  static TRow RowOf(const TFinding& f) {
    return {f,
            {Text(FormatSure(f.X, f.Uncertainty)), std::isnan(f.Y) ? QString() : Text(FormatGeneral(f.Y)),
             TAnalysisDialog::KindText(f.Kind)}};
  }

  void Set(const std::vector<TFinding>& findings, const std::vector<QString>& kinds) {
    beginResetModel();
    Rows.clear();
    Rows.reserve(findings.size());
    for (size_t i = 0; i < findings.size(); ++i) {
      Rows.push_back(RowOf(findings[i]));
      if (i < kinds.size()) Rows.back().Texts[2] = kinds[i];
    }
    endResetModel();
  }
  void Add(const TFinding& f) {
    const int row = static_cast<int>(Rows.size());
    beginInsertRows(QModelIndex(), row, row);
    Rows.push_back(RowOf(f));
    endInsertRows();
  }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return Rows[static_cast<size_t>(index.row())].Texts[index.column()];
    if (role == Qt::TextAlignmentRole)
      return QVariant::fromValue(index.column() < 2 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    static const char16_t* const titles[] = {u"X", u"F(X)", u"Что"};
    return QString::fromUtf16(titles[section]);
  }

  std::vector<TRow> Rows;
};

TAnalysisDialog::TAnalysisDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Результаты анализа"));
  setModal(false);

  Heading = new QLabel(this);
  Heading->setWordWrap(true);
  Model = new TFindingsModel(this);
  Table = new QTableView(this);
  Table->setModel(Model);
  Table->setSelectionBehavior(QAbstractItemView::SelectRows);
  Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  Table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  Table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  Note = new QLabel(this);
  Note->setWordWrap(true);

  Label1 = new QLabel(QStringLiteral("X ="), this);
  Edit1 = new QLineEdit(this);
  Button1 = new QPushButton(QStringLiteral("Вычислить"), this);
  Button1->setAutoDefault(false);
  auto* valueRow = new QHBoxLayout;
  valueRow->addWidget(Label1);
  valueRow->addWidget(Edit1, 1);
  valueRow->addWidget(Button1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Heading);
  layout->addWidget(Table, 1);
  layout->addWidget(Note);
  layout->addLayout(valueRow);
  resize(460, 420);

  // Ctrl+C before the table's own, which copies one cell.
  Table->installEventFilter(this);
  connect(Table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid())
              emit PointChosen(static_cast<double>(Model->Rows[static_cast<size_t>(current.row())].Finding.X));
          });
  connect(Button1, &QPushButton::clicked, this, [this] { emit ValueRequested(); });
  connect(Edit1, &QLineEdit::returnPressed, this, [this] { emit ValueRequested(); });
}

TAnalysisDialog::~TAnalysisDialog() = default;

QString TAnalysisDialog::KindText(TFindingKind kind) {
  switch (kind) {
    case TFindingKind::Root: return QStringLiteral("корень");
    case TFindingKind::Minimum: return QStringLiteral("минимум");
    case TFindingKind::Maximum: return QStringLiteral("максимум");
    case TFindingKind::Intersection: return QStringLiteral("пересечение");
    case TFindingKind::Break: return QStringLiteral("разрыв");
    case TFindingKind::Value: return QStringLiteral("значение");
  }
  return {};
}

void TAnalysisDialog::SetFindings(const QString& heading, const std::vector<TFinding>& findings,
                                  const QString& note, const std::vector<QString>& kinds) {
  Heading->setText(heading);
  Note->setText(note);
  Model->Set(findings, kinds);
}

void TAnalysisDialog::AddFinding(const TFinding& finding) {
  Model->Add(finding);
  const int row = Model->rowCount() - 1;
  Table->scrollTo(Model->index(row, 0));
  Table->selectRow(row);
}

void TAnalysisDialog::Clear() { SetFindings(QString(), {}, QString()); }

int TAnalysisDialog::RowCount() const { return Model->rowCount(); }

QStringList TAnalysisDialog::RowTexts(int row) const {
  const auto& texts = Model->Rows[static_cast<size_t>(row)].Texts;
  return {texts[0], texts[1], texts[2]};
}

QString TAnalysisDialog::SelectedText() const {
  QModelIndexList rows = Table->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  QString text;
  for (const QModelIndex& index : rows) text += RowTexts(index.row()).join(QLatin1Char('\t')) + QLatin1Char('\n');
  return text;
}

bool TAnalysisDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Table && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    CopySelection();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TAnalysisDialog::CopySelection() {
  const QString text = SelectedText();
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}
