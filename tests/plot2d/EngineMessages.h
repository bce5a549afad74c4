// Collects what the formula engine shows while the object lives (the plot
// tests run the engine without a window).
#pragma once

#include "engine/Formula_math.h"

#include <string>
#include <vector>

class TEngineMessages {
 public:
  TEngineMessages()
      : Previous(SetMessageHook([this](TMessageIcon, const std::u16string& text) { Texts.push_back(ToUtf8(text)); })) {}
  ~TEngineMessages() { SetMessageHook(Previous); }
  TEngineMessages(const TEngineMessages&) = delete;
  TEngineMessages& operator=(const TEngineMessages&) = delete;
  std::vector<std::string> Texts;

 private:
  TMessageHook Previous;
};
