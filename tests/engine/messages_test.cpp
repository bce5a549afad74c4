// The guard over the message hook, as the samplers use it on several threads,
// and the compiled formula's "calls random" query that keeps them on one.
#include "engine/Formula_messages.h"
#include "tests/engine/Engine_test_util.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

TEST(MessageGuardTest, CollectKeepsEachMessageOnceFromEveryThreadAndShowsNothing) {
  TMessageRecorder shown;
  {
    TMessageGuard guard(TMessageGuard::TMode::Collect);
    ShowMessage(TMessageIcon::Error, u"первое");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([] {
        for (int k = 0; k < 200; ++k) {
          ShowMessage(TMessageIcon::Error, u"первое");
          ShowMessage(TMessageIcon::Plain, u"второе");
          ShowMessage(TMessageIcon::Error, u"второе");  // another icon: another message
        }
      });
    for (std::thread& t : threads) t.join();
    const TEngineMessages messages = guard.Take();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], std::make_pair(TMessageIcon::Error, std::u16string(u"первое")));
    EXPECT_NE(std::find(messages.begin(), messages.end(), std::make_pair(TMessageIcon::Plain, std::u16string(u"второе"))),
              messages.end());
    EXPECT_TRUE(shown.Texts.empty());
  }
  ShowMessage(TMessageIcon::Plain, u"после");
  EXPECT_EQ(shown.Texts, std::vector<std::u16string>({u"после"}));
}

TEST(MessageGuardTest, ForwardShowsTheOwnThreadsMessagesAndStopsOtherThreads) {
  TMessageRecorder shown;
  {
    TMessageGuard guard(TMessageGuard::TMode::Forward);
    ShowMessage(TMessageIcon::Error, u"a");
    // A refusal on a helper thread leaves the evaluation there, unseen.
    std::atomic<bool> stopped = false;
    std::thread helper([&stopped] {
      TFormula f(u"sqrt(x)", 0, 1);
      f.Parse(u"sqrt(x)");
      f.Vars[1].Value = -1;
      try {
        f.Evaluate(1);
      } catch (const EMessageElsewhere&) {
        stopped = true;
      }
    });
    helper.join();
    EXPECT_TRUE(stopped);
    ShowMessage(TMessageIcon::Plain, u"b");
    EXPECT_EQ(guard.Take(), TEngineMessages());
  }
  ShowMessage(TMessageIcon::Plain, u"c");
  EXPECT_EQ(shown.Texts, std::vector<std::u16string>({u"a", u"b", u"c"}));
}

TEST(MessageGuardTest, DiscardShowsAndKeepsNothingAndNestsWithTheOthers) {
  TMessageRecorder shown;
  {
    TMessageGuard collect(TMessageGuard::TMode::Collect);
    {
      TMessageGuard quiet(TMessageGuard::TMode::Discard);
      ShowMessage(TMessageIcon::Error, u"тихо");
      EXPECT_TRUE(quiet.Take().empty());
    }
    ShowMessage(TMessageIcon::Error, u"собрано");
    EXPECT_EQ(collect.Take(), TEngineMessages({{TMessageIcon::Error, u"собрано"}}));
  }
  EXPECT_TRUE(shown.Texts.empty());
}

TEST(CallsRandomTest, OnlyACallOfRandomCounts) {
  struct {
    const char16_t* Text;
    bool Calls;
  } cases[] = {
      {u"random(6)", true}, {u"2*(1+random(x))", true}, {u"max(1;(random(3));2)", true},
      {u"x+1", false},      {u"random", false},         {u"randomx+1", false},
      {u"Random(3)", false}, {u"sin(x)*cos(y)", false},
      // A call written straight into a list is a variable of that name.
      {u"max(1;random(3);2)", false},
  };
  for (const auto& c : cases) {
    TFormula f(c.Text, 0, 1);
    ASSERT_TRUE(f.Parse(c.Text)) << ToUtf8(c.Text);
    EXPECT_EQ(f.CallsRandom(), c.Calls) << ToUtf8(c.Text);
  }
  // Formulas that failed to compile midway through their calls: the query
  // reads no call beyond the tables (the sanitized run would see it).
  TMessageRecorder shown;
  for (const char16_t* text : {u"random(2)+(", u"random(2)+cos(#)", u"random(2)+max(3)"}) {
    TFormula broken(text, 0, 1);
    EXPECT_FALSE(broken.Parse(text));
    (void)broken.CallsRandom();
  }
}

}  // namespace
