// The formula field's right-click menu PopupMenu1, shared by the calculator
// and the plane plot window: formula files, the clipboard and the templates
// of every operator and function. The two windows differ only in the texts
// their templates insert ("cos()" in the calculator, "cos(x)" in the plot).
//
//   Menu1 = new TFormulaMenu(Edit1, TFormulaMenu::TTemplates::Calculator);
//
// Every change goes through the field as typing does, so the window's change
// handler runs. The clipboard is used only by the two clipboard items.
#pragma once

#include <QObject>
#include <QString>

class QAction;
class QByteArray;
class QLineEdit;
class QMenu;

class TFormulaMenu : public QObject {
  Q_OBJECT

 public:
  enum class TTemplates { Calculator, PlotWindow };

  // Equips the field with the menu; the menu belongs to the field.
  TFormulaMenu(QLineEdit* edit, TTemplates templates);

  QLineEdit* Edit1;
  QMenu* PopupMenu1;
  QAction* N6;  // Вставить формулу из файла (MenuItem1 in the plot window)
  QAction* N7;  // Сохранить формулу в файл (MenuItem2)
  QAction* N8;  // Вставить формулу из буфера
  QAction* N9;  // Сохранить формулу в буфер
  QAction* N5;  // separator (MenuItem3)
  QMenu* N17;   // Основные операции
  QMenu* cos1;  // Тригонометрические функции
  QMenu* sin1;  // Математические функции
  QMenu* N23;   // Функции преобразований

  // A template item by its name ("N13", "tg1", ...), nullptr when there is none.
  QAction* TemplateItem(const QString& name) const;

  // Loads a formula file into the field (open dialog; cancel does nothing).
  void N6Click();
  // Saves the field's text to a formula file (save dialog; ".math" appended;
  // an existing file replaced only when the user agrees).
  void N7Click();
  // Inserts the clipboard's text at the caret, replacing the selection.
  void N8Click();
  // Copies the selection to the clipboard; nothing when nothing is selected.
  void N9Click();
  // Inserts the text at the caret, replacing the selection; the caret ends
  // after the inserted text.
  void InsertText(const QString& text);

 private:
  bool TooLongPending = false;  // the message about a refused long formula is on its way
};

// Formula files (*.math): one line of UTF-8 text ended by CR LF.

// The formula of a file: its first line, up to the first CR or LF. Throws
// EPlatformError with the reason when the file cannot be read, is not a
// regular file, or holds a formula longer than MaxFormulaLength (engine/Formula_math.h).
QString ReadFormulaFile(const QString& fileName);
// Creates or replaces the file with the formula and CR LF. Throws
// EPlatformError when it cannot be written (or is no regular file); an
// existing file then stays as it was.
void WriteFormulaFile(const QString& fileName, const QString& formula);
// The text of a formula line: UTF-8, or Windows-1251 when it is not valid
// UTF-8 (formula files made on Windows).
QString DecodeFormulaLine(const QByteArray& line);
