// Compilation of a formula text by rewriting: bracket groups are cut out
// innermost first, operations are cut out of each group by priority, then
// every operand is classified; at the end the markers are decoded for the
// evaluator.
#include "engine/Formula_internal.h"
#include "engine/Formula_texts.h"

#include <algorithm>
#include <unordered_map>

using namespace FormulaText;

namespace {

bool StartsWith(std::u16string_view s, std::u16string_view head) {
  return s.size() >= head.size() && s.substr(0, head.size()) == head;
}

// A table entry by index, made when it is new (with every entry before it).
template <class T>
T& At(std::vector<T>& table, int32_t i) {
  if (static_cast<size_t>(i) >= table.size()) table.resize(static_cast<size_t>(i) + 1);
  return table[static_cast<size_t>(i)];
}

}  // namespace

bool ReadMarkerNumber(std::u16string_view s, size_t& pos, int32_t& value) {
  size_t start = pos;
  int64_t v = 0;
  while (pos < s.size() && IsDigit(s[pos])) {
    v = v * 10 + (s[pos] - u'0');
    if (v > INT32_MAX) return false;
    ++pos;
  }
  value = static_cast<int32_t>(v);
  return pos > start;
}

void AppendNumber(std::u16string& s, int32_t n) {
  char16_t digits[10];
  int count = 0;
  uint32_t v = static_cast<uint32_t>(n);
  do {
    digits[count++] = static_cast<char16_t>(u'0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (count > 0) s += digits[--count];
}

std::u16string MarkerNumber(int32_t n) {
  std::u16string s;
  AppendNumber(s, n);
  return s;
}

TFormula::TFormula(const std::u16string& Text, double Precision, int32_t VarMode)
    : TextLength(static_cast<int32_t>(std::min<size_t>(Text.size(), INT32_MAX))),
      VarMode(VarMode),
      Precision(Precision) {
  ResetTables(static_cast<size_t>(TextLength));
}

TFormula::~TFormula() = default;

void TFormula::ResetTables(size_t capacity) {
  // Room for index 0, which exists and is never used, and for one entry per
  // character. The room is only reserved: entries are made as the compile
  // fills them, since making every empty entry of a long text would cost
  // more than the whole compile. No entry moves once made.
  const size_t n = capacity + 1;
  auto reset = [n](auto& table) {
    table.clear();
    table.reserve(n);
    table.resize(1);
  };
  reset(Groups);
  reset(Nodes);
  reset(Calls);
  reset(ListItems);
  reset(Vars);
  ListItemCount = NodeCount = VarCount = 0;
  FGroupCount = FCallCount = 0;
  FListSeen = false;
}

bool TFormula::Parse(const std::u16string& Text) {
  ResetTables(std::max(static_cast<size_t>(TextLength), Text.size()));
  const bool compiled = Compile(Text);
  FVarByName = {};
  if (compiled) {
    Decode();
  } else {
    // Half-built tables are not run: their unclassified operands would
    // count as 0 and raise faults on top of the syntax message. With no
    // steps the evaluation computes nothing (see Evaluate).
    FSteps.clear();
    FCallCode.clear();
    FTopIsLastStep = false;
  }
  return ErrorFlag == 0;
}

bool TFormula::CompileError(std::u16string_view detail) {
  std::u16string text(kCompilePrefix);
  if (!detail.empty()) {
    text += u'\r';
    text += detail;
  }
  ErrorFlag = 1;
  ShowMessage(TMessageIcon::Error, text);
  return false;
}

bool TFormula::Compile(const std::u16string& text) {
  // An empty text has nothing to compile: it is an operand missing.
  if (text.empty()) return CompileError({});
  if (text.find(u'#') != std::u16string::npos) return CompileError(kMsgHash);
  if (text.find(u'$') != std::u16string::npos) return CompileError(kMsgDollar);
  if (!CutGroups(text)) return false;
  if (!CutOperations()) return false;

  for (int32_t i = 1; i <= NodeCount; ++i)
    for (int j = 1; j <= 2; ++j)
      if (!ClassifyOperand(Nodes[i].Operands[j])) return false;
  for (int32_t p = 1; p <= ListItemCount; ++p)
    if (!ClassifyListItem(p)) return false;

  // A list that is the whole formula has no function to take it.
  if (ListNodeOf(FGroupCount) != 0) return CompileError(kMsgListOutsideListFunc);
  return true;
}

bool TFormula::CutGroups(const std::u16string& text) {
  // Each ')' closes the innermost group still open, so the groups are cut
  // in the order of their closing brackets, in one pass: open[d] gathers
  // the text of the d-th group still open (open[0] the text outside every
  // bracket), with the markers of the groups already cut in it.
  std::vector<std::u16string> open(1);
  int32_t k = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'(') {
      open.emplace_back();
    } else if (c == u')') {
      if (open.size() == 1) return CompileError(kMsgBrackets);
      // Digits right after a closing bracket would run into the group number
      // of its marker («sin(x)2» reading as group 12): no operand is written so.
      if (i + 1 < text.size() && IsDigit(text[i + 1])) return CompileError({});
      At(Groups, k).Text = std::move(open.back());
      open.pop_back();
      open.back() += u'$';
      AppendNumber(open.back(), k);
      ++k;
    } else {
      open.back() += c;
    }
  }
  // A bracket left open is refused, unless the text ends with a '(' («(x(»
  // is left to the operands to refuse): the rest then is the last group,
  // its open brackets kept.
  if (open.size() > 1 && text.back() != u'(') return CompileError(kMsgBrackets);
  std::u16string& rest = open[0];
  for (size_t d = 1; d < open.size(); ++d) {
    rest += u'(';
    rest += open[d];
  }
  At(Groups, k).Text = std::move(rest);
  FGroupCount = k;
  return true;
}

