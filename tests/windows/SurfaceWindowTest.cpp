// The formula surface in the 3D window: its dialog (defaults, checks, Enter
// and Esc), the surface it builds, the holes and the status line, the rebuilds
// that keep or drop it, the report and the settings file.
#include "graph3d/BuiltinSurface.h"
#include "tests/support/ExportCheck.h"
#include "tests/support/MeshReader.h"
#include "windows/FormulaEdit.h"
#include "graph3d/Graph3D.h"
#include "graph3d/Graph3DFile.h"
#include "windows/SurfaceDialog.h"
#include "windows/Unit4_3D.h"
#include "tests/support/WidgetTest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {


void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

class SurfaceDialogTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    Dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
  }
  // "Построить" with these texts in the fields.
  void Build(const QString& formula, const QString& xFrom = "-180", const QString& xTo = "180",
             const QString& yFrom = "-180", const QString& yTo = "180") {
    const QString texts[] = {formula, xFrom, xTo, yFrom, yTo};
    QLineEdit* fields[] = {Dialog.Edit1, Dialog.Edit2, Dialog.Edit3, Dialog.Edit4, Dialog.Edit5};
    for (int i = 0; i < 5; ++i) fields[i]->setText(texts[i]);
    Scripted().Clear();
    Dialog.Button1->click();
  }
  TSurfaceDialog Dialog;
};

TEST_F(SurfaceDialogTest, DefaultsAndLook) {
  EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("Поверхность по формуле"));
  EXPECT_EQ(Dialog.Label1->text(), QStringLiteral("Z(X;Y)="));
  EXPECT_EQ(Dialog.Edit1->text(), QStringLiteral("sin(x)*cos(y)"));
  const QLabel* labels[] = {Dialog.Label2, Dialog.Label3, Dialog.Label4, Dialog.Label5};
  const QLineEdit* fields[] = {Dialog.Edit2, Dialog.Edit3, Dialog.Edit4, Dialog.Edit5};
  const char* names[] = {"X от", "X до", "Y от", "Y до"};
  const char* values[] = {"-180", "180", "-180", "180"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(labels[i]->text(), QString::fromUtf8(names[i]));
    EXPECT_EQ(fields[i]->text(), QString::fromUtf8(values[i]));
  }
  EXPECT_EQ(Dialog.Button1->text(), QStringLiteral("Построить"));
  EXPECT_TRUE(Dialog.Button1->isDefault());
  EXPECT_EQ(Dialog.Button2->text(), QStringLiteral("Отмена"));
  // The shared formula menu, with the plot window's templates.
  ASSERT_NE(Dialog.FormulaMenu->TemplateItem(QStringLiteral("N13")), nullptr);
  Dialog.Edit1->setCursorPosition(Dialog.Edit1->text().size());
  Dialog.FormulaMenu->TemplateItem(QStringLiteral("N13"))->trigger();
  EXPECT_EQ(Dialog.Edit1->text(), QStringLiteral("sin(x)*cos(y)cos(x)"));
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

