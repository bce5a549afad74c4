// The formula engine: one line of formula text compiled into a flat table of
// operation nodes, evaluated as often as the caller likes.
//
// Texts are UTF-16 (one char16_t per position); tables are 1-based, entry 0
// exists and is never used. Each table has room (capacity) for one entry
// per character of the text; entries are made as the compile fills them,
// so entries past the counts need not exist. Numbers are computed in long
// double (the x87 80-bit format). Formula errors are shown through the
// message hook and recorded in ErrorFlag; arithmetic faults leave Evaluate
// as EMathError.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// ---------------------------------------------------------------------------
// Messages. The engine shows its errors itself through one replaceable hook:
// the windows connect a modal message box, tests connect a recorder. The
// default hook writes the text to stderr in UTF-8.
enum class TMessageIcon { Plain, Error, Information };
using TMessageHook = std::function<void(TMessageIcon, const std::u16string&)>;

// Installs hook (an empty one restores the default) and returns the previous one.
TMessageHook SetMessageHook(TMessageHook hook);
// Shows text through the current hook.
void ShowMessage(TMessageIcon icon, const std::u16string& text);

// While one lives, the messages shown on its thread reach no hook: they are
// only counted. For values computed where nobody asked for a message (a
// readout under the mouse); other threads show theirs as ever.
class TQuietMessages {
public:
  TQuietMessages();
  ~TQuietMessages();
  TQuietMessages(const TQuietMessages&) = delete;
  TQuietMessages& operator=(const TQuietMessages&) = delete;
  int Count() const { return FCount; }

private:
  friend void ShowMessage(TMessageIcon, const std::u16string&);
  TQuietMessages* FOuter;
  int FCount = 0;
};

// ---------------------------------------------------------------------------
// Arithmetic faults (invalid operation, division by zero, overflow) abandon an
// evaluation and reach the caller as this exception.
class EMathError : public std::exception {
public:
  enum class TKind { InvalidOperation, DivisionByZero, Overflow };
  explicit EMathError(TKind kind) noexcept : FKind(kind) {}
  TKind Kind() const noexcept { return FKind; }
  const char* what() const noexcept override;  // readable UTF-8 text

private:
  TKind FKind;
};

// A malformed number text handed to StrToFloat.
class EConvertError : public std::exception {
public:
  explicit EConvertError(std::string text) : FText(std::move(text)) {}
  const char* what() const noexcept override { return FText.c_str(); }

private:
  std::string FText;
};

// ---------------------------------------------------------------------------
// Character and number texts.
bool IsLetter(char16_t c);  // 'a'-'z', 'A'-'Z', U+00C0-U+00FF
bool IsDigit(char16_t c);   // '0'-'9'
std::u16string DotToComma(const std::u16string& s);

// Number syntax: optional blanks, an optional sign, digits with at most one
// decimal comma (at least one digit), an optional exponent (E or e, optional
// sign, digits), optional blanks. A '.' is not accepted here (see DotToComma).
// False for malformed text and for a magnitude beyond the long double range;
// values too small for it become 0 or a subnormal, silently.
bool TryTextToFloat(const std::u16string& s, long double& value);
// The number test of formulas and input fields: DotToComma(s) is well formed.
// A well-formed text out of range still counts as a number.
bool IsNumber(const std::u16string& s);
// TryTextToFloat that throws EConvertError with a readable text instead.
long double StrToFloat(const std::u16string& s);

// The general number format: up to 15 significant digits, decimal comma, no
// trailing zeros; exponent form («1E20», «1,5E-6») below 0,00001 and from
// 10^15 on. Zero is «0»; NaN is «NAN», infinities «INF» and «-INF».
std::u16string FormatGeneral(long double v);
// The same text for a double in ASCII, written to out (room for 32
// characters), and many times faster: for tables of millions of numbers.
// Returns the length.
size_t FormatGeneralAscii(double v, char* out);

// Rounds x to n decimals by its text in the general format: the n-th decimal
// is rounded by the two digits after it, ties to even. Zero, negative values
// and texts with at most n decimals are returned unchanged.
double RoundToDigits(int32_t n, double x);

// The longest formula, in UTF-16 code units: what a formula file and the
// formula fields hold, and what the console front end accepts. A longer one
// is refused, never cut.
inline constexpr int32_t MaxFormulaLength = 4 * 32767;

