// The console front end: its command line and its report, line by line.
#include "app/calc/Calc_cli.h"
#include "engine/Formula_math.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include <sys/wait.h>

namespace {

struct TRun {
  int Status;
  std::string Out, Err;
};

TRun RunArgs(std::vector<std::string> args) {
  TRun r;
  r.Status = RunCalc(args, r.Out, r.Err);
  return r;
}

TEST(CalcCliTest, Reports) {
  struct {
    std::vector<std::string> Args;
    std::string Out;
  } cases[] = {
      {{"2+3*4"}, "vars:\nvalue: 14\nresult: 14\nerror: 0\n"},
      {{"x*y", "x=2,5", "y=2"}, "vars: x y\nvalue: 5\nresult: 5\nerror: 0\n"},
      {{"x*y", "y=0.5", "x=3"}, "vars: x y\nvalue: 1.5\nresult: 1,5\nerror: 0\n"},
      {{"max(x;x)", "x=4"}, "vars: x x\nvalue: 4\nresult: 4\nerror: 0\n"},
      {{"--precision", "0,01", "x", "x=2.345"}, "vars: x\nvalue: 2.33999999999999985789\nresult: 2,34\nerror: 0\n"},
      {{"--precision", "0.1", "1.23"}, "vars:\nvalue: 1.19999999999999995559\nresult: 1,2\nerror: 0\n"},
      {{"--", "-x", "x=2"}, "vars: x\nvalue: -2\nresult: -2\nerror: 0\n"},
      {{"1/3"}, "vars:\nvalue: 0.333333333333333333342\nresult: 0,333333333333333\nerror: 0\n"},
      {{"8/0"},
       "message: Ошибка в вычислении формулы:\\r Деление на ноль\nvars:\nvalue: 0\nresult: \nerror: 1\n"},
      {{"2*-3"}, "message: Ошибка в записи математической формулы:\nvars:\nvalue: 0\nresult: \nerror: 1\n"},
      {{"0/0"}, "vars:\nfault: Недопустимая операция с плавающей точкой\nerror: 0\n"},
      {{"--mode", "2", "--repeat", "2", "sqrt(x)", "x=-1"},
       "message: Квадратный корень отрицательного числа не существует\nvars: x\nvalue: nan\nresult: \nerror: 1\n"},
      {{"--mode", "3", "sqrt(x)", "x=-1"}, "vars: x\nvalue: nan\nresult: NAN\nerror: 0\n"},
      {{"--varmode", "0", "a"},
       "message: Ошибка в записи математической формулы:\\rНеправильная запись функции или переменной!\n"
       "vars:\nvalue: 0\nresult: \nerror: 1\n"},
      {{"--repeat", "3", "random(1)"}, "vars:\nvalue: 0\nresult: 0\nerror: 0\n"},
      {{"--repeat", "0", "7"}, "vars:\nvalue: 0\nresult: \nerror: 0\n"},
      {{"éa+1", "éa=1"}, "vars: éa\nvalue: 2\nresult: 2\nerror: 0\n"},
  };
  for (const auto& c : cases) {
    TRun r = RunArgs(c.Args);
    EXPECT_EQ(r.Status, 0) << c.Args[0];
    EXPECT_EQ(r.Out, c.Out) << c.Args[0];
    EXPECT_TRUE(r.Err.empty()) << r.Err;
  }
}

TEST(CalcCliTest, FormulaFromAFile) {
  const std::string path = ::testing::TempDir() + "calc_cli_formula.math";
  {
    std::ofstream out(path, std::ios::binary);
    out << "x*2+éa\r\nignored\r\n";
  }
  TRun r = RunArgs({"--file", path, "x=3", "éa=1"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "vars: x éa\nvalue: 7\nresult: 7\nerror: 0\n");
  std::remove(path.c_str());
  EXPECT_EQ(RunArgs({"--file", path}).Status, 2);  // gone
}

TEST(CalcCliTest, NameTheFormulaDoesNotHaveIsReportedOnStandardError) {
  TRun r = RunArgs({"x", "z=1", "x=2"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "vars: x\nvalue: 2\nresult: 2\nerror: 0\n");
  EXPECT_EQ(r.Err, "matrikon-calc: в формуле нет переменной z\n");
  // A formula that did not compile has its own message, and no list of names to go by.
  EXPECT_EQ(RunArgs({"2*-x", "x=1"}).Err, "");
}

// The windows take formulas of up to MaxFormulaLength characters; longer ones
// are refused, on the command line and in a file, whose line is not read on.
TEST(CalcCliTest, FormulasLongerThanTheWindowsTakeAreRefused) {
  const std::string tooLong = "matrikon-calc: формула длиннее 131068 символов\n";
  const std::string path = ::testing::TempDir() + "calc_cli_long.math";
  const auto file = [&](const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    return std::vector<std::string>{"--file", path};
  };
  std::string name;  // Cyrillic: two bytes each in UTF-8
  for (int k = 0; k < MaxFormulaLength; ++k) name += "я";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{std::string(MaxFormulaLength, 'x')}, file(name + "\r\n"),
        file("\xEF\xBB\xBF" + name)}) {
    TRun r = RunArgs(args);
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err, "");
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{std::string(MaxFormulaLength + 1, 'x')}, file(name + "я\r\n"),
        file(std::string(4 << 20, '1'))}) {
    TRun r = RunArgs(args);
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, tooLong);
  }
  // The byte order mark of an editor is not part of the formula.
  EXPECT_EQ(RunArgs(file("\xEF\xBB\xBF" "2+3\n")).Out, "vars:\nvalue: 5\nresult: 5\nerror: 0\n");
  std::remove(path.c_str());
}