TEST_F(SurfaceDialogTest, FieldsAreCheckedAtTheBuildEachRefusalNamingItsField) {
  // Nothing is said while the user types.
  for (const char* typed : {"-", "0.", "", "1000001"}) Dialog.Edit4->setText(QString::fromUtf8(typed));
  EXPECT_THAT(Scripted().Lines(), IsEmpty());

  // At "Построить", in the order of the fields; the dialog stays open.
  struct TCase {
    QStringList Ranges;
    std::string Message;
    QLineEdit* Focus;
  };
  const TCase cases[] = {
      {{"a", "2", "3", "4"}, "error: Неправильная запись числа в поле «X от»!", Dialog.Edit2},
      {{"1", "2", "3", "4,5,"}, "error: Неправильная запись числа в поле «Y до»!", Dialog.Edit5},
      {{"1", "", "3", "4"}, "error: Неправильная запись числа в поле «X до»!", Dialog.Edit3},
      {{"1", "2", "-1000001", "4"}, "error: Значение в поле «Y от» вне допустимого диапазона!", Dialog.Edit4},
      {{"1e300", "2", "3", "4"}, "error: Значение в поле «X от» вне допустимого диапазона!", Dialog.Edit2},
      {{"1", "1e5000", "3", "4"}, "error: Значение в поле «X до» вне допустимого диапазона!", Dialog.Edit3},
      {{"0", "0.", "3", "4"}, "error: Значения в полях «X от» и «X до» совпадают: диапазон пуст!", Dialog.Edit3},
      {{"1", "2", "-3", "-3,0"}, "error: Значения в полях «Y от» и «Y до» совпадают: диапазон пуст!", Dialog.Edit5},
  };
  for (const TCase& c : cases) {
    Build(QStringLiteral("x"), c.Ranges[0], c.Ranges[1], c.Ranges[2], c.Ranges[3]);
    EXPECT_THAT(Scripted().Lines(), ElementsAre(c.Message, "beep"));
    EXPECT_TRUE(c.Focus->hasFocus()) << c.Message;
    EXPECT_TRUE(Dialog.isVisible());
  }
  Build(QString());
  EXPECT_THAT(Scripted().Lines(),
              ElementsAre("error: Введите формулу, по которой будет строиться график!", "beep"));
  // The engine shows a syntax error itself.
  Build(QStringLiteral("sin(x"));
  ASSERT_EQ(Scripted().MessageLines().size(), 1u);
  EXPECT_THAT(Scripted().MessageLines()[0], ::testing::StartsWith("error: Ошибка в записи математической формулы:"));
  EXPECT_TRUE(Dialog.Edit1->hasFocus());
  Build(QStringLiteral("x*y+z-t"));
  EXPECT_THAT(Scripted().Lines(),
              ElementsAre("error: Поверхность Z(X;Y) строится по двум переменным, а в формуле есть лишние: z, t!",
                          "beep"));
  EXPECT_TRUE(Dialog.isVisible());
  EXPECT_EQ(Dialog.TakeFormula(), nullptr);

  // A decimal point is read as a comma at the build.
  Build(QStringLiteral("x-y"), QStringLiteral("-1.5"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("0,25"));
  EXPECT_EQ(Dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(Dialog.isVisible());
  surface::TSurfaceGrid grid;
  Dialog.GetRanges(grid);
  EXPECT_EQ(grid.XFrom, -1.5L);
  EXPECT_EQ(grid.XTo, 2);
  EXPECT_EQ(grid.YFrom, 0);
  EXPECT_EQ(grid.YTo, 0.25L);
  const auto formula = Dialog.TakeFormula();
  ASSERT_NE(formula, nullptr);
  EXPECT_EQ(formula->Text(), u"x-y");
}

TEST_F(SurfaceDialogTest, EnterBuildsAndEscapeCancels) {
  QTest::keyClick(&Dialog, Qt::Key_Return);
  EXPECT_EQ(Dialog.result(), QDialog::Accepted);
  EXPECT_NE(Dialog.TakeFormula(), nullptr);
  Dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
  // Edits are dropped on Esc: the texts the dialog opened with come back.
  Dialog.Edit1->setText(QStringLiteral("x+"));
  Dialog.Edit3->setText(QStringLiteral("-"));
  QTest::keyClick(&Dialog, Qt::Key_Escape);
  EXPECT_EQ(Dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(Dialog.isVisible());
  EXPECT_EQ(Dialog.Edit1->text(), QStringLiteral("sin(x)*cos(y)"));
  EXPECT_EQ(Dialog.Edit3->text(), QStringLiteral("180"));
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

class SurfaceWindowTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Home.isValid());
    Scripted().Home = Home.path();
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    Settle();
  }
  // The grid fields, then "Поверхность по формуле…" and these texts in the
  // dialog, confirmed with Enter (none given: the dialog's texts as they are).
  void Build(int lines, int points, const QStringList& texts = {}) {
    Form.SpinEdit1->setValue(lines);
    Form.SpinEdit2->setValue(points);
    QTimer::singleShot(0, &Form, [this, texts] {
      auto* dialog = Form.findChild<TSurfaceDialog*>();
      ASSERT_NE(dialog, nullptr);
      QLineEdit* fields[] = {dialog->Edit1, dialog->Edit2, dialog->Edit3, dialog->Edit4, dialog->Edit5};
      for (int i = 0; i < texts.size(); ++i) fields[i]->setText(texts[i]);
      QTest::keyClick(dialog, Qt::Key_Return);

    });
    Form.N41->trigger();
    Settle();
  }
  QString Status() const { return Form.StatusBar1->currentMessage(); }
  QTemporaryDir Home;
  TForm4_3D Form;
};

TEST_F(SurfaceWindowTest, MenuItemComesLastAfterASeparator) {
  const QList<QAction*> items = Form.N1->actions();
  ASSERT_GE(items.size(), 3);
  EXPECT_EQ(items.back(), Form.N41);
  EXPECT_TRUE(items[items.size() - 2]->isSeparator());
  EXPECT_EQ(items[items.size() - 3], Form.N32);
  EXPECT_EQ(Form.N41->text(), QStringLiteral("Поверхность по формуле…"));
}

TEST_F(SurfaceWindowTest, DefaultsGiveTheSurfaceOfSinXCosY) {
  Build(7, 5);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "normal cursor"));
  EXPECT_EQ(Form.SurfaceFormula, QStringLiteral("sin(x)*cos(y)"));
  ASSERT_EQ(Form.PlotLines.size(), 7u);
  for (int L = 0; L < 7; ++L) {
    ASSERT_EQ(Form.PlotLines[L]->Count(), 5);
    const double y = -180 + 60 * L;
    for (int i = 0; i < 5; ++i) {
      const double x = -180 + 90 * i;
      EXPECT_NEAR(Form.PlotLines[L]->GetValue(i), std::sin(x * M_PI / 180) * std::cos(y * M_PI / 180), 1e-6);
    }
  }
  EXPECT_EQ(Form.Plot->Model().TrapezeCount(), 6 * 4);
  EXPECT_EQ(Status(), QStringLiteral("После рисования"));
  EXPECT_EQ(Form.PlotSettings.LineTotal, 7);
  EXPECT_EQ(Form.PlotSettings.PointTotal, 5);

  // The report names the formula.
  Form.Word1->trigger();
  const auto paragraphs = OdfParagraphs(ZipEntry(Home.filePath(QStringLiteral("ex.odt")), QStringLiteral("content.xml")));
  ASSERT_EQ(paragraphs.size(), 5u);
  EXPECT_EQ(paragraphs[2].Text, QStringLiteral(" Поверхность построена по формуле:"));
  EXPECT_EQ(paragraphs[3].Text, QStringLiteral("     Z(X;Y) = sin(x)*cos(y) "));
  EXPECT_EQ(paragraphs[4].Pictures.size(), 1);

  // The settings file keeps its 30 bytes.
  Scripted().SaveFileAnswers.push_back(Home.filePath(QStringLiteral("s")));
  Form.N5->trigger();
  EXPECT_EQ(QFile(Home.filePath(QStringLiteral("s.3dgr"))).size(), 30);

  // "Обновить" samples the formula again at the new grid; "Создать" and
  // "Открыть" go back to the built-in surface.
  Form.SpinEdit1->setValue(3);
  Form.Button1->click();
  Settle();
  EXPECT_EQ(Form.PlotLines.size(), 3u);
  EXPECT_NEAR(Form.PlotLines[1]->GetValue(1), -1, 1e-6);  // sin(-90) cos(0)
  Form.N3->trigger();
  Settle();
  EXPECT_TRUE(Form.SurfaceFormula.isEmpty());
  EXPECT_EQ(Form.Plot->Model().TrapezeCount(), 9);
  Build(7, 5);
  TGraph3D* plot = Form.Plot;
  Form.N4->trigger();  // the open dialog cancelled: the surface stays
  Settle();
  EXPECT_EQ(Form.Plot, plot);
  EXPECT_EQ(Form.SurfaceFormula, QStringLiteral("sin(x)*cos(y)"));
  // A file opened brings its built-in surface.
  QFile file(Home.filePath(QStringLiteral("7x5.3dgr")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const TPlotSettingsImage image = EncodePlotSettings(Form.PlotSettings);
  file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
  file.close();
  Scripted().OpenFileAnswers.push_back(file.fileName());
  Form.N4->trigger();
  Settle();
  EXPECT_TRUE(Form.SurfaceFormula.isEmpty());
  EXPECT_EQ(Form.PlotLines[0]->GetValue(0), graph3d::GenerateSurface(7, 5, Form.PlotSettings.PeakHeight)[0]->GetValue(0));
}

TEST_F(SurfaceWindowTest, DomeHasItsCornersLeftOutAndTheStatusCountsThem) {
  Build(21, 21, {QStringLiteral("sqrt(1-x^2-y^2)"), "-1", "1", "-1", "1"});
  // Holes are expected: no message for them, the status line counts them.
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  int missing = 0;
  for (int L = 0; L < 21; ++L)
    for (int i = 0; i < 21; ++i) {
      const double x = -1 + 0.1 * i, y = -1 + 0.1 * L, r2 = x * x + y * y;
      // On the circle itself the rounding decides.
      if (std::fabs(r2 - 1) > 1e-9) EXPECT_EQ(Form.PlotLines[L]->IsMissing(i), r2 > 1) << L << "," << i;
      missing += Form.PlotLines[L]->IsMissing(i);
    }
  EXPECT_EQ(Status(), QStringLiteral("После рисования (точек без значения: %1)").arg(missing));
  EXPECT_GT(Form.Plot->Model().TrapezeCount(), 200);
  EXPECT_LT(Form.Plot->Model().TrapezeCount(), 400);

  // No point with a value: the plot stays as it was.
  Scripted().Clear();
  Build(5, 5, {QStringLiteral("ln(-1-x^2)")});
  EXPECT_THAT(Scripted().MessageLines(), ElementsAre("error: Формула не имеет значения ни в одной точке поверхности!"));
  EXPECT_EQ(Form.SurfaceFormula, QStringLiteral("sqrt(1-x^2-y^2)"));
  EXPECT_EQ(Form.PlotLines.size(), 21u);
}

// "Прервать" at about half of a formula surface's sampling, from the dialog
// or "Обновить": the surface, its formula, the settings and the picture as
// they were.
TEST_F(SurfaceWindowTest, StoppedSamplingChangesNothing) {
  Build(7, 5);
  TGraph3D* plot = Form.Plot;
  const QImage picture = plot->grab().toImage();
  Scripted().Clear();
  Scripted().ProgressAfter = 0;
  Scripted().StopAt = 0.5;
  Build(300, 300, {QStringLiteral("x*y")});
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "progress window", "normal cursor"));
  Form.Button1->click();
  Settle();
  EXPECT_EQ(Form.Plot, plot);
  EXPECT_EQ(Form.SurfaceFormula, QStringLiteral("sin(x)*cos(y)"));
  EXPECT_EQ(Form.PlotSettings.LineTotal, 7);
  EXPECT_EQ(Form.PlotLines.size(), 7u);
  EXPECT_EQ(plot->grab().toImage(), picture);
  EXPECT_EQ(Status(), QStringLiteral("После рисования"));
}

