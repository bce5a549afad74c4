#include "app/plot/PlotCli.h"

#include "engine/Formula_math.h"
#include "export/PictureExport.h"
#include "export/VectorPicture.h"
#include "graph3d/Graph3D.h"
#include "platform/Application.h"
#include "platform/ConsolePlatform.h"
#include "platform/Files.h"
#include "platform/LongWork.h"
#include "plot2d/LineChart.h"
#include "windows/SurfaceDialog.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit7.h"

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QSpinBox>

#include <functional>
#include <map>

namespace plotcli {

namespace {

constexpr int kMinGrid = 2, kMaxGrid = 3000;
constexpr int kMinSide = 50, kMaxSide = 10000;

const QString HelpHint = QStringLiteral("Справка: matrikon-plot --help");

TText Usage(const QString& text) { return {text + u'\n' + HelpHint, kUsage}; }

// "60x60", "1200x800": two whole numbers.
std::optional<QSize> ReadPair(const QString& text) {
  const QStringList parts = text.split(QRegularExpression(QStringLiteral("[xX×]")));
  if (parts.size() != 2) return std::nullopt;
  bool okWidth = false, okHeight = false;
  const int width = parts[0].toInt(&okWidth), height = parts[1].toInt(&okHeight);
  if (!okWidth || !okHeight) return std::nullopt;
  return QSize(width, height);
}

std::optional<int> ReadWhole(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

// A range field takes a decimal comma; a point is read as one.
QString Comma(QString text) { return text.replace(u'.', u','); }

}  // namespace

QString VersionText() { return QStringLiteral("matrikon-plot " MATRIKON_VERSION); }

QString HelpText() {
  return QStringLiteral(
      "matrikon-plot рисует график Матрикона в файл, без окна и без дисплея.\n"
      "\n"
      "Использование:\n"
      "  matrikon-plot 2d [F(X)] [параметры] -o ФАЙЛ\n"
      "  matrikon-plot 3d [Z(X;Y)] [параметры] -o ФАЙЛ\n"
      "\n"
      "Вид файла задает его расширение: .png, .bmp, .svg или .pdf. Все, что не\n"
      "указано, берется как в окне при открытии. Числа пишутся с десятичной\n"
      "запятой (0,5) или с точкой (0.5). Формула, которая начинается со знака\n"
      "минус, пишется после --.\n"
      "\n"
      "Плоский график (2d), как в окне \"Построение плоских графиков\":\n"
      "  F(X)              формула (sin(x))\n"
      "  --from A          начало диапазона X (-200)\n"
      "  --to B            конец диапазона X (200)\n"
      "  --step H          шаг расчета (1)\n"
      "  --also ФОРМУЛА    еще одна кривая на том же диапазоне; можно несколько раз\n"
      "\n"
      "3D график (3d), как в окне \"Построение 3D графиков\":\n"
      "  Z(X;Y)            формула поверхности; без нее встроенная поверхность\n"
      "  --x A:B           диапазон X поверхности по формуле (-180:180)\n"
      "  --y C:D           диапазон Y поверхности по формуле (-180:180)\n"
      "  --grid XxY        число образующих линий вдоль осей X и Y, от 2 до 3000 (4x4)\n"
      "  --theta T         поворот вокруг оси высоты, в градусах (60)\n"
      "  --phi F           наклон, в градусах (330)\n"
      "  --bands           цветные полосы по высоте\n"
      "  --water H         уровень воды в процентах высоты, от 0 до 100: все, что\n"
      "                    ниже, рисуется на уровне (\"График выше\")\n"
      "\n"
      "Для обоих:\n"
      "  --size ШxВ        размер графика в точках, от 50 до 10000 (как в окне)\n"
      "  -o, --output ФАЙЛ куда записать рисунок; старый файл заменяется, только\n"
      "                    когда новый записан целиком\n"
      "  -h, --help        эта справка\n"
      "  -v, --version     версия программы\n"
      "\n"
      "Примеры:\n"
      "  matrikon-plot 2d \"sin(x)*x\" --from -200 --to 200 --step 1 -o plot.svg\n"
      "  matrikon-plot 2d \"sin(x)\" --also \"cos(x)\" --from -360 --to 360 --step 1 --size 1200x800 -o two.pdf\n"
      "  matrikon-plot 3d --grid 60x60 --theta 30 --phi 330 --bands --water 95 -o surface.png\n"
      "  matrikon-plot 3d \"sin(x)*cos(y)\" --x -180:180 --y -180:180 --grid 120x120 -o wave.svg\n"
      "\n"
      "Сообщения программы и формулы выводятся в поток ошибок. Код завершения:\n"
      "0 рисунок записан, 1 данные отклонены или файл не записан, 2 ошибка в\n"
      "командной строке.\n");
}

std::variant<TOptions, TText> ParseArguments(const QStringList& arguments) {
  TOptions options;
  QStringList positional;
  // Options of one kind of plot only.
  const QStringList only2D = {QStringLiteral("--from"), QStringLiteral("--to"), QStringLiteral("--step"),
                              QStringLiteral("--also")};
  const QStringList only3D = {QStringLiteral("--x"), QStringLiteral("--y"), QStringLiteral("--grid"),
                              QStringLiteral("--theta"), QStringLiteral("--phi"), QStringLiteral("--bands"),
                              QStringLiteral("--water")};
  QStringList given;
  bool optionsEnd = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    QString argument = arguments[i];
    if (optionsEnd || !argument.startsWith(u'-') || argument == QStringLiteral("-")) {
      positional << argument;
      continue;
    }
    if (argument == QStringLiteral("--")) {
      optionsEnd = true;
      continue;
    }
    if (argument == QStringLiteral("-h") || argument == QStringLiteral("--help")) return TText{HelpText(), 0};
    if (argument == QStringLiteral("-v") || argument == QStringLiteral("--version")) return TText{VersionText(), 0};
    if (argument == QStringLiteral("-o")) argument = QStringLiteral("--output");
    QString value;
    bool inlineValue = false;
    if (const qsizetype equals = argument.indexOf(u'='); equals > 0 && argument.startsWith(QStringLiteral("--"))) {
      value = argument.mid(equals + 1);
      argument.truncate(equals);
      inlineValue = true;
    }
    const bool flag = argument == QStringLiteral("--bands");
    const bool known = flag || only2D.contains(argument) || only3D.contains(argument) ||
                       argument == QStringLiteral("--size") || argument == QStringLiteral("--output");
    if (!known) return Usage(QStringLiteral("Неизвестный параметр: %1").arg(arguments[i]));
    if (flag && inlineValue) return Usage(QStringLiteral("У параметра %1 не бывает значения").arg(argument));
    if (!flag && !inlineValue) {
      // The next word is the value, also when it begins with a minus (-200).
      if (i + 1 >= arguments.size()) return Usage(QStringLiteral("У параметра %1 нет значения").arg(argument));
      value = arguments[++i];
    }
    given << argument;

    const auto bad = [&] { return Usage(QStringLiteral("Неправильное значение параметра %1: %2").arg(argument, value)); };
    if (argument == QStringLiteral("--from")) options.From = value;
    else if (argument == QStringLiteral("--to")) options.To = value;
    else if (argument == QStringLiteral("--step")) options.Step = value;
    else if (argument == QStringLiteral("--also")) options.Also << value;
    else if (argument == QStringLiteral("--bands")) options.Bands = true;
    else if (argument == QStringLiteral("--output")) options.Output = value;
    else if (argument == QStringLiteral("--x") || argument == QStringLiteral("--y")) {
      // "-180:180"; the colon parts the two numbers.
      const QStringList parts = value.split(u':');
      if (parts.size() != 2 || parts[0].isEmpty() || parts[1].isEmpty()) return bad();
      (argument == QStringLiteral("--x") ? options.X : options.Y) = TRange{parts[0], parts[1]};
    } else if (argument == QStringLiteral("--grid") || argument == QStringLiteral("--size")) {
      const std::optional<QSize> pair = ReadPair(value);
      if (!pair) return bad();
      (argument == QStringLiteral("--grid") ? options.Grid : options.Size) = pair;
    } else {
      const std::optional<int> whole = ReadWhole(value);
      if (!whole) return bad();
      if (argument == QStringLiteral("--theta")) options.Theta = whole;
      else if (argument == QStringLiteral("--phi")) options.Phi = whole;
      else options.Water = whole;
    }
  }

