#include "windows/FormulaEdit.h"

#include "engine/Formula_math.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStringDecoder>
#include <QValidator>

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace {

// One template item: its name, its caption and what each window inserts.
struct TTemplate {
  const char* Name;
  const char16_t* Caption;
  const char16_t* CalculatorText;
  const char16_t* PlotText;
};

constexpr TTemplate Operations[] = {
    {"N18", u"+   сложение", u"+", u"+"},
    {"N19", u"-    вычитание", u"-", u"-"},
    {"N20", u"*    умножение", u"*", u"*"},
    {"N21", u"/    деление", u"/", u"/"},
    {"N22", u"^   возведение в степень", u"^", u"^"},
};
constexpr TTemplate Trigonometry[] = {
    {"N13", u"cos", u"cos()", u"cos(x)"},
    {"sin2", u"sin", u"sin()", u"sin(x)"},
    {"tg1", u"tg", u"tan()", u"tan(x)"},
    {"ctg1", u"ctg", u"ctan()", u"ctan(x)"},
    {"cosh2", u"cosh", u"cosh()", u"cosh(x)"},
    {"sinh1", u"sinh", u"sinh()", u"sinh(x)"},
    {"tgh1", u"tgh", u"tanh()", u"tanh(x)"},
    {"cth1", u"cth", u"ctanh()", u"ctanh(x)"},
    {"arccos1", u"arccos", u"arccos()", u"arccos(x)"},
    {"arcsin1", u"arcsin", u"arcsin()", u"arcsin(x)"},
    {"arctg1", u"arctg", u"arctan()", u"arctan(x)"},
    {"arcctg1", u"arcctg", u"arcctan()", u"arcctan(x)"},
    {"arccosh1", u"arccosh", u"arccosh()", u"arccosh(x)"},
    {"arcsinh1", u"arcsinh", u"arcsinh()", u"arcsinh(x)"},
    {"arctgh1", u"arctgh", u"arctanh()", u"arctanh(x)"},
    {"arcctgh1", u"arcctgh", u"arcctanh()", u"arcctanh(x)"},
};
constexpr TTemplate Mathematics[] = {
    {"Pi1", u"Pi - число пи", u"Pi", u"Pi"},
    {"abs1", u"abs - модуль", u"abs()", u"abs(x)"},
    {"exp1", u"exp - е в степени х", u"exp()", u"exp(x)"},
    {"sqrt1", u"sqrt - квадратный корень", u"sqrt()", u"sqrt(x)"},
    {"ln1", u"ln - натуральный логарифм", u"ln()", u"ln(x)"},
    {"log1", u"log - логарифм", u"log( ; )", u"log(x; )"},
    {"lg1", u"lg - десятичный логарифм", u"lg()", u"lg(x)"},
    {"shl1", u"shl - левый сдвиг", u"shl( ; )", u"shl( ; )"},
    {"shr1", u"shr - правый сдвиг", u"shr( ; )", u"shr( ; )"},
    {"inc1", u"inc - увеличение числа на 1", u"inc()", u"inc()"},
    {"dec1", u"dec - уменьшение числа на 1", u"dec()", u"dec()"},
    {"random1", u"random - случайное число", u"random()", u"random(x)"},
    {"fact1", u"fact - факториал", u"fact()", u"fact(x)"},
    {"div1", u"div - деление на цело", u"div( ; )", u"div( ; )"},
    {"mod1", u"mod - остаток от деления", u"mod( ; )", u"mod( ; )"},
    {"max1", u"max - максимум", u"max( ; )", u"max( ; )"},
    {"min1", u"min - минимум", u"min( ; )", u"min( ; )"},
    {"hypot1", u"hypot - вычисление гипотенузы", u"hypot( ; )", u"hypot( ; )"},
};
constexpr TTemplate Conversions[] = {
    {"int1", u"int - целая часть числа", u"int()", u"int()"},
    {"trunc1", u"trunc - отсечение дробной части", u"trunc()", u"trunc()"},
    {"frac1", u"frac - возвращение дробной части", u"frac()", u"frac()"},
    {"round1", u"round - округление к ближайшему целому", u"round()", u"round()"},
    {"floor1", u"floor - округление к меньшему", u"floor()", u"floor()"},
    {"ceil1", u"ceil - округление к большему", u"ceil()", u"ceil()"},
    {"degtorad1", u"degtorad - градусы в радианы", u"degtorad()", u"degtorad()"},
    {"radtodeg1", u"radtodeg - радианы в градусы", u"radtodeg()", u"radtodeg()"},
};

// The trigonometric submenu is cut into groups after these items.
constexpr std::array TrigonometryGroupEnds = {"ctg1", "cth1", "arcctg1", "arcctgh1"};

const QString OpenTitle = QStringLiteral("Открытие текстового файла с математической формулой");
const QString OpenFilter = QStringLiteral("Файлы с мат. формулами (*.math)|*.math|Текстовые файлы (*.txt)|*.txt|Все файлы (*.*)|*.*");
const QString SaveTitle = QStringLiteral("Сохранение математической формулы в текстовый файл");
const QString SaveFilter = QStringLiteral("Файлы с мат. формулами (*.math)|*.math|");

// The most bytes a formula of MaxFormulaLength characters takes in a file:
// three per character in UTF-8, and a byte order mark.
constexpr qint64 MaxLineBytes = 3 * qint64(MaxFormulaLength) + 3;

static_assert(MaxFormulaLength == 131068, "the messages below name the limit");
const QString TooLong = QStringLiteral("Формула не может быть длиннее 131\u00A0068 символов.");
const QString FileTooLong = QStringLiteral("она длиннее 131\u00A0068 символов");

// Refuses a text longer than a formula may be. The field itself would cut a
// paste to its maximum length; it holds one character more than a formula,
// so that this check sees the longer text and the whole change is undone.
class TFormulaLength : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override { return input.size() > MaxFormulaLength ? Invalid : Acceptable; }
};

