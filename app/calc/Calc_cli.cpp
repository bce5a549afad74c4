#include "app/calc/Calc_cli.h"

#include "engine/Formula_math.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <optional>

namespace {

const char* const kUsage =
    "Использование: matrikon-calc [--precision P] [--mode M] [--varmode V] [--repeat K] ФОРМУЛА "
    "[ИМЯ=ЗНАЧЕНИЕ ...]\n"
    "               matrikon-calc [параметры] --file ФАЙЛ [ИМЯ=ЗНАЧЕНИЕ ...]\n"
    "Справка: matrikon-calc --help\n";

const char* const kHelp =
    "matrikon-calc вычисляет одну формулу движком Матрикона и выводит, что он сделал,\n"
    "по строке на каждое: сообщения, переменные, значение и текст результата (или\n"
    "арифметическую ошибку) и флаг ошибки.\n"
    "\n"
    "Использование:\n"
    "  matrikon-calc [параметры] ФОРМУЛА [ИМЯ=ЗНАЧЕНИЕ ...]\n"
    "  matrikon-calc [параметры] --file ФАЙЛ [ИМЯ=ЗНАЧЕНИЕ ...]\n"
    "\n"
    "Параметры:\n"
    "  --precision P   точность результата, например 0,01 (0: все цифры)\n"
    "  --mode M        режим вычисления: 1 показывает каждую ошибку, 2 только ошибки\n"
    "                  первого вычисления, 0 ни одной (1)\n"
    "  --varmode V     1: имена, которые не функции, становятся переменными (1)\n"
    "  --repeat K      вычислить K раз (1)\n"
    "  --file ФАЙЛ     формула из первой строки файла (UTF-8), для очень длинных формул\n"
    "  --              конец параметров: формула может начинаться с минуса\n"
    "  -h, --help      эта справка\n"
    "  -v, --version   версия программы\n"
    "\n"
    "Числа пишутся с десятичной запятой или точкой.\n"
    "\n"
    "Примеры:\n"
    "  matrikon-calc \"2+3*4\"\n"
    "  matrikon-calc --precision 0,01 \"sin(x)*2\" x=30\n"
    "  matrikon-calc -- -x x=2\n"
    "  matrikon-calc --file long.math\n"
    "\n"
    "Код завершения: 0 вычислено, 1 сбой самой программы, 2 ошибка в командной строке.\n";

std::optional<int32_t> ParseInt(const std::string& s) {
  if (s.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(v);
}

// A number as a user types it: decimal comma or point.
std::optional<long double> ParseNumber(const std::string& s) {
  long double v;
  if (!TryTextToFloat(DotToComma(FromUtf8(s)), v)) return std::nullopt;
  return v;
}

std::string FormatValue(long double v) {
  if (std::isnan(v)) return "nan";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.21Lg", v);
  return buf;
}

std::string Escaped(const std::u16string& text) {
  std::string s = ToUtf8(text), out;
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

// The first line of a formula file, without its line break and a leading
// byte order mark. Reads no further than a formula can be long: a longer
// line sets tooLong and is left unread. False when the file cannot be read
// or is empty.
bool ReadFormulaLine(const std::string& file, std::string& line, bool& tooLong) {
  // Three bytes per character in UTF-8, and a byte order mark.
  constexpr size_t kMaxLineBytes = 3 * size_t(MaxFormulaLength) + 3;
  std::ifstream in(file, std::ios::binary);
  line.clear();
  tooLong = false;
  bool read = false;
  char c = 0;
  while (in.get(c)) {
    read = true;
    if (c == '\n' || c == '\r') break;
    if (line.size() == kMaxLineBytes) {
      tooLong = true;
      return true;
    }
    line += c;
  }
  if (!read || in.bad()) return false;
  if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
  return true;
}

int Run(const std::vector<std::string>& args, std::string& out, std::string& err) {
  double precision = 0;
  int32_t mode = 1, varMode = 1, repeat = 1;
  std::optional<std::string> file;
  size_t i = 0;
  auto bad = [&](const std::string& why) {
    err += "matrikon-calc: " + why + "\n" + kUsage;
    return 2;
  };
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      ++i;
      break;
    }
    if (a.size() < 2 || a[0] != '-') break;
    if (a == "-h" || a == "--help") {
      out = kHelp;
      return 0;
    }
    if (a == "-v" || a == "--version") {
      out = "matrikon-calc " MATRIKON_VERSION "\n";
      return 0;
    }
    const bool known = a == "--precision" || a == "--mode" || a == "--varmode" || a == "--repeat" || a == "--file";
    if (!known) return bad("неизвестный параметр " + a);
    if (i + 1 >= args.size()) return bad("у параметра " + a + " нет значения");
    const std::string& value = args[++i];
    if (a == "--precision") {
      auto p = ParseNumber(value);
      if (!p) return bad("неправильная точность: " + value);
      precision = static_cast<double>(*p);
    } else if (a == "--mode" || a == "--varmode" || a == "--repeat") {
      auto n = ParseInt(value);
      if (!n || (a == "--repeat" && *n < 0)) return bad("неправильное значение " + a + ": " + value);
      (a == "--mode" ? mode : a == "--varmode" ? varMode : repeat) = *n;
    } else if (a == "--file") {
      file = value;
    }
  }
  std::u16string formula;
  bool tooLong = false;
  if (file) {
    // A formula too long for a command line: the first line of a UTF-8 file.
    std::string line;
    if (!ReadFormulaLine(*file, line, tooLong)) return bad("не удалось прочитать файл " + *file);
    if (!tooLong) formula = FromUtf8(line);
  } else {
    if (i >= args.size()) return bad("не задана формула");
    formula = FromUtf8(args[i++]);
  }
  // Never cut: a formula cut short is another formula.
  if (tooLong || formula.size() > size_t(MaxFormulaLength)) {
    err += "matrikon-calc: формула длиннее " + std::to_string(MaxFormulaLength) + " символов\n";
    return 2;
  }

  struct TAssignment {
    std::u16string Name;
    long double Value;
  };
  std::vector<TAssignment> values;
  for (; i < args.size(); ++i) {
    size_t eq = args[i].rfind('=');
    if (eq == std::string::npos) return bad("ожидалось ИМЯ=ЗНАЧЕНИЕ: " + args[i]);
    auto v = ParseNumber(args[i].substr(eq + 1));
    if (!v) return bad("неправильное значение: " + args[i]);
    values.push_back({FromUtf8(args[i].substr(0, eq)), *v});
  }

  std::string messages;
  TMessageHook previous = SetMessageHook([&messages](TMessageIcon, const std::u16string& text) {
    messages += "message: " + Escaped(text) + "\n";
  });
  struct TRestore {
    TMessageHook& Hook;
    ~TRestore() { SetMessageHook(std::move(Hook)); }
  } restore{previous};

  auto f = std::make_unique<TFormula>(formula, precision, varMode);
  f->Parse(formula);
  for (const TAssignment& a : values) {
    bool found = false;
    for (int32_t v = 1; v <= f->VarCount; ++v)
      if (f->Vars[v].Name == a.Name) {
        f->Vars[v].Value = a.Value;
        found = true;
      }
    // A misspelt name would leave the variable at 0 without a word. A formula
    // that did not compile has its own message and no full list of names.
    if (!found && f->ErrorFlag == 0) err += "matrikon-calc: в формуле нет переменной " + ToUtf8(a.Name) + "\n";
  }

  std::string outcome;
  try {
    for (int32_t k = 0; k < repeat; ++k) f->Evaluate(mode);
    outcome = "value: " + FormatValue(f->Value) + "\nresult: " + ToUtf8(f->ResultText) + "\n";
  } catch (const EMathError& e) {
    outcome = std::string("fault: ") + e.what() + "\n";
  }

  out += messages;
  out += "vars:";
  for (int32_t v = 1; v <= f->VarCount; ++v) out += " " + ToUtf8(f->Vars[v].Name);
  out += "\n" + outcome;
  out += "error: " + std::to_string(f->ErrorFlag) + "\n";
  return 0;
}

}  // namespace

int RunCalc(const std::vector<std::string>& args, std::string& out, std::string& err) {
  // A failed run reports no result, only why it failed.
  const auto failed = [&](const std::string& why) {
    out.clear();
    err += "matrikon-calc: " + why + "\n";
    return 1;
  };
  try {
    return Run(args, out, err);
  } catch (const std::bad_alloc&) {
    return failed("недостаточно памяти");
  } catch (const std::exception& e) {
    return failed(e.what());
  } catch (...) {
    return failed("неизвестная ошибка");
  }
}

int WriteCalcReport(const std::string& out, std::string& err, int status, std::FILE* stream) {
  errno = 0;
  if (std::fwrite(out.data(), 1, out.size(), stream) != out.size() || std::fflush(stream) != 0) {
    err += std::string("matrikon-calc: не удалось вывести результат: ") + std::strerror(errno ? errno : EIO) + "\n";
    return 1;
  }
  return status;
}