namespace {

// The priority of an operator character: 1 for '^', 2 for '*' and '/', 3
// for '+' and '-'; 0 for any other character.
int OperatorLevel(char16_t c) {
  switch (c) {
    case u'^': return 1;
    case u'*': case u'/': return 2;
    case u'+': case u'-': return 3;
    default: return 0;
  }
}

// An operand of a group: a stretch of its text between two operators, or
// the marker of the node that took the place of an operation.
struct TToken {
  std::u16string_view Text;
  int32_t Node = 0;
  bool Empty() const { return Node == 0 && Text.empty(); }
};

void AppendToken(std::u16string& s, const TToken& t) {
  if (t.Node == 0) {
    s += t.Text;
  } else {
    s += u'#';
    AppendNumber(s, t.Node);
  }
}

}  // namespace

bool TFormula::CutOperations() {
  // A group is split once into its operands and the operators between them
  // (operator i stands between tokens i and i + 1). Cutting an operation
  // puts its node's marker in the place of its left operand and takes the
  // right one out, so the operators of a level are cut left to right, one
  // level after the other, each with its neighbours at hand: left[i] is the
  // token before operator i, next[i] and prev[i] the operators not yet cut
  // after and before it.
  std::vector<TToken> tokens;
  std::vector<char16_t> ops;
  std::vector<int32_t> left, next, prev;
  for (int32_t g = 1; g <= FGroupCount; ++g) {
    const std::u16string_view w = Groups[g].Text;
    // Empty brackets hold no operand.
    if (w.empty()) return CompileError({});
    tokens.clear();
    ops.clear();
    const size_t operators = static_cast<size_t>(std::count_if(w.begin(), w.end(), OperatorLevel));
    tokens.reserve(operators + 1);
    ops.reserve(operators);
    size_t start = 0;
    for (size_t i = 0; i < w.size(); ++i)
      if (OperatorLevel(w[i]) != 0) {
        tokens.push_back({w.substr(start, i - start)});
        ops.push_back(w[i]);
        start = i + 1;
      }
    tokens.push_back({w.substr(start)});

    if (ops.empty()) {
      if (w.find(u';') != std::u16string_view::npos) {
        // An argument list: every piece before a ';' is an element, the
        // piece after the last one only when it is not empty.
        int32_t first = ListItemCount + 1;
        size_t from = 0;
        for (;;) {
          size_t semi = w.find(u';', from);
          if (semi == std::u16string_view::npos) {
            if (from < w.size()) At(ListItems, ++ListItemCount).Text = w.substr(from);
            break;
          }
          At(ListItems, ++ListItemCount).Text = w.substr(from, semi - from);
          from = semi + 1;
        }
        TDeystv& node = At(Nodes, ++NodeCount);
        node.Text = u"#p";
        AppendNumber(node.Text, first);
        node.Text += u' ';
        AppendNumber(node.Text, ListItemCount);
        node.Op = 0;
        FListSeen = true;
      } else {
        // A single operand («30», «x», «sin$1», «$1»): a pass-through node.
        TDeystv& node = At(Nodes, ++NodeCount);
        node.Text = w;
        node.Operands[1].Text = w;
        node.Operands[2].Text = w;
        node.Op = 0;
      }
      Groups[g].Ref = u"#";
      AppendNumber(Groups[g].Ref, NodeCount);
      continue;
    }

    const int32_t count = static_cast<int32_t>(ops.size());
    left.resize(ops.size());
    next.resize(ops.size());
    prev.resize(ops.size());
    for (int32_t i = 0; i < count; ++i) {
      left[i] = i;
      next[i] = i + 1;
      prev[i] = i - 1;
    }
    for (int level = 1; level <= 3; ++level) {
      for (int32_t i = 0; i < count; ++i) {
        const char16_t op = ops[i];
        if (OperatorLevel(op) != level) continue;
        TToken& a = tokens[left[i]];
        const TToken& b = tokens[i + 1];
        if (a.Empty()) {
          // Nothing before the operator: a leading minus subtracts from 0;
          // an operator after an operator has no left operand.
          if (left[i] != 0 || op != u'-') return CompileError({});
          a.Text = u"0";
        }
        // An operator needs its right operand too («2-» names no number to
        // subtract): refused like a missing left one.
        if (b.Empty()) return CompileError({});

        TDeystv& node = At(Nodes, ++NodeCount);
        AppendToken(node.Operands[1].Text, a);
        AppendToken(node.Operands[2].Text, b);
        node.Text.reserve(node.Operands[1].Text.size() + 1 + node.Operands[2].Text.size());
        node.Text += node.Operands[1].Text;
        node.Text += op;
        node.Text += node.Operands[2].Text;
        node.Op = op;
        a = TToken{{}, NodeCount};
        if (next[i] < count) {
          left[next[i]] = left[i];
          prev[next[i]] = prev[i];
        }
        if (prev[i] >= 0) next[prev[i]] = next[i];
      }
    }
    // Every operation is cut: the group is the node of the last one.
    Groups[g].Ref = u"#";
    AppendNumber(Groups[g].Ref, tokens[0].Node);
  }
  return true;
}