  if (positional.isEmpty()) return Usage(QStringLiteral("Не указан вид графика: 2d или 3d"));
  const QString kind = positional.takeFirst().toLower();
  if (kind != QStringLiteral("2d") && kind != QStringLiteral("3d"))
    return Usage(QStringLiteral("Вид графика может быть 2d или 3d, а не %1").arg(kind));
  options.Plot3D = kind == QStringLiteral("3d");
  if (positional.size() > 1) return Usage(QStringLiteral("Лишнее в командной строке: %1").arg(positional[1]));
  if (!positional.isEmpty()) options.Formula = positional.front();
  for (const QString& option : given) {
    if (options.Plot3D && only2D.contains(option))
      return Usage(QStringLiteral("Параметр %1 относится к плоскому графику (2d)").arg(option));
    if (!options.Plot3D && only3D.contains(option))
      return Usage(QStringLiteral("Параметр %1 относится к 3D графику (3d)").arg(option));
  }
  if (options.Output.isEmpty()) return Usage(QStringLiteral("Не указан файл рисунка: -o ФАЙЛ"));
  const QString suffix = QFileInfo(options.Output).suffix().toLower();
  if (suffix != QStringLiteral("png") && suffix != QStringLiteral("bmp") && suffix != QStringLiteral("svg") &&
      suffix != QStringLiteral("pdf"))
    return Usage(QStringLiteral("Вид файла задает его расширение: .png, .bmp, .svg или .pdf (%1)").arg(options.Output));
  return options;
}

namespace {

// The window's own size for its control, or the size asked for: the control
// is fixed at it and the window laid out around it.
bool FitControl(QWidget* window, QWidget* control, const std::optional<QSize>& size) {
  if (!size || control->size() == *size) return true;
  control->setFixedSize(*size);
  window->setMinimumSize(0, 0);
  window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  window->adjustSize();
  if (window->layout()) window->layout()->activate();
  QCoreApplication::processEvents();
  return control->size() == *size;
}

// Sets a field as if typed, without the checks that run while typing.
void Type(QLineEdit* field, const QString& text) {
  const QSignalBlocker quiet(field);
  field->setText(text);
}

bool Refused(TConsolePlatform& console, const QString& message) {
  console.ShowMessage(TMessageBoxIcon::Error, message);
  return false;
}

// Runs a step of a window; its exception is written as the general error
// report would show it, and refuses the plot.
bool Step(TConsolePlatform& console, const std::function<bool()>& step) {
  try {
    return step();
  } catch (...) {
    return Refused(console, ExceptionText(std::current_exception()));
  }
}

// The formula compiles: a syntax error is written by the engine itself.
bool Compiles(const QString& text) {
  const std::u16string formula = text.toStdU16String();
  TFormula check(formula, -1, 1);
  return check.Parse(formula);
}

bool Build2D(const TOptions& o, TForm7& form, TConsolePlatform& console) {
  if (!FitControl(&form, form.Chart1, o.Size)) return Refused(console, QStringLiteral("Не удалось дать графику этот размер."));
  if (o.From) Type(form.Edit2, Comma(*o.From));
  if (o.To) Type(form.Edit3, Comma(*o.To));
  if (o.Step) Type(form.Edit4, Comma(*o.Step));
  // The range fields' own check, as on leaving them: a message refuses.
  const int before = console.Messages();
  for (QLineEdit* field : {form.Edit2, form.Edit3}) {
    form.CheckRangeEdit(field);
    if (console.Messages() != before) return false;
  }
  QStringList formulas = {o.Formula.isEmpty() ? form.Edit1->text() : o.Formula};
  formulas += o.Also;
  for (qsizetype k = 0; k < formulas.size(); ++k) {
    if (formulas[k].isEmpty() || !Compiles(formulas[k])) {
      if (formulas[k].isEmpty()) Refused(console, QStringLiteral("Введите формулу, по которой будет строиться график!"));
      return false;
    }
  }
  for (qsizetype k = 0; k < formulas.size(); ++k) {
    // Every curve but the last is kept, as the window keeps one for the next.
    if (k > 0 && form.Chart1->KeepCurve() < 0) return Refused(console, QStringLiteral("Кривая не построена."));
    Type(form.Edit1, formulas[k]);
    const TFormula* previous = form.PlotFormula.get();
    if (!Step(console, [&] {
          form.Button1Click();
          // A build the window refused made no new formula.
          return form.PlotFormula && form.PlotFormula.get() != previous;
        }))
      return false;
  }
  return true;
}

bool Build3D(const TOptions& o, TForm4_3D& form, TConsolePlatform& console) {
  if (o.Grid) {
    for (const int n : {o.Grid->width(), o.Grid->height()}) {
      if (n < kMinGrid) return Refused(console, QStringLiteral("Число образующих не может быть меньше 2"));
      if (n > kMaxGrid) return Refused(console, QStringLiteral("Число образующих не может быть больше 3000"));
    }
    form.SpinEdit2->setValue(o.Grid->width());
    form.SpinEdit1->setValue(o.Grid->height());
  }
  if (o.Water && (*o.Water < 0 || *o.Water > 100))
    return Refused(console, QStringLiteral("Высота уровня может быть от 0 до 100"));
  if (!o.Formula.isEmpty()) {
    if (!form.SurfaceDialog) form.SurfaceDialog = new TSurfaceDialog(&form);
    TSurfaceDialog& dialog = *form.SurfaceDialog;
    Type(dialog.Edit1, o.Formula);
    if (o.X) Type(dialog.Edit2, Comma(o.X->From)), Type(dialog.Edit3, Comma(o.X->To));
    if (o.Y) Type(dialog.Edit4, Comma(o.Y->From)), Type(dialog.Edit5, Comma(o.Y->To));
    dialog.setResult(QDialog::Rejected);
    if (!Step(console, [&] {
          dialog.Button1Click();
          return dialog.result() == QDialog::Accepted;
        }))
      return false;
    // A surface where no point has a value is not shown (the window said why).
    if (!Step(console, [&] { return form.ApplySurfaceDialog(); })) return false;
  } else if (!Step(console, [&] {
               // Every rebuild the window carries out puts a new control in place.
               const TGraph3D* before = form.Plot;
               form.Button1Click();
               return form.Plot != before;
             })) {
    return false;
  }
  if (!form.Plot) return false;
  if (!FitControl(&form, form.Plot, o.Size)) return Refused(console, QStringLiteral("Не удалось дать графику этот размер."));
  return Step(console, [&] {
    if (o.Theta) form.Plot->SetTheta(*o.Theta);
    if (o.Phi) form.Plot->SetPhi(*o.Phi);
    if (o.Bands) form.Plot->SetUseColors(true);
    if (o.Water) {
      form.edWater->setValue(*o.Water);
      form.N13Click();  // "График выше"
    }
    // The cells are built here, so a failure is a refusal, not a picture of nothing.
    form.Plot->Prepare();
    return !form.Plot->BuildFailed();
  });
}

bool Write(const QString& fileName, TPlotKind kind, const TPictureSource& picture, TConsolePlatform& console) {
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  QByteArray data;
  const bool drawn = Step(console, [&] {
    if (suffix == QStringLiteral("png") || suffix == QStringLiteral("bmp")) {
      const QImage image = picture.Image();
      QBuffer encoded(&data);
      encoded.open(QIODevice::WriteOnly);
      QImageWriter writer(&encoded, suffix.toLatin1());
      if (image.isNull() || !writer.write(image))
        return Refused(console, QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, writer.errorString()));
      return true;
    }
    const TVectorFormat format = suffix == QStringLiteral("svg") ? TVectorFormat::Svg : TVectorFormat::Pdf;
    if (const uint64_t bytes = EstimateVectorBytes(format, picture); bytes > kLargeVectorFile)
      return Refused(console, VectorSizeText(format, bytes) + QStringLiteral(" Запишите его в файл .png или .bmp."));
    if (picture.Detach) {
      const TDetachedPicture detached = picture.Detach();
      TWorkControl control;
      data = *DrawVectorFile(VectorPage(format, picture, PlotTitle(kind)),
                             [&](QPainter& painter) { return detached(painter, control); });
    } else {
      data = VectorFile(format, picture, PlotTitle(kind));
    }
    return true;
  });
  if (!drawn) return false;
  if (const TSaveResult saved = SaveFileContents(fileName, data); !saved)
    return Refused(console, QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, saved.Reason));
  return true;
}

}  // namespace

int Run(const TOptions& o, TConsolePlatform& console) {
  if (o.Size && (o.Size->width() < kMinSide || o.Size->height() < kMinSide || o.Size->width() > kMaxSide ||
                 o.Size->height() > kMaxSide)) {
    Refused(console, QStringLiteral("Размер графика может быть от 50 до 10000 точек по каждой стороне"));
    return kRefused;
  }
  bool done = false;
  if (o.Plot3D) {
    TForm4_3D form;
    form.show();
    done = Build3D(o, form, console) && Write(o.Output, TPlotKind::Plot3D, form.Picture(), console);
  } else {
    TForm7 form;
    form.show();
    done = Build2D(o, form, console) && Write(o.Output, TPlotKind::Plot2D, form.Picture(), console);
  }
  return done ? 0 : kRefused;
}

}  // namespace plotcli
