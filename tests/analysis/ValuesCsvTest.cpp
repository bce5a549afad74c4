// The table of values as CSV: read back by a real CSV reader (Python's csv
// module, ';' between fields, numbers with a decimal comma), the pieces
// made on several cores in order, an empty field where a point has no value.
#include "analysis/ValuesCsv.h"
#include "engine/Formula_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Reads the CSV file with Python's csv module as a spreadsheet in a Russian
// locale would take it, and writes each field back as a hexadecimal float
// ("-" for an empty field), one row a line; the header line as it was read.
constexpr const char* kReader = R"(import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f, open(sys.argv[2], 'w') as out:
    rows = csv.reader(f, delimiter=';')
    out.write('|'.join(next(rows)) + '\n')
    for row in rows:
        out.write(' '.join(float(v.replace(',', '.')).hex() if v else '-' for v in row) + '\n')
)";

struct TPoints {
  std::vector<double> X, Y;
  TValuesCsv::TReader Reader() const {
    return [this](int64_t first, int64_t count, double* x, double* y) {
      std::copy_n(X.begin() + first, count, x);
      std::copy_n(Y.begin() + first, count, y);
    };
  }
};

std::string WholeText(TValuesCsv& csv) {
  std::string text;
  for (std::string_view piece; !(piece = csv.Next()).empty();) text += piece;
  return text;
}

// The number a field in the general format stands for.
double FromGeneral(double v) {
  std::string text = ToUtf8(FormatGeneral(v));
  for (char& c : text)
    if (c == ',') c = '.';
  return std::strtod(text.c_str(), nullptr);
}

TEST(ValuesCsvTest, ARealCsvReaderReadsTwoNumericColumns) {
  if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";
  // More points than two cores format in one batch, with a curve that has
  // gaps, values in the exponent form and the band's edge.
  TPoints p;
  long double x = -3;
  for (int i = 0; i < 140001; ++i, x += 0.01L) {
    p.X.push_back(static_cast<double>(x));
    p.Y.push_back(i % 1000 == 7 ? std::numeric_limits<double>::quiet_NaN()
                  : i == 300 ? 1e-17
                  : i == 5 ? -100000
                           : static_cast<double>(x * x * x - 2 * x));
  }
  TValuesCsv csv(static_cast<int64_t>(p.X.size()), p.Reader(), 2);
  const std::string text = WholeText(csv);
  EXPECT_EQ(csv.Progress(), 1.0);
  ASSERT_EQ(text.substr(0, 28), "X;F(X)\r\n-3;-21\r\n-2,99;-20,75")
      << "header, then rows in the general format";

  const auto dir = std::filesystem::temp_directory_path() / "matrikon-csv-test";
  std::filesystem::create_directories(dir);
  const auto csvFile = dir / "values.csv", script = dir / "read.py", readBack = dir / "read.txt";
  std::ofstream(csvFile, std::ios::binary) << text;
  std::ofstream(script) << kReader;
  const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + csvFile.string() + "' '" +
                              readBack.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);

  std::ifstream in(readBack);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "X|F(X)");
  size_t row = 0, gaps = 0;
  for (; std::getline(in, line); ++row) {
    ASSERT_LT(row, p.X.size());
    std::istringstream fields(line);
    std::string xs, ys, extra;
    fields >> xs >> ys;
    ASSERT_FALSE(fields >> extra) << line;
    ASSERT_EQ(std::strtod(xs.c_str(), nullptr), FromGeneral(p.X[row])) << row;
    if (std::isnan(p.Y[row])) {
      EXPECT_EQ(ys, "-") << row;
      ++gaps;
    } else {
      ASSERT_EQ(std::strtod(ys.c_str(), nullptr), FromGeneral(p.Y[row])) << row;
    }
  }
  EXPECT_EQ(row, p.X.size());
  EXPECT_EQ(gaps, 140u);
  std::filesystem::remove_all(dir);
}

TEST(ValuesCsvTest, AnEmptyTableIsTheHeaderAlone) {
  TPoints none;
  TValuesCsv csv(0, none.Reader());
  EXPECT_EQ(WholeText(csv), "X;F(X)\r\n");
}

}  // namespace
