#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace {

const char* const kHelp =
    "Матрикон: расчет формул, плоские графики и 3D графики поверхностей.\n"
    "\n"
    "Использование: matrikon [параметры]\n"
    "\n"
    "Без параметров программа открывает заставку, затем главное окно, из\n"
    "которого открываются \"Расчет формул\", \"Построение плоских графиков\" и\n"
    "\"Построение 3D графиков\".\n"
    "\n"
    "Параметры:\n"
    "  -h, --help      эта справка\n"
    "  -v, --version   версия программы\n"
    "  Принимаются и обычные параметры программ на Qt, например -platform\n"
    "  offscreen (без дисплея) или -style fusion.\n"
    "\n"
    "Примеры:\n"
    "  matrikon\n"
    "  matrikon --version\n"
    "\n"
    "Графики в файл без окна рисует matrikon-plot, формулу в командной строке\n"
    "вычисляет matrikon-calc.\n";

}  // namespace

std::optional<QString> CommandLineAnswer(const QStringList& arguments) {
  QCommandLineParser parser;
  // "-platform" is one option, as Qt reads it, not the letters p, l, a, ...
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  parser.addOption(help);
  parser.addOption(version);
  // Options of Qt's own and any others are the application's business.
  parser.parse(arguments);
  if (parser.isSet(help)) return QString::fromUtf8(kHelp);
  if (parser.isSet(version)) return QStringLiteral("matrikon " MATRIKON_VERSION "\n");
  return std::nullopt;
}
