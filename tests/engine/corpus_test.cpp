// Generated formulas, compiled and evaluated with everything the engine
// shows (tables, messages, values, texts, flags, counters) folded into one
// digest each. The digests were taken before the compiler was rewritten for
// speed; a change here means some formula compiles or computes differently:
// scripts/engine-diff.sh shows which.
#include "tests/engine/Formula_corpus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace FormulaCorpus;

TEST(CorpusTest, GeneratedFormulasCompileAndComputeAsBefore) {
  TGenerator generator(1);
  std::string account;
  uint64_t digest = Digest({});
  for (int i = 0; i < 40000; ++i) {
    account.clear();
    Account(account, generator.Next());
    digest = Digest(account, digest);
  }
  // The x87 instructions behind expl, logl, atanl and their kin round their
  // last bits differently on AMD and Intel processors, so each family has its
  // own digest; a change of the engine changes both.
  EXPECT_THAT(digest, testing::AnyOf(0xd2878f2c91c98dbeull /* AMD */, 0x5876af2934030386ull /* Intel */))
      << std::hex << digest;
}

TEST(CorpusTest, LongFormulasCompileAndComputeAsBefore) {
  std::string account;
  for (const std::u16string& text : LongTexts(3000)) {
    TCase c;
    c.Text = text;
    c.ValueSeed = 7;
    Account(account, c);
  }
  EXPECT_EQ(Digest(account), 0x1e9d6bcf827f8a37ull) << std::hex << Digest(account);
}

}  // namespace
