#include "platform/EngineMessages.h"

#include "engine/Formula_math.h"
#include "platform/Platform.h"

void ConnectEngineMessages() {
  SetMessageHook([](TMessageIcon icon, const std::u16string& text) {
    const TMessageBoxIcon boxIcon = icon == TMessageIcon::Error         ? TMessageBoxIcon::Error
                                    : icon == TMessageIcon::Information ? TMessageBoxIcon::Information
                                                                        : TMessageBoxIcon::Plain;
    Platform().ShowMessage(boxIcon, QString::fromStdU16String(text));
  });
}