// A constant formula is a plane at half height; points that make no cell
// (one point, one row) are refused in Russian and the surface shown stays.
TEST_F(SurfaceWindowTest, FlatSurfacesAreDrawnAndSurfacesWithoutCellsRefused) {
  for (const QString& formula : {QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("random(1)")}) {
    SCOPED_TRACE(formula.toStdString());
    Scripted().Clear();
    Build(6, 5, {formula});
    Settle();
    EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
    EXPECT_EQ(Form.SurfaceFormula, formula);
    const TGraph3DModel& model = Form.Plot->Model();
    ASSERT_EQ(model.TrapezeCount(), 5 * 4);
    for (int64_t k = 0; k < model.TrapezeCount(); ++k)
      for (const TPoint3D& corner : model.Trapeze(k).Corners) EXPECT_EQ(corner.Z, 50);
    EXPECT_EQ(Status(), QStringLiteral("После рисования"));
  }
  const QImage picture = Form.Plot->grab().toImage();
  const QString range[] = {"-1", "1", "-1", "1"};
  struct TCase {
    QString Formula;
    std::string Message;
  };
  const TCase cases[] = {
      {QStringLiteral("sqrt(-x^2-y^2)"), "error: Формула имеет значение только в одной точке поверхности!"},
      {QStringLiteral("sqrt(-x^2)"),
       "error: Точки, в которых формула имеет значение, не образуют ни одной клетки поверхности!"},
  };
  for (const TCase& c : cases) {
    Scripted().Clear();
    Build(5, 5, {c.Formula, range[0], range[1], range[2], range[3]});
    EXPECT_THAT(Scripted().MessageLines(), ElementsAre(c.Message));
    EXPECT_EQ(Form.SurfaceFormula, QStringLiteral("random(1)"));
    EXPECT_EQ(Form.PlotSettings.LineTotal, 6);
    EXPECT_EQ(Form.Plot->grab().toImage(), picture);
  }
}

