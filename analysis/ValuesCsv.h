// The points of a build as CSV text that a spreadsheet in a Russian locale
// opens as two numeric columns without an import dialog: the header line
// "X;F(X)", then one point a line, ';' between the fields, the numbers in
// the general number format (decimal comma, up to 15 significant digits), an
// empty field for a point without a value; ASCII (so UTF-8), lines ended by
// CR LF.
//
//   TValuesCsv csv(count, reader);
//   for (std::string_view piece; !(piece = csv.Next()).empty();) ...write piece...
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TValuesCsv {
 public:
  // Copies points first .. first + count - 1 into x and y; called from
  // several threads at once, for different points.
  using TReader = std::function<void(int64_t first, int64_t count, double* x, double* y)>;

  static constexpr std::string_view Header = "X;F(X)\r\n";

  // The text of count points; threads 0: every core.
  TValuesCsv(int64_t count, TReader read, int threads = 0);

  // The next piece of the text (the header comes with the first rows); an
  // empty one once all is given. Valid until the next call.
  std::string_view Next();
  // How much of the text has been given, 0..1.
  double Progress() const;

 private:
  void MakeBatch();

  int64_t FCount;
  TReader FRead;
  int FParts;
  int64_t FNextRow = 0;   // the first row of the next batch
  bool FHeaderGiven = false;
  std::vector<std::string> FPieces;  // one per part, of the batch made last
  size_t FNextPiece = 0;
};

// Appends the rows of count points to out, "x;y\r\n" each.
void AppendCsvRows(std::string& out, const double* x, const double* y, int64_t count);
