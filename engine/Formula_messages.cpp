// The message hook, its guard and the texts of arithmetic faults.
#include "engine/Formula_messages.h"

#include <cstdio>

namespace {

void DefaultHook(TMessageIcon, const std::u16string& text) {
  std::string line = ToUtf8(text);
  for (char& c : line)
    if (c == '\r') c = '\n';  // a lone carriage return would overwrite the line on a terminal
  std::fprintf(stderr, "%s\n", line.c_str());
}

TMessageHook& Hook() {
  static TMessageHook hook = DefaultHook;
  return hook;
}

thread_local TQuietMessages* tQuiet = nullptr;

}  // namespace

TMessageHook SetMessageHook(TMessageHook hook) {
  TMessageHook previous = std::move(Hook());
  Hook() = hook ? std::move(hook) : TMessageHook(DefaultHook);
  return previous;
}

void ShowMessage(TMessageIcon icon, const std::u16string& text) {
  if (tQuiet) {
    ++tQuiet->FCount;
    return;
  }
  Hook()(icon, text);
}

TQuietMessages::TQuietMessages() : FOuter(tQuiet) { tQuiet = this; }
TQuietMessages::~TQuietMessages() { tQuiet = FOuter; }

TMessageGuard::TMessageGuard(TMode mode) : FMode(mode) {
  FPrevious = SetMessageHook([this](TMessageIcon icon, const std::u16string& text) { Show(icon, text); });
}

TMessageGuard::~TMessageGuard() { SetMessageHook(std::move(FPrevious)); }

void TMessageGuard::Show(TMessageIcon icon, const std::u16string& text) {
  if (FMode == TMode::Discard) return;
  if (FMode == TMode::Forward) {
    if (std::this_thread::get_id() != FOwner) throw EMessageElsewhere{};
    FPrevious(icon, text);
    return;
  }
  const std::lock_guard lock(FMutex);
  for (const auto& [i, t] : FMessages)
    if (i == icon && t == text) return;
  FMessages.emplace_back(icon, text);
}

TEngineMessages TMessageGuard::Take() {
  const std::lock_guard lock(FMutex);
  return std::exchange(FMessages, {});
}

const char* EMathError::what() const noexcept {
  switch (FKind) {
    case TKind::InvalidOperation:
      return "Недопустимая операция с плавающей точкой";
    case TKind::DivisionByZero:
      return "Деление на ноль в вычислениях с плавающей точкой";
    case TKind::Overflow:
      return "Переполнение в вычислениях с плавающей точкой";
  }
  return "Ошибка вычислений с плавающей точкой";
}