// Windows-1251 from 0x80 to 0xBF; 0xC0..0xFF are А..я in order.
constexpr std::array<char16_t, 64> Cp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

QString FromCp1251(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = uint8_t(c);
    text += b < 0x80 ? QChar(b) : b < 0xC0 ? QChar(Cp1251High[b - 0x80]) : QChar(char16_t(0x0410 + (b - 0xC0)));
  }
  return text;
}

// The text up to the first line break.
QString FirstLine(const QString& text) {
  qsizetype end = 0;
  while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
  return text.left(end);
}

QString FileError(const QString& what, const QString& fileName, const QString& reason) {
  return QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(fileName), reason);
}

}  // namespace

QString DecodeFormulaLine(const QByteArray& line) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(line);
  return utf8.hasError() ? FromCp1251(line) : text;
}

QString ReadFormulaFile(const QString& fileName) {
  QFile file(fileName);
  if (const TOpenResult opened = OpenForReading(file); !opened)
    throw EPlatformError(FileError(QStringLiteral("Не удалось открыть файл"), fileName, opened.Reason));
  QByteArray line;
  char c = 0;
  while (line.size() <= MaxLineBytes && file.getChar(&c) && c != '\r' && c != '\n') line += c;
  if (file.error() != QFileDevice::NoError)
    throw EPlatformError(FileError(QStringLiteral("Не удалось прочитать файл"), fileName, file.errorString()));
  const QString formula = line.size() > MaxLineBytes ? QString() : DecodeFormulaLine(line);
  // Never cut: a formula cut short is another formula.
  if (line.size() > MaxLineBytes || formula.size() > MaxFormulaLength)
    throw EPlatformError(FileError(QStringLiteral("Не удалось загрузить формулу из файла"), fileName, FileTooLong));
  return formula;
}

void WriteFormulaFile(const QString& fileName, const QString& formula) {
  if (const TSaveResult saved = SaveFileContents(fileName, formula.toUtf8() + "\r\n"); !saved)
    throw EPlatformError(FileError(QStringLiteral("Не удалось записать файл"), fileName, saved.Reason));
}

