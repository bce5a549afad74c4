// matrikon-calc: compiles and evaluates one formula from the command line.
#include "app/calc/Calc_cli.h"

#include <cstdio>

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out, err;
  int status = RunCalc(args, out, err);
  status = WriteCalcReport(out, err, status, stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