// UTF-8 <-> UTF-16 for the console and the default hook (invalid input
// becomes U+FFFD).
std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);

// The process-wide generator of `random`, seeded once at start from a clock.
void SetRandomSeed(uint32_t seed);
uint32_t RandomSeed();

// ---------------------------------------------------------------------------
// The records of a compiled formula.

// One bracket group.
struct TStr {
  std::u16string Text;  // text between the brackets, inner groups replaced by "$k"
  std::u16string Ref;   // "#n": node n holds the group's value
};

// One operand of a node.
struct TSlog {
  std::u16string Text;  // "#n", "#fh", a number text or a variable name; empty when missing
  uint8_t IsVar = 0;
  int32_t VarIndex = 0;
  long double Value = 0;  // the number; a variable is read from Vars by the evaluation
};

// The two operands of a node: [1] left, [2] right. Only these two are
// stored: a formula has as many nodes as operators.
struct TOperandPair {
  TSlog& operator[](size_t j) { return Items[j - 1]; }
  const TSlog& operator[](size_t j) const { return Items[j - 1]; }
  std::array<TSlog, 2> Items{};
};

// One operation node.
struct TDeystv {
  std::u16string Text;       // the text it was cut from, or "#pa b" for a list
  TOperandPair Operands{};   // [1] left, [2] right
  char16_t Op = 0;                  // '^', '*', '/', '+', '-', or 0 for a pass-through node
  // The node's value, written where the evaluation reads it back (a value
  // handed straight to the next node stays in a register; see TStepCode).
  long double Result = 0;
};

// One variable.
struct TPer {
  std::u16string Name;
  long double Value = 0;
};

// One function call.
struct TFunc {
  std::u16string Name;
  std::u16string Arg;  // "#n", "#pa b", or empty for Pi
  long double Value = 0;  // not written by Evaluate: a call's value goes straight to its node
};

// One element of an argument list.
struct TMnog {
  std::u16string Text;  // number text, variable name or group marker "$k"
  long double Value = 0;  // the number; variables and groups are read where they are
};

enum class TDomainError : uint8_t;  // a refused function argument (Formula_functions.h)
struct TCallMemo;                   // a call's values remembered by EvaluatePoints (Formula_internal.h)

// Why a point of TFormula::EvaluatePoints has no value.
enum class TPointFault : uint8_t {
  None,              // the point has its value
  Refused,           // a function refused its argument unseen: the value is NaN
  Reported,          // an error was shown: a refusal in a first evaluation, a division by zero
  InvalidOperation,  // the arithmetic faults (EMathError) by their kind
  DivisionByZero,
  Overflow,
};

// One compiled formula: create with its text, Parse once, then write the
// variables' values and Evaluate as often as needed. Not copyable: the
// compiled form points into its own tables.
class TFormula {
public:
  TFormula(const std::u16string& Text, double Precision, int32_t VarMode);
  TFormula(const TFormula&) = delete;
  TFormula& operator=(const TFormula&) = delete;
  ~TFormula();

  // Compiles Text (the text given to the constructor). On an error the
  // message has been shown, ErrorFlag is 1 and the result is false.
  bool Parse(const std::u16string& Text);

  // Computes Value and ResultText from the current Vars values. Mode 1 shows
  // every domain error of the functions, mode 2 only those of the object's
  // first evaluation, other modes none. Throws EMathError on an arithmetic
  // fault, leaving Value, ResultText, ErrorFlag and EvalCount as they were.
  // After a failed Parse it computes nothing and shows nothing: Value 0, an
  // empty ResultText, and EvalCount counts the call.
  void Evaluate(int32_t Mode);

  // Evaluate(Mode) at Count points in turn, with the same values, messages
  // and changes of EvalCount, ErrorFlag and Value as one call per point.
  // X[i] goes into every variable named as the first one, Y[i] (Y may be
  // null) into every variable of the second name; others keep their values.
  // Values[i] gets the point's value, or a quiet NaN where it has none, and
  // Faults[i] why it has none. An arithmetic fault ends only its own point.
  // Only the numbers are made: ResultText is left empty. Once *Stop (when
  // given) is true, no further point is made: returns how many were.
  size_t EvaluatePoints(int32_t Mode, const long double* X, const long double* Y, size_t Count,
                        long double* Values, TPointFault* Faults, const std::atomic<bool>* Stop = nullptr);

