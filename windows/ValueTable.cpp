#include "windows/ValueTable.h"

#include "analysis/ValuesCsv.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/LongWork.h"
#include "platform/Platform.h"
#include "plot2d/LineChart.h"
#include "plot2d/PointsTable.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString CsvTitle = QStringLiteral("Сохранение таблицы значений");
const QString CsvFilter = QStringLiteral("Файлы CSV (*.csv)|*.csv|");

}  // namespace

TValueTableDialog::TValueTableDialog(TLineChart* chart, QWidget* parent) : QDialog(parent), Chart(chart) {
  setWindowTitle(QStringLiteral("Таблица значений"));
  setModal(false);

  Model = new TPointsTableModel(chart, this);
  Table = new TPointsTableView(this);
  Table->SetModel(Model);
  Count = new QLabel(this);
  Button1 = new QPushButton(QStringLiteral("Сохранить в CSV…"), this);
  Button1->setAutoDefault(false);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(Count, 1);
  bottom->addWidget(Button1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Table, 1);
  layout->addLayout(bottom);
  resize(420, 520);

  ShowCount();
  connect(chart, &TLineChart::PointsChanged, this, [this] { ShowCount(); });
  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
}

void TValueTableDialog::ShowCount() {
  Count->setText(QStringLiteral("Точек: %1").arg(QLocale(QLocale::Russian).toString(Chart->PointCount())));
  Button1->setEnabled(Chart->PointCount() > 0);
}

void TValueTableDialog::Button1Click() {
  const std::optional<QString> chosen = ChooseSaveFile({CsvTitle, CsvFilter, 1}, QStringLiteral(".csv"));
  if (!chosen) return;
  const int64_t count = Chart->PointCount();
  const TValuesCsv::TReader read = Chart->PointsReader();
  TSaveResult saved;
  const bool done = RunLongWork(this, [&](TWorkControl& control) {
    TValuesCsv csv(count, read);
    saved = SaveFileInPieces(*chosen, [&](const TWritePiece& write) {
      for (std::string_view text; !(text = csv.Next()).empty();) {
        if (control.Stopped() || !write(QByteArrayView(text.data(), static_cast<qsizetype>(text.size()))))
          return false;
        control.SetProgress(csv.Progress());
      }
      return true;
    });
  });
  // Stopped: the old file, if any, is as it was.
  if (!done || saved.Failure == TSaveResult::TFailure::Stopped) return;
  if (!saved)
    throw EPlatformError(
        QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(*chosen), saved.Reason));
}
