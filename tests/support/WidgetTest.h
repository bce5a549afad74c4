// Widget tests: link the library matrikon_testsupport, which brings main().
// main() creates a TApplication on Qt's offscreen platform and installs the
// scripted platform layer, so message boxes, beeps and dialogs are recorded
// and answered from queues instead of waiting for a person.
//
//   class MyWindowTest : public TWidgetTest {};
//   TEST_F(MyWindowTest, Something) {
//     Scripted().SaveFileAnswers.push_back(QStringLiteral("/tmp/x"));
//     ...
//     EXPECT_THAT(Scripted().Lines(), ElementsAre("error: ...", "beep"));
//   }
#pragma once

#include "platform/ScriptedPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// The scripted platform that the test main installed.
TScriptedPlatform& TestPlatform();

// Starts every test with an empty log and empty answer queues.
class TWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override { TestPlatform().Clear(); }
  void TearDown() override { TestPlatform().Clear(); }
  static TScriptedPlatform& Scripted() { return TestPlatform(); }
};
