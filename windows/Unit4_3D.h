// The 3D plot window "Построение 3D графиков": one TGraph3D filled with the
// built-in surface on a grid the user sizes (or with the user's own surface
// of a formula, "Поверхность по формуле…"), the control's settings in menus,
// and the settings record saved to and loaded from *.3dgr files.
//
// The window lives as long as the program and keeps plot and settings
// between openings; "Закрыть" only hides it. Every rebuild ("Обновить",
// "Создать", "Открыть") replaces the control, so only the three colours of
// PlotSettings carry over to the new one.
#pragma once

#include "export/MeshExport.h"
#include "export/PictureExport.h"
#include "surface/FormulaSurface.h"
#include "graph3d/Graph3DFile.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class TClickLabel;
class TGraph3D;
class TGraphLine;
class TSurfaceDialog;

class TForm4_3D : public QWidget {
  Q_OBJECT

 public:
  explicit TForm4_3D(QWidget* parent = nullptr);
  ~TForm4_3D() override;

  // ---- controls
  QMenuBar* MainMenu1;
  QMenu* N1;              // "График"
  QAction* N3;            //   Создать
  QAction* N4;            //   Открыть
  QAction* N5;            //   Сохранить
  QMenu* N2;              //   Експортировать
  QAction* Word1;         //     В Word
  QAction* BMP1;          //     В файл BMP
  QAction* SVG1;          //     В файл SVG
  QAction* PDF1;          //     В файл PDF
  QAction* N40;           //     В буфер
  QAction* STL1;          //     В файл STL
  QAction* OBJ1;          //     В файл OBJ
  QAction* N6;            //   Центрировать
  QAction* N9;            //   Спрятать
  QAction* N8;            //   Показать
  QAction* N32;           //   Печать
  QAction* N41;           //   Поверхность по формуле… (after a separator)
  QMenu* N7;              // "Изображение графика"
  QAction* N22;           //   Считать установки
  QAction* N24;           //   Установки старые
  QAction* cbUseColours;  //   Пользовательские цвета
  QAction* cbHiddenLines; //   Скрытые линии
  QAction* cbAxes;        //   Ниличие осей
  QAction* cbIncScroll;   //   Степень изображения
  QMenu* N12;             //   Уровень
  QAction* N10;           //     Нет
  QAction* N11;           //     График ниже
  QAction* N13;           //     График выше
  QAction* cbShaded;      //   Закрашенная поверхность (after a separator)
  QAction* cbScale;       //   Шкала значений
  QMenu* N17;             // "Манипуляция графиком"
  QAction* N14;           //   Нельзя
  QAction* N15;           //   Перемещение
  QAction* N16;           //   Вращение
  QAction* N18;           //   Масштабирование
  QMenu* N19;             // "Цвет"
  QAction* N20;           //   Фона
  QAction* cmdDcolor;     //   Всего графика
  QMenu* N23;             //   Его частей
  QAction* PartItems[10]; //     часть 0 … часть 9 (p0 … p9)
  QAction* cmdAxescolor;  //   Осей
  QMenu* N25;             // "Вид"
  QAction* N21;           //   Панель задания
  QAction* N28;           //   Панель установок
  QAction* cbContourMap;  //   Карта изолиний (after a separator)
  QAction* N38;           // "Закрыть"

  QGroupBox* GroupBox1;  // Пареметры задания графика
  QLabel* Label1;
  QSpinBox* SpinEdit2;   // values per line (along X)
  QLabel* Label2;
  QSpinBox* SpinEdit1;   // lines (along Y)
  QPushButton* Button1;  // Обновить
  QGroupBox* GroupBox2;  // Установки графика
  QLabel* Label3;
  QSpinBox* edWater;
  QLabel* Label4;
  QLabel* Label5;
  QSpinBox* edPercent;
  QGroupBox* GroupBox3;  // График
  QFrame* Panel1;        // the plot's parent; its colour is the plot's background
  QFrame* Panel2;        // the bottom panel
  TClickLabel* Label7;
  QStatusBar* StatusBar1;

  // ---- window state
  TPlotSettings PlotSettings;
  TColor PartColors[10] = {};
  int LevelModeRead = 0;
  TGraph3D* Plot = nullptr;           // owned by the window, replaced on every rebuild
  std::vector<TGraphLine*> PlotLines;  // the lines shown; Plot owns them
  // The user's own surface when one is shown: its formula (empty for the
  // built-in surface), its ranges, and how many of its points had no value.
  QString SurfaceFormula;
  surface::TSurfaceGrid SurfaceRange;
  int64_t MissingPoints = 0;
  TSurfaceDialog* SurfaceDialog = nullptr;  // made at its first use

