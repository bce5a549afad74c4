#include "platform/Application.h"
#include "platform/EngineMessages.h"
#include "tests/support/WidgetTest.h"

TScriptedPlatform& TestPlatform() {
  static TScriptedPlatform platform;
  return platform;
}

int main(int argc, char** argv) {
  // Without a display a Qt program aborts; tests never need one.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleMock(&argc, argv);
  TApplication application(argc, argv);
  SetPlatform(&TestPlatform());
  ConnectEngineMessages();
  const int result = RUN_ALL_TESTS();
  SetPlatform(nullptr);
  return result;
}