// The group number after the '$' at t[dollar]; false when the marker is not
// all that follows (a group followed by more characters, as in «(2)x»).
bool TFormula::GroupMarker(const std::u16string& t, size_t dollar, int32_t& group) {
  size_t pos = dollar + 1;
  if (!ReadMarkerNumber(t, pos, group) || pos != t.size() || group < 1 || group > FGroupCount)
    return CompileError({});
  return true;
}

// The list node a group stands for, or 0 when the group is no list.
int32_t TFormula::ListNodeOf(int32_t group) const {
  const std::u16string& ref = Groups[group].Ref;
  size_t pos = 1;
  int32_t j = 0;
  if (StartsWith(ref, u"#") && ReadMarkerNumber(ref, pos, j) && j >= 1 && j <= NodeCount &&
      StartsWith(Nodes[j].Text, u"#p"))
    return j;
  return 0;
}

int32_t TFormula::AddCall(const std::u16string& name, const std::u16string& arg) {
  TFunc& call = At(Calls, ++FCallCount);
  call.Name = name;
  call.Arg = arg;
  return FCallCount;
}

bool TFormula::CallsRandom() const {
  for (size_t h = 1; h <= static_cast<size_t>(std::max(FCallCount, 0)) && h < Calls.size(); ++h)
    if (FuncIdOf(Calls[h].Name) == TFuncId::Random) return true;
  return false;
}

