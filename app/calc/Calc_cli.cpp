#include "app/calc/Calc_cli.h"

#include "engine/Formula_math.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>

namespace {

const char* const kUsage =
    "usage: matrikon-calc [--precision P] [--mode M] [--varmode V] [--repeat K] FORMULA "
    "[NAME=VALUE ...]\n"
    "       matrikon-calc [options] --file PATH [NAME=VALUE ...]\n";

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

}  // namespace

int RunCalc(const std::vector<std::string>& args, std::string& out, std::string& err) {
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
    if (i + 1 >= args.size()) return bad("option " + a + " needs a value");
    const std::string& value = args[++i];
    if (a == "--precision") {
      auto p = ParseNumber(value);
      if (!p) return bad("bad precision: " + value);
      precision = static_cast<double>(*p);
    } else if (a == "--mode" || a == "--varmode" || a == "--repeat") {
      auto n = ParseInt(value);
      if (!n || (a == "--repeat" && *n < 0)) return bad("bad value of " + a + ": " + value);
      (a == "--mode" ? mode : a == "--varmode" ? varMode : repeat) = *n;
    } else if (a == "--file") {
      file = value;
    } else {
      return bad("unknown option " + a);
    }
  }
  std::u16string formula;
  if (file) {
    // A formula too long for a command line: the first line of a UTF-8 file.
    std::ifstream in(*file, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return bad("cannot read " + *file);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    formula = FromUtf8(line);
  } else {
    if (i >= args.size()) return bad("no formula");
    formula = FromUtf8(args[i++]);
  }

  struct TAssignment {
    std::u16string Name;
    long double Value;
  };
  std::vector<TAssignment> values;
  for (; i < args.size(); ++i) {
    size_t eq = args[i].rfind('=');
    if (eq == std::string::npos) return bad("expected NAME=VALUE: " + args[i]);
    auto v = ParseNumber(args[i].substr(eq + 1));
    if (!v) return bad("bad value: " + args[i]);
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
  for (const TAssignment& a : values)
    for (int32_t v = 1; v <= f->VarCount; ++v)
      if (f->Vars[v].Name == a.Name) f->Vars[v].Value = a.Value;

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