  // ---- operations
  TPictureSource Picture() const;  // what the exports print, save and report
  // The one way a new surface comes ("Обновить", "Создать", "Открыть", the
  // formula dialog): makes its lines (the built-in surface of Settings, or
  // Formula's surface on Settings' grid within Range), a control holding them
  // and its cells, as long work when that may take long; only when all that
  // succeeded, the new control replaces the old one and Settings and the
  // formula become the window's. False, after the reason was shown or after
  // "Прервать", leaves everything as it was.
  bool Rebuild(const TPlotSettings& Settings, std::unique_ptr<surface::TSurfaceFormula> Formula = nullptr,
               const surface::TSurfaceGrid& Range = {});
  // Puts a new control with its lines in place (the old one destroyed before).
  void PlotCreate(std::unique_ptr<TGraph3D> NewPlot, std::vector<TGraphLine*> Lines);
  void PlotDestroy();
  // The grid and the peak of Settings from the grid fields.
  void SetValues(TPlotSettings& Settings);
  void SetDefault();
  // Asks for a file name and writes the settings; true. Cancelled, or an
  // existing file the user keeps: true, nothing written. A file that cannot
  // be written throws EInOutError with the system's reason, and an existing
  // one stays as it was.
  bool Savevar(const TPlotSettings& Settings);
  // Asks for a file and reads it into Settings. Cancelled or not openable:
  // false, Settings untouched. A file shorter than the record throws EInOutError.
  bool Loadvar(TPlotSettings& Settings);
  void PlotAfterDraw(TGraph3D* Sender);
  void PlotScroll(TGraph3D* Sender);
  void PlotStopScrolling(TGraph3D* Sender);

  // ---- handlers
  void FormCreate();
  void FormDestroy();
  void Button1Click();
  void N3Click();   // Создать
  void N4Click();   // Открыть
  void N5Click();   // Сохранить
  void N6Click();   // Центрировать
  void N9Click();   // Спрятать
  void N10Click();  // Уровень: Нет
  void N11Click();  // Уровень: График ниже
  void N13Click();  // Уровень: График выше
  void N14Click();  // Нельзя
  void N15Click();  // Перемещение
  void N16Click();  // Вращение
  void N18Click();  // Масштабирование
  void N20Click();  // Цвет: Фона
  void N21Click();  // Вид: Панель задания
  void N22Click();  // Считать установки
  void N24Click();  // Установки старые
  void N28Click();  // Вид: Панель установок
  void N32Click();  // Печать
  void N38Click();  // Закрыть
  void N40Click();  // В буфер
  void N41Click();  // Поверхность по формуле…
  // The surface the dialog accepted, shown on the grid of the spin fields;
  // false when it is not shown (the reason was shown).
  bool ApplySurfaceDialog();
  void BMP1Click();
  void SVG1Click();
  void PDF1Click();
  void Word1Click();
  void cmdDcolorClick();
  void cmdAxescolorClick();
  void p0Click();
  void p1Click();
  void N27Click();  // часть 2
  void p3Click();
  void p4Click();
  void p5Click();
  void p6Click();
  void p7Click();
  void p8Click();
  void p9Click();
  void cbUseColoursClick();
  void cbHiddenLinesClick();
  void cbAxesClick();
  void cbIncScrollClick();
  void cbShadedClick();
  void cbScaleClick();
  void cbContourMapClick();
  void STL1Click();
  void OBJ1Click();
  void Label7Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The grid fields as "Обновить" reads them: values below 2 are corrected
  // to 2 with a message each; then the settings to build.
  TPlotSettings SettingsFromGridFields();
  // The formula of the surface shown, compiled anew (none for the built-in one).
  std::unique_ptr<surface::TSurfaceFormula> ShownFormula() const;
  void LevelClick(QAction* item, uint8_t mode);
  void PartColorClick(int index);
  void TogglePanel(QAction* item, QGroupBox* box);
  std::optional<TColor> ChooseColor(TColor initial);
  void SetPanelColor(TColor color);
  // The view switches the window keeps across rebuilds, handed to a new plot.
  void ApplyViewSwitches();
  void SaveMesh(TMeshFormat format);
};
