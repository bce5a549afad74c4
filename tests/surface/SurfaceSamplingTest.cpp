// The formula surface without a window: the grid's orientation, formulas of
// one and no variable, holes where the formula has no value, the engine's
// messages shown once, too many variables, and threads that change nothing.
#include "tests/engine/Engine_test_util.h"
#include "surface/FormulaSurface.h"

#include <gmock/gmock.h>

#include <cmath>
#include <cstring>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using surface::TSurfaceFormula;
using surface::TSurfaceGrid;
using surface::TSurfaceSamples;

namespace {

// Samples text and shows its messages, as the window does.
TSurfaceSamples Sample(const std::u16string& text, TSurfaceGrid grid, int threads = 0) {
  TSurfaceFormula formula(text);
  EXPECT_TRUE(formula.Compiled());
  TSurfaceSamples s = formula.Sample(grid, threads);
  s.ShowMessages();
  return s;
}

// The grid's values line by line, NaN where a point is missing.
std::vector<std::vector<float>> Heights(const TSurfaceSamples& s) {
  std::vector<std::vector<float>> rows;
  for (const auto& line : s.Lines) {
    std::vector<float> row;
    for (int32_t i = 0; i < line->Count(); ++i)
      row.push_back(line->IsMissing(i) ? NAN : line->GetValue(i));
    rows.push_back(row);
  }
  return rows;
}

MATCHER(IsMissingPoint, "") { return std::isnan(arg); }

TEST(SurfaceSamplingTest, LinesRunAlongYWithTheValuesAlongX) {
  const TSurfaceSamples s = Sample(u"x+10*y", {0, 3, -1, 1, 3, 4});
  ASSERT_EQ(s.Lines.size(), 3u);
  EXPECT_THAT(Heights(s), ElementsAre(ElementsAre(-10, -9, -8, -7), ElementsAre(0, 1, 2, 3),
                                      ElementsAre(10, 11, 12, 13)));
  EXPECT_EQ(s.MissingPoints, 0);
  // Ground positions in whole grid steps, in the order of the ranges.
  for (int L = 0; L < 3; ++L) {
    EXPECT_EQ(s.Lines[L]->GetX(0), 0);
    EXPECT_EQ(s.Lines[L]->GetX(3), 3);
    EXPECT_EQ(s.Lines[L]->GetY(2), L);
  }
  const TSurfaceSamples reversed = Sample(u"x+10*y", {3, 0, 1, -1, 3, 4});
  EXPECT_THAT(Heights(reversed)[0], ElementsAre(13, 12, 11, 10));
  EXPECT_EQ(reversed.Lines[2]->GetX(3), -3);
  EXPECT_EQ(reversed.Lines[2]->GetY(0), -2);
}

TEST(SurfaceSamplingTest, FirstVariableIsXWhateverItsNameAndConstantsMakeAFlatSurface) {
  // The only variable, though named y, runs along X: every line is the same.
  EXPECT_THAT(Heights(Sample(u"y^2", {-1, 1, 5, 6, 2, 3})), ElementsAre(ElementsAre(1, 0, 1), ElementsAre(1, 0, 1)));
  // X is the name the text shows first, though the engine lists a first.
  EXPECT_THAT(TSurfaceFormula(u"b-a*100").Variables(), ElementsAre(u"b", u"a"));
  EXPECT_THAT(Heights(Sample(u"b-a*100", {1, 2, 0, 1, 2, 2})), ElementsAre(ElementsAre(1, 2), ElementsAre(-99, -98)));
  // A flat surface is made; the control refuses it for having no range.
  TSurfaceSamples flat = Sample(u"5", {-1, 1, -1, 1, 3, 3});
  EXPECT_THAT(Heights(flat), ElementsAre(ElementsAre(5, 5, 5), ElementsAre(5, 5, 5), ElementsAre(5, 5, 5)));
  TGraph3DModel model;
  for (auto& line : flat.Lines) model.AddLine(std::move(line));
  EXPECT_THROW(model.BuildTrapezes(), EGraph3DError);
}

TEST(SurfaceSamplingTest, PointsWithoutAValueAreMissingAndMessagesShownOnce) {
  const float nan = NAN;
  auto row = [](std::vector<float> v) { return v; };
  struct TCase {
    std::u16string Text;
    TSurfaceGrid Grid;
    std::vector<std::vector<float>> Expected;  // NaN: missing
    std::vector<std::u16string> Messages;
  };
  const TCase cases[] = {
      // The refusal at the first point is shown, once, as the plane plot shows it.
      {u"sqrt(x)", {-4, 4, 0, 1, 2, 3}, {row({nan, 0, 2}), row({nan, 0, 2})}, {std::u16string(FormulaText::kMsgSqrt)}},
      // A division by zero on every line: one message.
      {u"1/x", {-1, 1, 0, 1, 3, 3}, {row({-1, nan, 1}), row({-1, nan, 1}), row({-1, nan, 1})},
       {EvalMessage(FormulaText::kMsgDivisionByZero)}},
      // Refused later than at the first point: nothing shown, holes all the same.
      {u"ln(x*y)", {-1, 1, -1, 1, 3, 3}, {row({0, nan, nan}), row({nan, nan, nan}), row({nan, nan, 0})}, {}},
      // 0/0, a value beyond the heights' single range, an overflow.
      {u"(x-x)/y+10^(x*50*y)", {-1, 1, 0, 100, 3, 2}, {row({nan, nan}), row({0, nan}), row({0, nan})}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(U8(c.Text));
    TMessageRecorder rec;
    const TSurfaceSamples s = Sample(c.Text, c.Grid);
    const auto heights = Heights(s);
    ASSERT_EQ(heights.size(), c.Expected.size());
    int64_t missing = 0;
    for (size_t L = 0; L < heights.size(); ++L)
      for (size_t i = 0; i < heights[L].size(); ++i) {
        if (std::isnan(c.Expected[L][i])) {
          EXPECT_THAT(heights[L][i], IsMissingPoint()) << L << "," << i;
          ++missing;
        } else {
          EXPECT_FLOAT_EQ(heights[L][i], c.Expected[L][i]) << L << "," << i;
        }
      }
    EXPECT_EQ(s.MissingPoints, missing);
    EXPECT_EQ(rec.Texts, c.Messages);
  }

  // Over a large grid on two threads, still one message of each.
  TMessageRecorder rec;
  const TSurfaceSamples s = Sample(u"sqrt(x)+1/y", {-10, 10, -10, 10, 101, 101}, 2);
  EXPECT_EQ(rec.Texts, (std::vector<std::u16string>{std::u16string(FormulaText::kMsgSqrt),
                                                    EvalMessage(FormulaText::kMsgDivisionByZero)}));
  EXPECT_EQ(s.MissingPoints, 50 * 101 + 51);  // x < 0 in 50 columns, y = 0 on one line
}

TEST(SurfaceSamplingTest, SyntaxErrorsAndExtraVariablesAreRefused) {
  {
    TMessageRecorder rec;
    TSurfaceFormula broken(u"sin(x");
    EXPECT_FALSE(broken.Compiled());
    EXPECT_EQ(rec.Texts.size(), 1u);
    TSurfaceFormula empty(u"");
    EXPECT_FALSE(empty.Compiled());
    EXPECT_EQ(rec.Texts.size(), 1u);  // nothing more shown
    EXPECT_EQ(broken.Sample({-1, 1, -1, 1, 2, 2}).MissingPoints, 4);
  }
  TSurfaceFormula many(u"x+y*z-max(t;x;z)");
  ASSERT_TRUE(many.Compiled());
  EXPECT_THAT(many.Variables(), ElementsAre(u"x", u"y", u"z", u"t"));
  EXPECT_THAT(many.ExtraVariables(), ElementsAre(u"z", u"t"));
  EXPECT_EQ(surface::TooManyVariablesMessage(many.ExtraVariables()),
            u"Поверхность Z(X;Y) строится по двум переменным, а в формуле есть лишние: z, t!");
  // A name repeated in a list is still one variable, and takes its value everywhere.
  TSurfaceFormula repeated(u"max(x;x)+y");
  EXPECT_THAT(repeated.ExtraVariables(), IsEmpty());
  EXPECT_THAT(Heights(repeated.Sample({1, 2, 10, 20, 2, 2})), ElementsAre(ElementsAre(11, 12), ElementsAre(21, 22)));
}

TEST(SurfaceSamplingTest, ThreadsChangeNoValueAndRandomKeepsItsSequence) {
  TMessageRecorder rec;
  const TSurfaceGrid grid{-200, 170, -90, 300, 97, 131};
  const std::u16string text = u"sin(x)*cos(y)+sqrt(x)*ln(y)";
  const TSurfaceSamples one = Sample(text, grid, 1), two = Sample(text, grid, 2);
  ASSERT_EQ(one.Lines.size(), two.Lines.size());
  EXPECT_EQ(one.MissingPoints, two.MissingPoints);
  for (size_t L = 0; L < one.Lines.size(); ++L) {
    EXPECT_EQ(std::memcmp(one.Lines[L]->Values(), two.Lines[L]->Values(), 131 * sizeof(float)), 0);
    for (int32_t i = 0; i < 131; ++i) ASSERT_EQ(one.Lines[L]->IsMissing(i), two.Lines[L]->IsMissing(i));
  }

  // random draws in grid order, as one evaluation per point would.
  const std::u16string dice = u"random(1000)+x*y";
  SetRandomSeed(1234);
  const TSurfaceSamples drawn = Sample(dice, {0, 2, 0, 3, 4, 3}, 2);
  SetRandomSeed(1234);
  TFormula f(dice, -1, 1);
  f.Parse(dice);
  for (int L = 0; L < 4; ++L)
    for (int i = 0; i < 3; ++i) {
      f.Vars[1].Value = i;
      f.Vars[2].Value = L;
      f.Evaluate(2);
      EXPECT_EQ(drawn.Lines[L]->GetValue(i), static_cast<float>(f.Value));
    }
}

TEST(SurfaceSamplingTest, ProgressIsReportedAndAStopLeavesNothing) {
  const TSurfaceGrid grid{-200, 170, -90, 300, 97, 131};
  const std::u16string text = u"sin(x)*cos(y)+sqrt(x)*ln(y)";
  const TSurfaceSamples plain = TSurfaceFormula(text).Sample(grid, 2);
  TWorkControl followed;
  const TSurfaceSamples same = TSurfaceFormula(text).Sample(grid, 2, &followed);
  EXPECT_EQ(followed.Progress(), 1);
  ASSERT_EQ(same.Lines.size(), plain.Lines.size());
  EXPECT_EQ(same.MissingPoints, plain.MissingPoints);
  for (size_t L = 0; L < plain.Lines.size(); ++L)
    EXPECT_EQ(std::memcmp(same.Lines[L]->Values(), plain.Lines[L]->Values(), 131 * sizeof(float)), 0);
  TWorkControl stopped;
  stopped.StopAtProgress(0.5);
  EXPECT_TRUE(TSurfaceFormula(text).Sample(grid, 2, &stopped).Lines.empty());
  EXPECT_TRUE(stopped.Stopped());
  EXPECT_LT(stopped.Progress(), 0.6);
}

}  // namespace