bool TFormula::ClassifyOperand(TSlog& operand) {
  const std::u16string t = operand.Text;
  if (t.empty()) return true;
  const char16_t c = t[0];
  if (IsLetter(c)) return ClassifyName(operand);
  if (IsDigit(c)) {
    long double v = 0;
    if (!TryTextToFloat(DotToComma(t), v)) return CompileError(kMsgBadNumber);
    operand.Value = v;
    return true;
  }
  if (c == u'$') {
    int32_t k = 0;
    if (!GroupMarker(t, 0, k)) return false;
    if (ListNodeOf(k) != 0) return CompileError(kMsgListOutsideListFunc);
    operand.Text = Groups[k].Ref;
    return true;
  }
  if (c == u'#') return true;
  return CompileError(kMsgUnknownChar);
}

bool TFormula::ClassifyName(TSlog& operand) {
  const std::u16string t = operand.Text;
  if (const TFuncEntry* f = FuncEntryOf(t); f && f->Kind == TFuncKind::Constant) {
    operand.Text = u"#f" + MarkerNumber(AddCall(t, {}));
    return true;
  }
  // A function name is recognised only right before a group marker; no
  // name holds a '$', so only the first one can end it.
  size_t dollar = t.find(u'$');
  if (dollar != std::u16string::npos) {
    const std::u16string prefix = t.substr(0, dollar);
    if (std::find(FuncNames.begin(), FuncNames.end(), prefix) != FuncNames.end()) {
      int32_t k = 0;
      if (!GroupMarker(t, dollar, k)) return false;
      if (ListNodeOf(k) != 0) return CompileError(kMsgListOutsideListFunc);
      operand.Text = u"#f" + MarkerNumber(AddCall(prefix, Groups[k].Ref));
      return true;
    }
    if (std::find(ListFuncNames.begin(), ListFuncNames.end(), prefix) != ListFuncNames.end()) {
      int32_t k = 0;
      if (!GroupMarker(t, dollar, k)) return false;
      if (!FListSeen) return CompileError(kMsgListFuncNoList);
      int32_t j = ListNodeOf(k);
      if (j == 0) return CompileError(kMsgListOutsideListFunc);
      // Two-argument functions need two elements («div(5;)» has one).
      const std::u16string& list = Nodes[j].Text;
      size_t pos = 2;
      int32_t a = 0, b = 0;
      ReadMarkerNumber(list, pos, a);
      ++pos;
      ReadMarkerNumber(list, pos, b);
      if (UsesTwoItems(FuncIdOf(prefix)) && b - a + 1 < 2) return CompileError(kMsgListBadNumber);
      operand.Text = u"#f" + MarkerNumber(AddCall(prefix, list));
      return true;
    }
  }
  if (VarMode != 1) return CompileError(kMsgBadName);
  // Operands come before list elements, so every name here is new or the
  // first entry of its name.
  auto [entry, added] = FVarByName.try_emplace(t, VarCount + 1);
  if (added) At(Vars, ++VarCount).Name = t;
  operand.IsVar = 1;
  operand.VarIndex = entry->second;
  return true;
}

bool TFormula::ClassifyListItem(int32_t p) {
  TMnog& item = ListItems[p];
  const std::u16string& t = item.Text;
  if (!t.empty() && t[0] == u'$') {
    // A bracketed element takes its group's value when the call is made.
    int32_t k = 0;
    if (!GroupMarker(t, 0, k)) return false;
    if (ListNodeOf(k) != 0) return CompileError(kMsgListOutsideListFunc);
    return true;
  }
  if (!t.empty() && IsLetter(t[0])) {
    At(Vars, ++VarCount).Name = t;
    return true;
  }
  // Also an empty element («max(1;;2)»): no number where one is due.
  long double v = 0;
  if (!TryTextToFloat(DotToComma(t), v)) return CompileError(kMsgListBadNumber);
  item.Value = v;
  return true;
}

