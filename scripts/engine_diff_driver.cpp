// The driver of scripts/engine-diff.sh: writes the account of generated
// formulas (tests/engine/Formula_corpus.h) as text, built once against each
// engine that is compared.
//   engine-diff-driver SEED COUNT   COUNT formulas of the generator SEED
//   engine-diff-driver --long N     the long texts of about N characters
#include "tests/engine/Formula_corpus.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SEED COUNT | --long N\n", argv[0]);
    return 2;
  }
  std::string out;
  auto write = [&out] {
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
  };
  if (std::strcmp(argv[1], "--long") == 0) {
    for (const std::u16string& text : FormulaCorpus::LongTexts(std::strtoull(argv[2], nullptr, 10))) {
      for (double precision : {0.0, 0.01}) {
        FormulaCorpus::TCase c;
        c.Text = text;
        c.Precision = precision;
        c.ValueSeed = 7;
        FormulaCorpus::Account(out, c);
        write();
      }
    }
    return 0;
  }
  FormulaCorpus::TGenerator generator(std::strtoull(argv[1], nullptr, 10));
  for (long long i = std::atoll(argv[2]); i > 0; --i) {
    FormulaCorpus::Account(out, generator.Next());
    if (out.size() > (1 << 20)) write();
  }
  write();
  return 0;
}
