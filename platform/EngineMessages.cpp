#include "EngineMessages.h"

#include "Formula_math.h"
#include "Platform.h"

void ConnectEngineMessages() {
  SetMessageHook([](TMessageIcon icon, const std::u16string& text) {
    const TMessageBoxIcon boxIcon = icon == TMessageIcon::Error         ? TMessageBoxIcon::Error
                                    : icon == TMessageIcon::Information ? TMessageBoxIcon::Information
                                                                        : TMessageBoxIcon::Plain;
    Platform().ShowMessage(boxIcon, QString::fromStdU16String(text));
  });
}