  std::vector<TStr> Groups;
  std::vector<TDeystv> Nodes;
  std::vector<TFunc> Calls;
  std::vector<TMnog> ListItems;
  int32_t ListItemCount = 0;
  int32_t NodeCount = 0;
  int32_t TextLength = 0;
  uint8_t ErrorFlag = 0;  // 1 after any reported error; never reset
  int32_t VarMode = 1;    // 1: unknown names become variables
  int32_t EvalCount = 1;  // grows by one per evaluation (stops at INT32_MAX)
  int32_t VarCount = 0;
  std::vector<TPer> Vars;
  long double Value = 0;
  std::u16string ResultText;
  double Precision = 0;  // rounding step of the result; <= 0: no rounding

  // When true, Evaluate computes Value only and leaves ResultText empty.
  // For callers that read just the number at many points (a plot): making
  // the text costs far more than the evaluation itself.
  bool NumericOnly = false;

  int32_t CallCount() const { return FCallCount; }
  // Whether the compiled formula calls random, which draws from one sequence
  // for the whole program in the order of the evaluations: such a formula is
  // to be evaluated in order on one thread.
  bool CallsRandom() const;
  int32_t GroupCount() const { return FGroupCount; }

private:
  struct TArgSlot;
  struct TOperandCode;
  struct TStepCode;
  struct TCallCode;

  // Compilation.
  void ResetTables(size_t capacity);
  bool Compile(const std::u16string& text);
  bool CutGroups(const std::u16string& text);
  bool CutOperations();
  bool ClassifyOperand(TSlog& operand);
  bool ClassifyName(TSlog& operand);
  bool ClassifyListItem(int32_t p);
  bool CompileError(std::u16string_view detail);
  bool GroupMarker(const std::u16string& t, size_t dollar, int32_t& group);
  int32_t ListNodeOf(int32_t group) const;
  int32_t AddCall(const std::u16string& name, const std::u16string& arg);
  void Decode();
  void DecodeOperand(const TSlog& operand, TOperandCode& code);
  int32_t NodeOf(std::u16string_view text) const;
  static uint8_t StepCodeOf(char16_t op, const TOperandCode& a, const TOperandCode& b);
  static uint8_t CallStepCodeOf(const TStepCode& s);
  void Fuse();

  // Evaluation.
  long double CallValue(int32_t h, int32_t mode);
  [[gnu::noinline]] long double CallValueOf(int32_t h, int32_t mode);
  long double WithCall(const TStepCode& s, long double c, long double prev);
  [[gnu::noinline]] long double OtherStep(const TStepCode& s, int32_t mode, const long double* prev);
  [[gnu::cold, gnu::noinline]] void DomainError(TDomainError error, double x, int32_t mode);
  [[gnu::cold, gnu::noinline]] long double ZeroDivisor(const TStepCode& s, long double a);
  [[gnu::cold, gnu::noinline]] long double FusedProductFault(const TStepCode& s, long double r);
  [[gnu::cold, gnu::noinline]] long double OperatorFault(const TStepCode& s, long double a, long double b,
                                              long double r);
  static void SetResult(const TStepCode& s, long double v);

  int32_t FGroupCount = 0;
  int32_t FCallCount = 0;
  bool FListSeen = false;
  std::unordered_map<std::u16string, int32_t> FVarByName;  // while operands are classified

  std::vector<TStepCode> FSteps;
  std::vector<TCallCode> FCallCode;  // 1-based like Calls
  std::vector<const long double*> FItemSrc;  // where each list item's value is read
  std::vector<TArgSlot> FArgSlots;  // by node, for the nodes that calls take as argument
  std::vector<TCallMemo> FMemos;  // 1-based like Calls, for EvaluatePoints
  bool FTopIsLastStep = false;
  long double FPrev = 0;  // the value at hand, for a general step that reads it  // the last step computes node NodeCount
};

// The distinct names of a parsed formula's variables in the order the text
// first shows them, as the user reads the formula: the engine lists them as it
// cuts the formula up («x-y*2» gives y first). A name the text does not hold
// as written (one before a bracket, «f(x)») comes after them, in the engine's
// order.
std::vector<std::u16string> VariableNames(const TFormula& formula, const std::u16string& text);