// sin(x)*cos(y) on 60 × 60 points with a hole cut out where x² + y² < 60²,
// seen from above: cells all round, background inside the hole.
TEST_F(SurfaceWindowTest, PictureHasCellsAroundAndTheHoleInTheMiddle) {
  surface::TSurfaceFormula formula(u"sin(x)*cos(y)+0*sqrt(x^2+y^2-3600)");
  TGraph3D plot;
  plot.resize(400, 400);
  plot.SetColor(0);
  plot.SetDataColor(0xFF0000);
  for (auto& line : formula.Sample({-180, 180, -180, 180, 60, 60}).Lines) plot.AddLine(std::move(line));
  plot.SetPhi(270);
  plot.CopyToBitmap(12);  // builds the cells
  plot.CenterGraph();
  const QImage picture = plot.CopyToBitmap(12);
  const QRgb blue = qRgb(0, 0, 255);
  // Whether the data colour is within two pixels of the ground point (u, v) in percent.
  auto cellsNear = [&](float u, float v) {
    const TPoint p = plot.Project({u, v, 50});
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx)
        if ((picture.pixel(p.X + dx, p.Y + dy) | 0xFF000000u) == blue) return true;
    return false;
  };
  // The hole's radius is 60 of 360, 16.7 per cent; its edge runs through cells.
  int inside = 0, around = 0;
  for (float u = 5; u <= 95; u += 2.5f)
    for (float v = 5; v <= 95; v += 2.5f) {
      const float r = std::hypot(u - 50, v - 50);
      if (r < 12) {
        EXPECT_FALSE(cellsNear(u, v)) << u << "," << v;
        ++inside;
      } else if (r > 22) {
        EXPECT_TRUE(cellsNear(u, v)) << u << "," << v;
        ++around;
      }
    }
  EXPECT_GT(inside, 50);
  EXPECT_GT(around, 800);
}