void TFormula::DecodeOperand(const TSlog& operand, TOperandCode& code) {
  const std::u16string& t = operand.Text;
  int32_t n = 0, h = 0;
  size_t pos = 2;
  code = TOperandCode{};
  if (StartsWith(t, u"#f") && ReadMarkerNumber(t, pos, h) && pos == t.size() && h >= 1 &&
      h <= FCallCount) {
    code.Kind = TOperandCode::Call;
    code.CallIndex = h;
  } else if ((n = NodeOf(t)) != 0) {
    code.Kind = TOperandCode::Value;
    code.Src = &Nodes[n].Result;
    code.Node = n;
  } else if (operand.IsVar == 1 && operand.VarIndex >= 1 && operand.VarIndex <= VarCount) {
    code.Kind = TOperandCode::Value;
    code.Plain = true;
    code.Src = &Vars[operand.VarIndex].Value;
  } else {
    // A number (or an operand never classified, which is 0). Most numbers
    // in formulas are doubles exactly, and load faster so.
    code.Plain = true;
    code.Src = &operand.Value;
    code.Kind = static_cast<long double>(static_cast<double>(operand.Value)) == operand.Value
                    ? TOperandCode::Const
                    : TOperandCode::Value;
    code.D = static_cast<double>(operand.Value);
  }
}

int32_t TFormula::NodeOf(std::u16string_view text) const {
  size_t pos = 1;
  int32_t n = 0;
  if (StartsWith(text, u"#") && ReadMarkerNumber(text, pos, n) && pos == text.size() && n >= 1 &&
      n <= NodeCount)
    return n;
  return 0;
}

// The code of a step without calls: one of the fast codes when its shape
// has one, else General.
uint8_t TFormula::StepCodeOf(char16_t op, const TOperandCode& a, const TOperandCode& b) {
  const bool constB = b.Kind == TOperandCode::Const;
  switch (op) {
    case u'+': return FastCode(TFastOp::Add, a.Kind, b.Kind);
    case u'-': return FastCode(TFastOp::Sub, a.Kind, b.Kind);
    case u'*': return FastCode(TFastOp::Mul, a.Kind, b.Kind);
    case u'/': return constB && b.D != 0 ? FastCode(TFastOp::DivByConst, a.Kind, 0) : kGeneralStep;
    case u'^': return constB && b.D == 2 ? FastCode(TFastOp::Square, a.Kind, 0) : kGeneralStep;
    case 0: return FastCode(TFastOp::Pass, 0, b.Kind);
    default: return kGeneralStep;
  }
}

// The code of a step with calls: kCallStep for the shapes it takes.
uint8_t TFormula::CallStepCodeOf(const TStepCode& s) {
  const bool callA = s.A.Kind == TOperandCode::Call, callB = s.B.Kind == TOperandCode::Call;
  if (s.Op == 0 && callA && s.SameCall) return kCallStep;
  if ((s.Op == u'+' || s.Op == u'-' || s.Op == u'*') && callA != callB) return kCallStep;
  return kGeneralStep;
}

