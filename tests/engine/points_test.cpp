// EvaluatePoints against one Evaluate per point: the same values bit for bit,
// the same messages, faults and counters, on random points that hit every
// kind of point without a value. The points come in lines, as a grid's do,
// mostly repeating their X by position and their Y along the line, so that
// the calls find their values remembered as well as make them anew.
#include "tests/engine/Engine_test_util.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>

namespace {

struct TPointOutcome {
  long double Value;
  TPointFault Fault;
};

// Writes v into every variable entry of a name.
void SetByName(TFormula& f, const std::u16string& name, long double v) {
  for (int32_t i = 1; i <= f.VarCount; ++i)
    if (f.Vars[i].Name == name) f.Vars[i].Value = v;
}

bool SameBits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

TEST(EvaluatePointsTest, EqualsOneEvaluatePerPoint) {
  // The first name of each formula is X, the second Y.
  const std::u16string formulas[] = {
      u"sqrt(x)*ln(y)+1/x",      // refusals (shown only in the first evaluation), division by zero
      u"x^y",                    // 0^-1, (-3)^2,5 and overflow faults
      u"tan(x)/y+max(x;y;x)",    // a refusal at 90, list elements with entries of their own
      u"x/y-fact(y)*exp(x)",     // 0/0, overflow of fact and exp
      u"arcsin(x)",              // one variable: Y goes nowhere
  };
  const long double coords[] = {0, 1, -1, 0.5L, -0.5L, 2.5L, -3, 90, 180, -180, 3000, 1e2000L};
  std::mt19937 random(14);
  std::uniform_int_distribution<size_t> pick(0, std::size(coords) - 1);
  std::bernoulli_distribution repeat(0.8);
  constexpr size_t kLine = 100, kPoints = 30 * kLine;
  std::vector<long double> column(kLine), xs(kPoints), ys(kPoints);
  for (long double& x : column) x = coords[pick(random)];
  for (size_t i = 0; i < kPoints; ++i) {
    const long double lineY = i % kLine == 0 ? coords[pick(random)] : ys[i - 1];
    xs[i] = repeat(random) ? column[i % kLine] : coords[pick(random)];
    ys[i] = repeat(random) ? lineY : coords[pick(random)];
  }
  xs[0] = ys[0] = -1;  // a refusal in the first evaluation

  int kinds[6] = {};
  for (const std::u16string& text : formulas) {
    for (int32_t mode : {1, 2}) {
      SCOPED_TRACE(U8(text) + " mode " + std::to_string(mode));
      TFormula single(text, -1, 1), batch(text, -1, 1);
      ASSERT_TRUE(single.Parse(text));
      ASSERT_TRUE(batch.Parse(text));
      const std::u16string xName = single.Vars[1].Name;
      std::u16string yName;
      for (int32_t v = 1; v <= single.VarCount && yName.empty(); ++v)
        if (single.Vars[v].Name != xName) yName = single.Vars[v].Name;

      std::vector<TPointOutcome> expected;
      std::vector<std::u16string> expectedMessages;
      {
        TMessageRecorder rec;
        single.NumericOnly = true;
        for (size_t i = 0; i < kPoints; ++i) {
          SetByName(single, xName, xs[i]);
          if (!yName.empty()) SetByName(single, yName, ys[i]);
          const size_t shown = rec.Texts.size();
          TPointOutcome o{single.Value, TPointFault::None};
          try {
            single.Evaluate(mode);
            o.Value = single.Value;
            if (rec.Texts.size() > shown) o.Fault = TPointFault::Reported;
            else if (std::isnan(single.Value)) o.Fault = TPointFault::Refused;
          } catch (const EMathError& e) {
            o.Fault = e.Kind() == EMathError::TKind::Overflow         ? TPointFault::Overflow
                      : e.Kind() == EMathError::TKind::DivisionByZero ? TPointFault::DivisionByZero
                                                                      : TPointFault::InvalidOperation;
          }
          expected.push_back(o);
        }
        expectedMessages = rec.Texts;
      }

      std::vector<long double> values(kPoints);
      std::vector<TPointFault> faults(kPoints);
      TMessageRecorder rec;
      for (size_t i = 0; i < kPoints; i += kLine)
        batch.EvaluatePoints(mode, &xs[i], &ys[i], kLine, &values[i], &faults[i]);
      EXPECT_EQ(rec.Texts, expectedMessages);
      for (size_t i = 0; i < kPoints; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(faults[i], expected[i].Fault);
        ++kinds[static_cast<int>(faults[i])];
        if (faults[i] == TPointFault::None)
          ASSERT_TRUE(SameBits(values[i], expected[i].Value));
        else
          ASSERT_TRUE(std::isnan(values[i]));
      }
      EXPECT_EQ(batch.EvalCount, single.EvalCount);
      EXPECT_EQ(batch.ErrorFlag, single.ErrorFlag);
      EXPECT_TRUE(SameBits(batch.Value, single.Value));
      EXPECT_TRUE(batch.ResultText.empty());
      EXPECT_FALSE(batch.NumericOnly);
    }
  }
  // Every kind of point was met.
  for (int k = 0; k < 6; ++k) EXPECT_GT(kinds[k], 0) << k;
}

TEST(EvaluatePointsTest, StopIsSeenBeforeEachPoint) {
  TFormula f(u"sqrt(x)", -1, 1);
  ASSERT_TRUE(f.Parse(u"sqrt(x)"));
  const long double xs[] = {1, 4, -1, 9, 16};
  long double values[5] = {7, 7, 7, 7, 7};
  TPointFault faults[5] = {};
  std::atomic<bool> stop{true};
  EXPECT_EQ(f.EvaluatePoints(1, xs, nullptr, 5, values, faults, &stop), 0u);
  EXPECT_EQ(values[0], 7);
  // Asked while the third point shows its refusal: that point is the last made.
  stop = false;
  const TMessageHook before = SetMessageHook([&](TMessageIcon, const std::u16string&) { stop = true; });
  EXPECT_EQ(f.EvaluatePoints(1, xs, nullptr, 5, values, faults, &stop), 3u);
  SetMessageHook(before);
  EXPECT_EQ(values[1], 2);
  EXPECT_EQ(faults[2], TPointFault::Reported);
  EXPECT_EQ(values[3], 7);
  EXPECT_FALSE(f.NumericOnly);
  stop = false;
  EXPECT_EQ(f.EvaluatePoints(1, xs, nullptr, 5, values, faults, &stop), 5u);
}

}  // namespace
