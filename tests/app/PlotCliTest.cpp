// matrikon-plot: its command line, and the program itself run without a
// display: the files of the examples, pictures equal to the windows' BMP
// files, its exit status and messages.
#include "app/plot/PlotCli.h"
#include "graph3d/Graph3D.h"
#include "plot2d/LineChart.h"
#include "tests/support/ExportCheck.h"
#include "tests/support/WidgetTest.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit7.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

using plotcli::ParseArguments;
using plotcli::TOptions;
using plotcli::TText;

QStringList Words(const char* line) { return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts); }

TEST(PlotCliArguments, TheExamplesAndTheirValues) {
  const auto two = ParseArguments(Words("2d sin(x) --also cos(x) --from -360 --to=360 --step 1 --size 1200x800 -o two.pdf"));
  ASSERT_TRUE(std::holds_alternative<TOptions>(two));
  const TOptions& o = std::get<TOptions>(two);
  EXPECT_FALSE(o.Plot3D);
  EXPECT_EQ(o.Formula, QStringLiteral("sin(x)"));
  EXPECT_EQ(o.Also, QStringList{QStringLiteral("cos(x)")});
  EXPECT_EQ(o.From, QStringLiteral("-360"));
  EXPECT_EQ(o.To, QStringLiteral("360"));
  EXPECT_EQ(o.Size, QSize(1200, 800));
  EXPECT_EQ(o.Output, QStringLiteral("two.pdf"));

  const auto wave = ParseArguments(Words("3d sin(x)*cos(y) --x -180:180 --y -90:45,5 --grid 120x60 --theta -30 --bands --water 95 -o w.SVG"));
  ASSERT_TRUE(std::holds_alternative<TOptions>(wave));
  const TOptions& w = std::get<TOptions>(wave);
  EXPECT_TRUE(w.Plot3D);
  EXPECT_EQ(w.X->From, QStringLiteral("-180"));
  EXPECT_EQ(w.Y->To, QStringLiteral("45,5"));
  EXPECT_EQ(w.Grid, QSize(120, 60));
  EXPECT_EQ(w.Theta, -30);
  EXPECT_TRUE(w.Bands);
  EXPECT_EQ(w.Water, 95);

  // A formula beginning with a minus comes after "--".
  const auto minus = ParseArguments(Words("2d -o m.png -- -x^2"));
  ASSERT_TRUE(std::holds_alternative<TOptions>(minus));
  EXPECT_EQ(std::get<TOptions>(minus).Formula, QStringLiteral("-x^2"));
}

TEST(PlotCliArguments, HelpVersionAndUsageErrors) {
  for (const char* line : {"--help", "2d -h", "--version"}) {
    const auto parsed = ParseArguments(Words(line));
    ASSERT_TRUE(std::holds_alternative<TText>(parsed)) << line;
    EXPECT_EQ(std::get<TText>(parsed).Status, 0);
  }
  // Every option and every example is in the help.
  const QString help = plotcli::HelpText();
  for (const char* option : {"--from", "--to", "--step", "--also", "--x", "--y", "--grid", "--theta", "--phi", "--bands",
                             "--water", "--size", "--output", "--help", "--version", "-o ", "--bands --water 95"})
    EXPECT_TRUE(help.contains(QString::fromLatin1(option))) << option;

  const char* wrong[] = {
      "",                              // no kind
      "4d -o a.png",                   // no such kind
      "2d x",                          // no file
      "2d x -o a.gif",                 // no such format
      "2d x --from",                   // no value
      "2d x --grid 3x3 -o a.png",      // an option of the other kind
      "3d --also x -o a.png",
      "3d --grid 3 -o a.png",          // not a pair
      "3d --theta half -o a.png",      // not a whole number
      "3d --x 1 -o a.png",             // not a range
      "2d x --bands=1 -o a.png",       // a switch takes no value
      "2d x y -o a.png",               // two formulas
      "2d x --colour red -o a.png",    // unknown
  };
  for (const char* line : wrong) {
    const auto parsed = ParseArguments(Words(line));
    ASSERT_TRUE(std::holds_alternative<TText>(parsed)) << line;
    EXPECT_EQ(std::get<TText>(parsed).Status, plotcli::kUsage) << line;
    EXPECT_TRUE(std::get<TText>(parsed).Text.endsWith(QStringLiteral("matrikon-plot --help"))) << line;
  }
}

// The program run as a user runs it: no display, no platform chosen for it.
struct TRun {
  int Status = -1;
  QString Errors;
};

TRun RunPlot(const QStringList& arguments, const QString& folder) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
  process.setProcessEnvironment(environment);
  process.setWorkingDirectory(folder);
  process.start(QStringLiteral(MATRIKON_PLOT_PROGRAM), arguments);
  if (!process.waitForFinished(120000)) return {};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardError())};
}

class PlotCliTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
  }
  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }
  // The window's BMP file, through its menu item.
  QImage WindowBmp(QWidget* window, QAction* bmp) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();
    const QString name = Dir.filePath(QStringLiteral("window%1").arg(++Saved));
    Scripted().SaveFileAnswers.push_back(name);
    bmp->trigger();
    return QImage(name + QStringLiteral(".bmp")).convertToFormat(QImage::Format_RGB32);
  }
  QTemporaryDir Dir;
  int Saved = 0;
};

TEST_F(PlotCliTest, TheExamplesWithoutADisplay) {
  const char* examples[] = {
      "2d sin(x)*x --from -200 --to 200 --step 1 -o plot.svg",
      "2d sin(x) --also cos(x) --from -360 --to 360 --step 1 --size 1200x800 -o two.pdf",
      "3d --grid 60x60 --theta 30 --phi 330 --bands --water 95 -o surface.png",
      "3d sin(x)*cos(y) --x -180:180 --y -180:180 --grid 120x120 -o wave.svg",
  };
  for (const char* line : examples) {
    const TRun run = RunPlot(Words(line), Dir.path());
    EXPECT_EQ(run.Status, 0) << line << ": " << run.Errors.toStdString();
    EXPECT_TRUE(run.Errors.isEmpty()) << line << ": " << run.Errors.toStdString();
  }
  EXPECT_FALSE(SvgPicture(Path("plot.svg"), QSize(617, 469)).isNull());
  EXPECT_EQ(PdfPageSize(Path("two.pdf")), QSizeF(1200, 800));
  EXPECT_TRUE(PdfText(Path("two.pdf")).contains(QStringLiteral("F(X) = cos(x)")));
  EXPECT_FALSE(QImage(Path("surface.png")).isNull());
  EXPECT_FALSE(SvgPicture(Path("wave.svg"), QSize(300, 200)).isNull());
}

// For the same inputs and size the PNG is the window's BMP, pixel for pixel.
TEST_F(PlotCliTest, PngIsTheWindowsBmp) {
  {
    TForm7 form;
    form.show();
    form.Edit1->setText(QStringLiteral("sin(x)*x"));
    form.Edit4->setText(QStringLiteral("0,5"));
    form.Button1Click();
    const QImage bmp = WindowBmp(&form, form.BMP1);
    ASSERT_EQ(RunPlot(Words("2d sin(x)*x --step 0.5 -o plane.png"), Dir.path()).Status, 0);
    EXPECT_TRUE(QImage(Path("plane.png")).convertToFormat(QImage::Format_RGB32) == bmp);
  }
  {
    TForm4_3D form;
    form.show();
    form.SpinEdit1->setValue(40);
    form.SpinEdit2->setValue(30);
    form.Button1Click();
    form.Plot->SetTheta(30);
    form.Plot->SetUseColors(true);
    form.edWater->setValue(80);
    form.N11->trigger();  // "График ниже"
    const QImage bmp = WindowBmp(&form, form.BMP1);
    ASSERT_EQ(RunPlot(Words("3d --grid 30x40 --theta 30 --bands --water 80 -o surface.png"), Dir.path()).Status, 0);
    const QImage png = QImage(Path("surface.png")).convertToFormat(QImage::Format_RGB32);
    // --water is the level of "График выше", not of "График ниже".
    EXPECT_EQ(png.size(), bmp.size());
    EXPECT_FALSE(png == bmp);
    form.N13->trigger();
    EXPECT_TRUE(png == WindowBmp(&form, form.BMP1));
  }
}

TEST_F(PlotCliTest, RefusalsKeepTheOldFileAndSayWhy) {
  QFile old(Path("old.png"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old picture");
  old.close();
  struct TCase {
    const char* Line;
    int Status;
    const char* Message;
  };
  const TCase cases[] = {
      {"2d sin(x -o old.png", 1, "Ошибка в записи математической формулы:"},
      {"2d x --from 2000000 -o old.png", 1, "Введенное значение вне допустимого диапазона!"},
      {"2d x --step 0 -o old.png", 1, "Неправильная запись шага расчета!"},
      {"3d --grid 1x5 -o old.png", 1, "Число образующих не может быть меньше 2"},
      {"3d --grid 1000x1000 -o old.svg", 1, "Файл SVG этого графика занял бы около 100 МБ."},
      {"2d x --also sin(x -o old.png", 1, "Ошибка в записи математической формулы:\nНесоответствие скобок\n"},
      {"2d x --from -o old.png", 2, "Лишнее в командной строке: old.png"},
      {"2d x -o old.gif", 2, "Вид файла задает его расширение"},
  };
  for (const TCase& c : cases) {
    const TRun run = RunPlot(Words(c.Line), Dir.path());
    EXPECT_EQ(run.Status, c.Status) << c.Line;
    EXPECT_TRUE(run.Errors.startsWith(QString::fromUtf8(c.Message))) << c.Line << ": " << run.Errors.toStdString();
  }
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old picture");
  EXPECT_FALSE(QFile::exists(Path("old.svg")));
  const TRun help = RunPlot({QStringLiteral("--help")}, Dir.path());
  EXPECT_EQ(help.Status, 0);
  EXPECT_TRUE(help.Errors.isEmpty());
}

}  // namespace