void TFormula::Decode() {
  const size_t nodes = static_cast<size_t>(NodeCount) + 1;
  // Node i's operands are decoded into FSteps[i - 1], and the steps are
  // made in place from them at the end: no second table of operands.
  FSteps.assign(static_cast<size_t>(NodeCount), TStepCode{});
  auto operands = [this](int32_t i) -> std::array<TOperandCode*, 2> {
    TStepCode& s = FSteps[static_cast<size_t>(i) - 1];
    return {&s.A, &s.B};
  };
  FCallCode.assign(static_cast<size_t>(FCallCount) + 1, TCallCode{});
  FItemSrc.assign(static_cast<size_t>(ListItemCount) + 1, nullptr);
  FArgSlots.assign(nodes, TArgSlot{});

  // The operands of every node that is computed (both operand texts present).
  std::vector<bool> computed(nodes, false);
  // Nodes read as an operand or a list item; the first node that makes each call.
  std::vector<bool> readAsOperand(nodes, false);
  std::vector<int32_t> caller(static_cast<size_t>(FCallCount) + 1, 0);
  for (int32_t i = 1; i <= NodeCount; ++i) {
    const TDeystv& node = Nodes[i];
    if (node.Operands[1].Text.empty() || node.Operands[2].Text.empty()) continue;
    computed[i] = true;
    for (int j = 0; j < 2; ++j) {
      TOperandCode& code = *operands(i)[j];
      DecodeOperand(node.Operands[j + 1], code);
      if (code.Kind == TOperandCode::Call && caller[code.CallIndex] == 0) caller[code.CallIndex] = i;
      if (code.Node != 0) readAsOperand[code.Node] = true;
    }
  }

  // List elements: a variable (the last one of its name), a bracketed
  // group, or the element's own number.
  std::vector<bool> readFromMemory(nodes, false);
  std::unordered_map<std::u16string_view, int32_t> lastOfName;
  if (ListItemCount > 0)
    for (int32_t v = 1; v <= VarCount; ++v) lastOfName[Vars[v].Name] = v;
  for (int32_t p = 1; p <= ListItemCount; ++p) {
    TMnog& item = ListItems[p];
    const std::u16string& t = item.Text;
    FItemSrc[p] = &item.Value;
    if (!t.empty() && IsLetter(t[0])) {
      if (auto v = lastOfName.find(t); v != lastOfName.end()) FItemSrc[p] = &Vars[v->second].Value;
    } else if (!t.empty() && t[0] == u'$') {
      size_t pos = 1;
      int32_t k = 0;
      if (ReadMarkerNumber(t, pos, k) && pos == t.size() && k >= 1 && k <= FGroupCount)
        if (int32_t n = NodeOf(Groups[k].Ref)) {
          FItemSrc[p] = &Nodes[n].Result;
          readFromMemory[n] = readAsOperand[n] = true;
        }
    }
  }

  // Call arguments. A node that only passes a variable or a number through
  // («sin(x)») and is read by nothing but calls made after it is left out:
  // those calls read the variable or number themselves.
  std::vector<int32_t> argNode(static_cast<size_t>(FCallCount) + 1, 0);
  std::vector<bool> passOnly(nodes, false);
  for (int32_t n = 1; n < NodeCount; ++n)
    passOnly[n] = computed[n] && !readAsOperand[n] && Nodes[n].Op == 0 &&
                  operands(n)[0]->Kind != TOperandCode::Call && operands(n)[1]->Plain;
  for (int32_t h = 1; h <= FCallCount; ++h) {
    const std::u16string& arg = Calls[h].Arg;
    const TFuncEntry* f = FuncEntryOf(Calls[h].Name);
    argNode[h] = f && f->Kind == TFuncKind::Constant ? 0 : NodeOf(arg);
    if (argNode[h] != 0 && caller[h] != 0 && caller[h] <= argNode[h]) passOnly[argNode[h]] = false;
  }
  std::vector<bool> readByCall(nodes, false);
  for (int32_t h = 1; h <= FCallCount; ++h) {
    TCallCode& code = FCallCode[h];
    const TFuncEntry* f = FuncEntryOf(Calls[h].Name);
    code.Id = f ? f->Id : TFuncId::None;
    code.Function = FunctionOf(code.Id);
    code.ListFunction = ListFunctionOf(code.Id);
    const std::u16string& arg = Calls[h].Arg;
    if (f && f->Kind == TFuncKind::Constant) continue;
    if (int32_t n = argNode[h]) {
      if (passOnly[n]) {
        code.ArgKind = TCallCode::Value;
        code.Arg = operands(n)[1]->Src;
      } else if (computed[n]) {
        code.ArgKind = TCallCode::Slot;
        code.ArgSlot = &FArgSlots[n];
        readByCall[n] = true;
      } else {
        code.ArgKind = TCallCode::Value;
        code.Arg = &Nodes[n].Result;
      }
    } else if (StartsWith(arg, u"#p")) {
      size_t pos = 2;
      int32_t a = 0, b = 0;
      if (ReadMarkerNumber(arg, pos, a) && pos < arg.size() && arg[pos] == u' ' &&
          ReadMarkerNumber(arg, ++pos, b) && a >= 1 && b >= a && b <= ListItemCount) {
        code.ArgKind = TCallCode::List;
        code.First = a;
        code.Count = b - a + 1;
      }
    }
  }

  // The steps, each written over the operands of a node already read.
  size_t made = 0;
  for (int32_t i = 1; i <= NodeCount; ++i) {
    if (!computed[i] || passOnly[i]) continue;
    TStepCode step;
    step.Op = Nodes[i].Op;
    step.Result = &Nodes[i].Result;
    step.Node = i;
    step.A = *operands(i)[0];
    step.B = *operands(i)[1];
    const bool hasCall = step.A.Kind == TOperandCode::Call || step.B.Kind == TOperandCode::Call;
    for (TOperandCode* code : {&step.A, &step.B}) {
      if (code->Node != 0 && made > 0 && FSteps[made - 1].Node == code->Node)
        code->Kind = TOperandCode::Prev;
      else if (code->Node != 0)
        readFromMemory[code->Node] = true;
    }
    // A pass-through node of a call («sin$1») calls it once per operand.
    // Every function but random gives the same value, with no other effect,
    // for the same argument, so the second call is left out.
    if (step.A.Kind == TOperandCode::Call && step.B.Kind == TOperandCode::Call) {
      const TFunc& a = Calls[step.A.CallIndex];
      const TFunc& b = Calls[step.B.CallIndex];
      step.SameCall = a.Name == b.Name && a.Arg == b.Arg && a.Name != u"random";
    }
    step.Code = hasCall ? CallStepCodeOf(step) : StepCodeOf(step.Op, step.A, step.B);
    if (step.Code == kCallStep) {
      const TCallCode& call = FCallCode[step.OneCall()];
      if ((call.Id == TFuncId::Abs || call.Id == TFuncId::Sqrt) &&
          (call.ArgKind == TCallCode::Slot || call.ArgKind == TCallCode::Value))
        step.Code = kSmallCallStep;
      else if (step.A.Kind == TOperandCode::Prev || step.B.Kind == TOperandCode::Prev)
        step.Code = kCallPrevStep;
    }
    if (step.Code == kGeneralStep &&
        (step.A.Kind == TOperandCode::Prev || step.B.Kind == TOperandCode::Prev))
      step.Code = kGeneralPrevStep;
    if (readByCall[i]) step.Slot = &FArgSlots[i];
    FSteps[made++] = step;
  }
  FSteps.resize(made);
  FTopIsLastStep = !FSteps.empty() && FSteps.back().Node == NodeCount;

  // A '/' node keeps its Result across a zero divisor (a constant divisor
  // is never zero); other nodes' values go to memory only when a later
  // reader takes them from there.
  for (TStepCode& step : FSteps)
    step.Store = (step.Op == u'/' && step.Code < kFirstFastStep) || readFromMemory[step.Node];
  Fuse();
}