TEST_F(SurfaceWindowTest, MeshFilesAndTheScaleShowTheFormulasOwnCoordinates) {
  auto read = [](const QString& name) {
    QFile file(name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll().toStdString();
  };
  // The built-in surface: X and Y are its grid indices.
  Form.SpinEdit1->setValue(6);
  Form.SpinEdit2->setValue(9);
  Form.Button1->click();
  Form.Plot->Prepare();
  EXPECT_EQ(Form.Plot->AxisValues(0), std::make_pair(0.0, 8.0));
  EXPECT_EQ(Form.Plot->AxisValues(1), std::make_pair(0.0, 5.0));
  Scripted().SaveFileAnswers.push_back(Home.filePath(QStringLiteral("builtin")));
  Form.STL1->trigger();
  const mesh_reader::TMesh builtin = mesh_reader::ReadStl(read(Home.filePath(QStringLiteral("builtin.stl"))));
  EXPECT_EQ(builtin.Error, "");
  EXPECT_EQ(builtin.Triangles.size(), 2u * 5 * 8);
  EXPECT_NEAR(builtin.Bounds()[1][0], 8, 1e-5);
  EXPECT_EQ(builtin.Bounds()[1][1], 5);
  EXPECT_THAT(Scripted().Lines(),
              ::testing::Contains("save file dialog: Сохранение 3D графика в файл STL | Файлы STL (*.stl)|*.stl| | 1"));
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());

  // A formula surface with holes: X and Y from its ranges, Z its values,
  // the cells around the holes left out.
  Build(21, 21, {QStringLiteral("sqrt(1-x^2-y^2)"), "-1", "1", "-1", "1"});
  Form.Plot->Prepare();
  EXPECT_EQ(Form.Plot->AxisValues(0).first, -1);
  EXPECT_EQ(Form.Plot->AxisValues(1).second, 1);
  int whole = 0, present = 0;
  for (int L = 0; L + 1 < 21; ++L)
    for (int i = 0; i + 1 < 21; ++i)
      whole += !(Form.PlotLines[L]->IsMissing(i) || Form.PlotLines[L]->IsMissing(i + 1) ||
                 Form.PlotLines[L + 1]->IsMissing(i) || Form.PlotLines[L + 1]->IsMissing(i + 1));
  for (int L = 0; L < 21; ++L)
    for (int i = 0; i < 21; ++i) present += !Form.PlotLines[L]->IsMissing(i);
  Scripted().Clear();
  Scripted().SaveFileAnswers.push_back(Home.filePath(QStringLiteral("dome")));
  Form.OBJ1->trigger();
  const mesh_reader::TMesh dome = mesh_reader::ReadObj(read(Home.filePath(QStringLiteral("dome.obj"))));
  EXPECT_EQ(dome.Error, "");
  EXPECT_EQ(dome.Header, "Матрикон\nZ(X;Y) = sqrt(1-x^2-y^2)\n");
  EXPECT_EQ(dome.Points, size_t(present));
  EXPECT_EQ(dome.Triangles.size(), 2u * whole);
  for (const auto& t : dome.Triangles)
    for (const auto& p : t) {
      EXPECT_LE(p[0] * p[0] + p[1] * p[1], 1.0001f);
      EXPECT_NEAR(p[2], std::sqrt(std::max(0.0f, 1 - p[0] * p[0] - p[1] * p[1])), 1e-5);
    }
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());

  // "Прервать" halfway: the old file stays as it was, nothing is left beside it.
  const QByteArray old = "# an older file\r\n";
  {
    QFile file(Home.filePath(QStringLiteral("dome.obj")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(old);
  }
  Scripted().Clear();
  Scripted().SaveFileAnswers.push_back(Home.filePath(QStringLiteral("dome")));
  Scripted().QuestionAnswers.push_back(true);
  Scripted().ProgressAfter = 0;
  Scripted().StopAt = 0.5;
  Form.OBJ1->trigger();
  EXPECT_EQ(QByteArray::fromStdString(read(Home.filePath(QStringLiteral("dome.obj")))), old);
  EXPECT_THAT(Scripted().MessageLines(), ElementsAre("question: Файл " + Home.filePath(QStringLiteral("dome.obj")).toStdString() +
                                                     " уже существует. Заменить его?"));
  EXPECT_EQ(QDir(Home.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("dome")),
            QStringList{QStringLiteral("dome.obj")});
}

}  // namespace