TFormulaMenu::TFormulaMenu(QLineEdit* edit, TTemplates templates) : QObject(edit), Edit1(edit) {
  const bool plot = templates == TTemplates::PlotWindow;
  PopupMenu1 = new QMenu(edit);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  auto item = [](QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
  };
  auto submenu = [this](const QString& name, const QString& caption) {
    QMenu* menu = PopupMenu1->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
  };

  N6 = item(PopupMenu1, plot ? QStringLiteral("MenuItem1") : QStringLiteral("N6"), QStringLiteral("Вставить формулу из файла"));
  N7 = item(PopupMenu1, plot ? QStringLiteral("MenuItem2") : QStringLiteral("N7"), QStringLiteral("Сохранить формулу в файл"));
  N8 = item(PopupMenu1, QStringLiteral("N8"), QStringLiteral("Вставить формулу из буфера"));
  N9 = item(PopupMenu1, QStringLiteral("N9"), QStringLiteral("Сохранить формулу в буфер"));
  N5 = PopupMenu1->addSeparator();
  N5->setObjectName(plot ? QStringLiteral("MenuItem3") : QStringLiteral("N5"));
  N17 = submenu(QStringLiteral("N17"), QStringLiteral("Основные операции"));
  cos1 = submenu(QStringLiteral("cos1"), QStringLiteral("Тригонометрические функции"));
  sin1 = submenu(QStringLiteral("sin1"), QStringLiteral("Математические функции"));
  N23 = submenu(QStringLiteral("N23"), QStringLiteral("Функции преобразований"));

  const std::pair<QMenu*, std::span<const TTemplate>> groups[] = {
      {N17, Operations}, {cos1, Trigonometry}, {sin1, Mathematics}, {N23, Conversions}};
  for (const auto& [menu, group] : groups) {
    for (const TTemplate& t : group) {
      const QString text = QString::fromUtf16(plot ? t.PlotText : t.CalculatorText);
      QAction* action = item(menu, QString::fromLatin1(t.Name), QString::fromUtf16(t.Caption));
      connect(action, &QAction::triggered, this, Guarded([this, text] { InsertText(text); }));
      if (std::find(TrigonometryGroupEnds.begin(), TrigonometryGroupEnds.end(), std::string_view(t.Name)) !=
          TrigonometryGroupEnds.end())
        menu->addSeparator();
    }
  }

  connect(N6, &QAction::triggered, this, Guarded([this] { N6Click(); }));
  connect(N7, &QAction::triggered, this, Guarded([this] { N7Click(); }));
  connect(N8, &QAction::triggered, this, Guarded([this] { N8Click(); }));
  connect(N9, &QAction::triggered, this, Guarded([this] { N9Click(); }));
  edit->setMaxLength(MaxFormulaLength + 1);
  edit->setValidator(new TFormulaLength(edit));
  // Typing, pasting or dropping beyond the limit is refused: beep, then the
  // message, once the field has undone the change.
  connect(edit, &QLineEdit::inputRejected, this, [this] {
    if (TooLongPending) return;
    TooLongPending = true;
    QMetaObject::invokeMethod(this, Guarded([this] {
                                TooLongPending = false;
                                Platform().Beep();
                                Platform().Message(TooLong);
                              }), Qt::QueuedConnection);
  });
  edit->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(edit, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(Edit1->mapToGlobal(at)); });
}

QAction* TFormulaMenu::TemplateItem(const QString& name) const {
  for (QMenu* menu : {N17, cos1, sin1, N23})
    if (QAction* action = menu->findChild<QAction*>(name, Qt::FindDirectChildrenOnly)) return action;
  return nullptr;
}

void TFormulaMenu::InsertText(const QString& text) {
  // Straight into the field: the clipboard keeps what the user put there.
  Edit1->insert(text);
}

void TFormulaMenu::N6Click() {
  const std::optional<QString> fileName = Platform().OpenFileDialog({OpenTitle, OpenFilter, 1});
  if (!fileName) return;
  Edit1->setText(ReadFormulaFile(*fileName));
}

void TFormulaMenu::N7Click() {
  const std::optional<QString> fileName = ChooseSaveFile({SaveTitle, SaveFilter, 1}, QStringLiteral(".math"));
  if (!fileName) return;
  WriteFormulaFile(*fileName, Edit1->text());
}

void TFormulaMenu::N8Click() {
  // A single-line field takes the first line of a longer text.
  const QString text = FirstLine(QGuiApplication::clipboard()->text());
  if (!text.isEmpty()) InsertText(text);
}

void TFormulaMenu::N9Click() {
  if (Edit1->hasSelectedText()) QGuiApplication::clipboard()->setText(Edit1->selectedText());
}
