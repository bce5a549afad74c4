// The splitting of work over the cores: every item done once, failures
// reaching the caller only after every thread has ended, and a run that is
// asked to stop handing out no more work.
#include "parallel/Parts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(ParallelTest, RunInPartsCoversTheRangeOnceInContiguousParts) {
  for (int64_t n : {0, 1, 2, 7, 1000, 1001}) {
    for (int parts : {1, 2, 3, 4, 9}) {
      std::vector<std::atomic<int>> seen(static_cast<size_t>(n));
      std::mutex mutex;
      std::vector<std::pair<int64_t, int64_t>> ranges(static_cast<size_t>(std::max(parts, 1)), {-1, -1});
      parallel::RunInParts(n, parts, [&](int64_t begin, int64_t end, int part) {
        for (int64_t i = begin; i < end; ++i) ++seen[size_t(i)];
        const std::lock_guard lock(mutex);
        ranges[size_t(part)] = {begin, end};
      });
      for (int64_t i = 0; i < n; ++i) EXPECT_EQ(seen[size_t(i)], 1) << n << " " << parts << " " << i;
      // Each part starts where the one before ended.
      const int used = parts <= 1 || n <= 1 ? 1 : parts;
      EXPECT_EQ(ranges[0].first, 0);
      for (int p = 1; p < used; ++p) EXPECT_EQ(ranges[size_t(p)].first, ranges[size_t(p - 1)].second) << n << " " << parts;
      EXPECT_EQ(ranges[size_t(used - 1)].second, n);
    }
  }
}

TEST(ParallelTest, AFailureReachesTheCallerAfterEveryPartHasEnded) {
  std::atomic<int> ended = 0;
  try {
    parallel::RunInParts(4, 4, [&](int64_t, int64_t, int part) {
      if (part == 0 || part == 2) throw std::runtime_error(part == 0 ? "part 0" : "part 2");
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      ++ended;
    });
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "part 0");  // the lowest part's
  }
  EXPECT_EQ(ended, 2);
}

TEST(ParallelTest, RunEachHandsOutEveryItemOnceAndNoneAfterAFailure) {
  std::vector<std::atomic<int>> seen(500);
  EXPECT_TRUE(parallel::RunEach(3, 500, 4, [&](int64_t item, int) { ++seen[size_t(item)]; }));
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], i < 3 ? 0 : 1) << i;

  std::atomic<int> done = 0;
  EXPECT_THROW(parallel::RunEach(0, 100000, 2, [&](int64_t item, int) {
    if (item == 10) throw std::length_error("item 10");
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    ++done;
  }), std::length_error);
  EXPECT_LT(done, 2000);  // the other worker stopped taking items soon after
}

TEST(ParallelTest, RunEachStopsWhenAskedAndReportsProgressOnTheCallingThread) {
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> done = 0;
  std::vector<double> progress;
  parallel::TControl control;
  control.Stopped = [&] { return done >= 50; };
  control.Progress = [&](double fraction) {
    EXPECT_EQ(std::this_thread::get_id(), caller);
    progress.push_back(fraction);
  };
  EXPECT_FALSE(parallel::RunEach(0, 1000, 2, [&](int64_t, int) { ++done; }, control));
  EXPECT_LT(done, 60);
  ASSERT_FALSE(progress.empty());
  for (size_t i = 1; i < progress.size(); ++i) EXPECT_LE(progress[i - 1], progress[i]);
  EXPECT_LT(progress.back(), 1.0);

  // Not stopped: the last report is the whole.
  progress.clear();
  control.Stopped = nullptr;
  EXPECT_TRUE(parallel::RunEach(0, 100, 1, [](int64_t, int) {}, control));
  ASSERT_EQ(progress.size(), 100u);
  EXPECT_EQ(progress.back(), 1.0);
}

}  // namespace
