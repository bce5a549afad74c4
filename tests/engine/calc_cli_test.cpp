// The console front end: its command line and its report, line by line.
#include "app/calc/Calc_cli.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

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
      {{"x", "z=1"}, "vars: x\nvalue: 0\nresult: 0\nerror: 0\n"},
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
    EXPECT_NE(r.Err.find("usage: matrikon-calc"), std::string::npos);
  }
}

}  // namespace