// The program itself: what it cannot do ends with status 1 and a message,
// never with a signal.
TEST(CalcCliTest, ProgramFailsWithStatusOneAndSaysWhy) {
  const std::string err = ::testing::TempDir() + "calc_cli_err.txt";
  const auto run = [&](const std::string& command) {
    const int status = std::system((command + " 2>" + err).c_str());
    std::ifstream in(err);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(err.c_str());
    return std::pair{WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
  };
  const std::string calc = "'" MATRIKON_CALC "'";
  if (std::ifstream("/dev/full")) {
    EXPECT_EQ(run(calc + " 2+3 >/dev/full"),
              std::pair(1, std::string("matrikon-calc: не удалось вывести результат: ") + std::strerror(ENOSPC) + "\n"));
  }
  EXPECT_EQ(run(calc + " 2+3 >/dev/null"), std::pair(0, std::string()));
#if !defined(__SANITIZE_ADDRESS__)
  // The longest formula takes some 25 MB to compile; 20 MB of address space
  // is enough to start the program, not to compile it.
  const std::string path = ::testing::TempDir() + "calc_cli_sum.math";
  {
    std::ofstream out(path, std::ios::binary);
    out << '1';
    for (int k = 1; k < MaxFormulaLength / 2; ++k) out << "+1";
  }
  EXPECT_EQ(run("ulimit -v 20000; exec " + calc + " --file '" + path + "' >/dev/null"),
            std::pair(1, std::string("matrikon-calc: недостаточно памяти\n")));
  std::remove(path.c_str());
#endif
}

TEST(CalcCliTest, BadCommandLines) {
  std::vector<std::vector<std::string>> cases = {
      {},
      {"--precision"},
      {"--precision", "abc", "1"},
      {"--mode", "1.5", "1"},
      {"--mode", "99999999999", "1"},
      {"--repeat", "-1", "1"},
      {"--colour", "red", "1"},
      {"-x"},
      {"--"},
      {"x", "x"},
      {"x", "x=abc"},
  };
  for (const auto& args : cases) {
    TRun r = RunArgs(args);
    EXPECT_EQ(r.Status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_TRUE(r.Out.empty());
    EXPECT_NE(r.Err.find("Использование: matrikon-calc"), std::string::npos);
  }
}

}  // namespace

namespace {

// --help and --version answer on standard output with status 0, wherever
// they stand among the options, and compute nothing.
TEST(CalcCliTest, HelpAndVersion) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"-h"}, {"--precision", "0,1", "--help", "2+2"}}) {
    const TRun run = RunArgs(args);
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Err.empty());
    for (const char* option : {"--precision", "--mode", "--varmode", "--repeat", "--file", "--help", "--version",
                               "matrikon-calc --precision 0,01"})
      EXPECT_NE(run.Out.find(option), std::string::npos) << option;
    EXPECT_EQ(run.Out.find("value:"), std::string::npos);
  }
  const TRun version = RunArgs({"--version"});
  EXPECT_EQ(version.Status, 0);
  EXPECT_EQ(version.Out.rfind("matrikon-calc ", 0), 0u);
  EXPECT_EQ(version.Out.back(), '\n');
}

}  // namespace