// Gives a product and the sum or difference made of it next one code, when
// the product goes nowhere else (see FusedCode).
void TFormula::Fuse() {
  using O = TOperandCode;
  for (size_t i = 0; i + 1 < FSteps.size(); ++i) {
    TStepCode& first = FSteps[i];
    const TStepCode& second = FSteps[i + 1];
    if (first.Store || first.Slot) continue;
    const bool valueFirst = first.Code == FastCode(TFastOp::Mul, O::Value, O::Const);
    if (!valueFirst && first.Code != FastCode(TFastOp::Mul, O::Const, O::Value)) continue;
    bool fused = false;
    for (TFastOp op : {TFastOp::Add, TFastOp::Sub})
      for (bool prevFirst : {true, false})
        if (second.Code == (prevFirst ? FastCode(op, O::Prev, O::Const) : FastCode(op, O::Const, O::Prev))) {
          first.Code = FusedCode(valueFirst, op, prevFirst);
          fused = true;
        }
    if (fused) ++i;  // the second step is taken
  }
}

std::vector<std::u16string> VariableNames(const TFormula& formula, const std::u16string& text) {
  auto holds = [](const std::vector<std::u16string>& list, const std::u16string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  std::vector<std::u16string> names;
  for (int32_t v = 1; v <= formula.VarCount; ++v)
    if (!holds(names, formula.Vars[static_cast<size_t>(v)].Name)) names.push_back(formula.Vars[static_cast<size_t>(v)].Name);
  std::vector<std::u16string> ordered;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && std::u16string_view(u"+-*/^();").find(text[i]) == std::u16string_view::npos) continue;
    const std::u16string operand = text.substr(start, i - start);
    if (holds(names, operand) && !holds(ordered, operand)) ordered.push_back(operand);
    start = i + 1;
  }
  for (const std::u16string& name : names)
    if (!holds(ordered, name)) ordered.push_back(name);
  return ordered;
}
