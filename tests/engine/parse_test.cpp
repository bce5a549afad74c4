// Compilation: the tables a text compiles to, and every refusal.
#include "tests/engine/Engine_test_util.h"

namespace {

using namespace FormulaText;

struct TCompiled {
  std::unique_ptr<TFormula> F;
  std::vector<std::u16string> Messages;
  bool Ok = false;
};

TCompiled Compile(const std::u16string& text, int32_t varMode = 1) {
  TMessageRecorder rec;
  TCompiled c;
  c.F = std::make_unique<TFormula>(text, 0, varMode);
  c.Ok = c.F->Parse(text);
  c.Messages = rec.Texts;
  return c;
}

TEST(FormulaModelTest, NewObject) {
  TFormula f(u"x+1", 0.01, 1);
  EXPECT_EQ(f.ErrorFlag, 0);
  EXPECT_EQ(f.EvalCount, 1);
  EXPECT_EQ(f.VarCount, 0);
  EXPECT_EQ(f.NodeCount, 0);
  EXPECT_EQ(f.TextLength, 3);
  EXPECT_TRUE(f.ResultText.empty());
  EXPECT_EQ(f.Precision, 0.01);
  EXPECT_EQ(f.VarMode, 1);
  // Tables have room for entries 0..TextLength; entry 0 exists.
  EXPECT_EQ(f.Groups.capacity(), 4u);
  EXPECT_EQ(f.Nodes.capacity(), 4u);
  EXPECT_EQ(f.Vars.capacity(), 4u);
  EXPECT_EQ(f.Nodes.size(), 1u);
}

TEST(ParserTest, OneCharacterFits) {
  TCompiled c = Compile(u"x");
  ASSERT_TRUE(c.Ok);
  EXPECT_EQ(c.F->GroupCount(), 1);
  EXPECT_EQ(c.F->NodeCount, 1);
  EXPECT_EQ(c.F->VarCount, 1);
  EXPECT_EQ(c.F->Groups[1].Ref, u"#1");
  EXPECT_EQ(c.F->Nodes[1].Op, 0);
  EXPECT_EQ(c.F->Nodes[1].Operands[1].VarIndex, 1);
  EXPECT_EQ(c.F->Nodes[1].Operands[2].VarIndex, 1);
  EXPECT_EQ(c.F->Vars[1].Name, u"x");
}

TEST(ParserTest, NodesInTableOrder) {
  struct {
    const char16_t* Text;
    std::vector<std::u16string> Nodes;  // node texts 1..NodeCount
  } cases[] = {
      {u"2^3^2", {u"2^3", u"#1^2"}},
      {u"2+3*4", {u"3*4", u"2+#1"}},
      {u"2-3+4", {u"2-3", u"#1+4"}},
      {u"8/2/2", {u"8/2", u"#1/2"}},
      {u"-x", {u"0-x"}},
      {u"-2^2", {u"2^2", u"0-#1"}},
      {u"(-3)", {u"0-3", u"$1"}},
      {u"sin((x+1)*2)", {u"x+1", u"$1*2", u"sin$2"}},
      {u"max(4;8;2,5)", {u"#p1 3", u"max$1"}},
      {u"2.5+x", {u"2.5+x"}},
  };
  for (const auto& c : cases) {
    TCompiled r = Compile(c.Text);
    EXPECT_TRUE(r.Ok) << U8(c.Text);
    ASSERT_EQ(r.F->NodeCount, static_cast<int32_t>(c.Nodes.size())) << U8(c.Text);
    for (size_t i = 0; i < c.Nodes.size(); ++i) EXPECT_EQ(r.F->Nodes[i + 1].Text, c.Nodes[i]) << U8(c.Text);
  }
}

TEST(ParserTest, OperandsAndMarkers) {
  TCompiled r = Compile(u"sin((x+1)*2)");
  ASSERT_TRUE(r.Ok);
  const TFormula& f = *r.F;
  EXPECT_EQ(f.Groups[1].Text, u"x+1");
  EXPECT_EQ(f.Groups[2].Text, u"$1*2");
  EXPECT_EQ(f.Groups[3].Text, u"sin$2");
  EXPECT_EQ(f.Groups[3].Ref, u"#3");
  EXPECT_EQ(f.Nodes[2].Operands[1].Text, u"#1");  // "$1" became its group's node
  EXPECT_EQ(f.Nodes[2].Op, u'*');
  EXPECT_EQ(f.Nodes[2].Operands[2].Value, 2.0L);
  // A pass-through node of a call registers the call once per operand.
  EXPECT_EQ(f.Nodes[3].Operands[1].Text, u"#f1");
  EXPECT_EQ(f.Nodes[3].Operands[2].Text, u"#f2");
  EXPECT_EQ(f.CallCount(), 2);
  EXPECT_EQ(f.Calls[1].Name, u"sin");
  EXPECT_EQ(f.Calls[1].Arg, u"#2");

  TCompiled m = Compile(u"max(4;8;2,5)");
  ASSERT_TRUE(m.Ok);
  EXPECT_EQ(m.F->ListItemCount, 3);
  EXPECT_EQ(m.F->ListItems[3].Text, u"2,5");
  EXPECT_EQ(m.F->ListItems[3].Value, 2.5L);
  EXPECT_EQ(m.F->Calls[1].Arg, u"#p1 3");
  EXPECT_TRUE(m.F->Nodes[1].Operands[1].Text.empty());

  TCompiled p = Compile(u"Pi+pi");
  EXPECT_EQ(p.F->Calls[1].Name, u"Pi");
  EXPECT_EQ(p.F->Calls[2].Name, u"pi");
  EXPECT_TRUE(p.F->Calls[1].Arg.empty());
  TCompiled pa = Compile(u"Pi(2)");
  EXPECT_EQ(pa.F->Calls[1].Name, u"Pi");
  EXPECT_EQ(pa.F->VarCount, 0);
}

TEST(ParserTest, Variables) {
  struct {
    const char16_t* Text;
    std::vector<std::u16string> Vars;
  } cases[] = {
      {u"b+a*c", {u"a", u"c", u"b"}},  // in the order of the nodes that use them
      {u"a+b+a", {u"a", u"b"}},
      {u"max(x;x)", {u"x", u"x"}},     // list elements always make a new entry
      {u"max(x;y)+x", {u"x", u"x", u"y"}},
      {u"f(x)", {u"x", u"f$1"}},
      {u"PI", {u"PI"}},
      {u"pi(2)", {u"pi$1"}},           // only "Pi" is a function name
      {u"cost+sinx+integral", {u"cost", u"sinx", u"integral"}},
      {u"x(", {u"x("}},
      {u"éa*2", {u"éa"}},
      {u"cosh(x)", {u"x"}},
  };
  for (const auto& c : cases) {
    TCompiled r = Compile(c.Text);
    EXPECT_TRUE(r.Ok) << U8(c.Text);
    ASSERT_EQ(r.F->VarCount, static_cast<int32_t>(c.Vars.size())) << U8(c.Text);
    for (size_t i = 0; i < c.Vars.size(); ++i) EXPECT_EQ(r.F->Vars[i + 1].Name, c.Vars[i]) << U8(c.Text);
  }
  TCompiled aba = Compile(u"a+b+a");
  EXPECT_EQ(aba.F->Nodes[1].Operands[1].VarIndex, 1);
  EXPECT_EQ(aba.F->Nodes[2].Operands[2].VarIndex, 1);
  EXPECT_EQ(aba.F->Nodes[2].Operands[2].IsVar, 1);
  TCompiled cosh = Compile(u"cosh(x)");
  EXPECT_EQ(cosh.F->Calls[1].Name, u"cosh");
}

TEST(ParserTest, Refusals) {
  const std::u16string bare = CompileMessage({});
  struct {
    const char16_t* Text;
    std::u16string Message;  // empty: compiles without a message
    int32_t VarMode = 1;
  } cases[] = {
      {u"2*-3", bare},
      {u"*5", bare},
      {u"2^-1", bare},
      {u"2--3", bare},
      {u"2*(-3)", {}},
      {u"(2+3", CompileMessage(kMsgBrackets)},
      {u"2+3)", CompileMessage(kMsgBrackets)},
      {u"((x)", CompileMessage(kMsgBrackets)},
      {u")(", CompileMessage(kMsgBrackets)},
      {u"(x(", CompileMessage(kMsgUnknownChar)},
      {u"(", CompileMessage(kMsgUnknownChar)},
      {u"a#b", CompileMessage(kMsgHash)},
      {u"a$b", CompileMessage(kMsgDollar)},
      {u"a$b#", CompileMessage(kMsgHash)},  // '#' is looked for first
      {u"max(-4;8;2,5)", CompileMessage(kMsgBadNumber)},
      {u"max(5)", CompileMessage(kMsgListFuncNoList)},
      {u"max(5)+min(1;2)", CompileMessage(kMsgListOutsideListFunc)},
      {u"b+a*c", CompileMessage(kMsgBadName), 0},
      {u"b+a*c", CompileMessage(kMsgBadName), 2},
      {u"max(x;2)", {}, 0},  // list elements do not consult VarMode
      {u"x+ 2", CompileMessage(kMsgUnknownChar)},
      {u"у", CompileMessage(kMsgUnknownChar)},
      {u"2x", CompileMessage(kMsgBadNumber)},
      {u"1,2,3", CompileMessage(kMsgBadNumber)},
      {u"max(1;2,2,2)", CompileMessage(kMsgListBadNumber)},
      {u"max(1;_)", CompileMessage(kMsgListBadNumber)},
      {u"max(4;8;2,5)", {}},
      {u"max(1;2;)", {}},  // the piece after the last ';' counts only when not empty
      {u"max(2 ;3)", {}},
      {u"f(x)", {}},
      {u"Pi(2)", {}},
      // Mended: a missing right operand, an empty text, empty brackets.
      {u"2-", bare},
      {u"2*", bare},
      {u"x^", bare},
      {u"", bare},
      {u"sin()", bare},
      {u"max()", bare},
      {u"()", bare},
      {u"Pi()", bare},
      // Chosen: empty list elements are numbers missing.
      {u"max(1;;2)", CompileMessage(kMsgListBadNumber)},
      {u"max(;1)", CompileMessage(kMsgListBadNumber)},
      {u";", CompileMessage(kMsgListBadNumber)},
      // Chosen: a group marker followed by more characters.
      {u"sin(x)y", bare},
      {u"(2)x", bare},
      {u"(1)(2)", bare},
      {u"sin(x)2", bare},
      {u"(2)3", bare},
      {u"(1)+(2)+(3)+(4)+(5)+(6)+(7)+(8)+(9)+(10)+(11)+(12)+sin(x)2", bare},
      // Chosen: a list anywhere but as a list function's argument.
      {u"(1;2)+3", CompileMessage(kMsgListOutsideListFunc)},
      {u"sin(1;2)", CompileMessage(kMsgListOutsideListFunc)},
      {u"Pi(1;2)", CompileMessage(kMsgListOutsideListFunc)},
      {u"1;2", CompileMessage(kMsgListOutsideListFunc)},
      {u"max((1;2);3)", CompileMessage(kMsgListOutsideListFunc)},
      {u"max(((1;2)))", CompileMessage(kMsgListOutsideListFunc)},
      // Chosen: two-argument functions need two elements.
      {u"div(5;)", CompileMessage(kMsgListBadNumber)},
      {u"hypot(5;)", CompileMessage(kMsgListBadNumber)},
      {u"max(5;)", {}},
      // Chosen: a literal beyond the number range is a bad number.
      {u"1E5000", CompileMessage(kMsgBadNumber)},
      {u"max(1E5000;2)", CompileMessage(kMsgListBadNumber)},
      {u"max((1+2);3)", {}},
  };
  for (const auto& c : cases) {
    TCompiled r = Compile(c.Text, c.VarMode);
    if (c.Message.empty()) {
      EXPECT_TRUE(r.Ok) << U8(c.Text);
      EXPECT_TRUE(r.Messages.empty()) << U8(c.Text) << ": " << (r.Messages.empty() ? "" : U8(r.Messages[0]));
      EXPECT_EQ(r.F->ErrorFlag, 0) << U8(c.Text);
    } else {
      EXPECT_FALSE(r.Ok) << U8(c.Text);
      ASSERT_EQ(r.Messages.size(), 1u) << U8(c.Text);
      EXPECT_EQ(r.Messages[0], c.Message) << U8(c.Text);
      EXPECT_EQ(r.F->ErrorFlag, 1) << U8(c.Text);
    }
  }
}

TEST(ParserTest, MessagesUseTheErrorIcon) {
  TMessageRecorder rec;
  TFormula f(u"2+", 0, 1);
  f.Parse(u"2+");
  ASSERT_EQ(rec.Icons.size(), 1u);
  EXPECT_EQ(rec.Icons[0], TMessageIcon::Error);
}

TEST(ParserTest, LongTextsNeedNoMoreRoomThanTheirLength) {
  std::u16string text;
  for (int i = 0; i < 300; ++i) text += u"((x" + std::u16string(i % 7 == 0 ? u"1" : u"") + u")+";
  text += u"1";
  for (int i = 0; i < 300; ++i) text += u")";
  TCompiled r = Compile(text);
  EXPECT_TRUE(r.Ok);
  EXPECT_LE(r.F->NodeCount, r.F->TextLength);
  EXPECT_LE(r.F->GroupCount(), r.F->TextLength);
  EXPECT_EQ(r.F->Nodes.capacity(), static_cast<size_t>(r.F->TextLength) + 1);
}

TEST(ParserTest, LongestTextsCompileInFull) {
  // A formula file holds up to 4 x 32767 characters.
  constexpr size_t kLongest = 4 * 32767;
  std::u16string sum = u"1";
  while (sum.size() + 2 <= kLongest) sum += u"+1";
  TOutcome s = Calc(sum);
  EXPECT_EQ(s.Value, (kLongest + 1) / 2);
  EXPECT_TRUE(s.Messages.empty());

  // Every distinct name is a variable of its own, in the order of use.
  std::u16string names;
  std::vector<std::u16string> expected;
  const std::u16string_view letters = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (size_t i = 0; names.size() + 5 <= kLongest; ++i) {
    std::u16string name{letters[i % 52], letters[i / 52 % 52], letters[i / 2704 % 52]};
    if (!names.empty()) names += i % 2 ? u'+' : u'-';
    names += name;
    expected.push_back(name);
  }
  TCompiled n = Compile(names);
  ASSERT_TRUE(n.Ok);
  ASSERT_EQ(n.F->VarCount, static_cast<int32_t>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(n.F->Vars[i + 1].Name, expected[i]);
  for (int32_t v = 1; v <= n.F->VarCount; ++v) n.F->Vars[v].Value = v;
  n.F->Evaluate(1);
  long double value = 1;  // 1 + 2 - 3 + 4 - 5 ...
  for (size_t i = 1; i < expected.size(); ++i) value += (i % 2 ? 1.0L : -1.0L) * static_cast<long double>(i + 1);
  EXPECT_EQ(n.F->Value, value);

  // Brackets in brackets, each a group of its own.
  const size_t depth = kLongest / 2 - 1;
  std::u16string nested = std::u16string(depth, u'(') + u"x" + std::u16string(depth, u')');
  TCompiled b = Compile(nested);
  ASSERT_TRUE(b.Ok);
  EXPECT_EQ(b.F->GroupCount(), static_cast<int32_t>(depth + 1));
  EXPECT_EQ(b.F->Groups[depth + 1].Text, u"$" + FromUtf8(std::to_string(depth)));
  b.F->Vars[1].Value = 7;
  b.F->Evaluate(1);
  EXPECT_EQ(b.F->Value, 7);

  // One bracket too many at the very end is still found.
  TCompiled open = Compile(u"(" + nested);
  EXPECT_EQ(open.Messages, std::vector<std::u16string>{CompileMessage(kMsgBrackets)});
}

}  // namespace
