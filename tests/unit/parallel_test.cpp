// The one parallel primitive: work split at its threshold, parts run once each, failures
// carried back.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "model_support.h"
#include "parallel/parallel.h"

namespace relalg {
namespace {

TEST(parallel, halvesSplitFromTheThresholdOn) {
  const testing::splitfrom small(10);
  EXPECT_EQ(parallel::halves(9).size(), 1u);
  const std::vector<parallel::range> two = parallel::halves(11);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].first, 0u);
  EXPECT_EQ(two[0].last, two[1].first);
  EXPECT_EQ(two[1].last, 11u);
}

TEST(parallel, everyPartAndItemRunsOnceOnTwoThreads) {
  const testing::splitfrom small(2);
  std::atomic<int> ran{0};
  std::vector<std::thread::id> where(2);
  parallel::eachrange(parallel::halves(100), [&](size_t part, const parallel::range& r) {
    ran += static_cast<int>(r.size());
    where[part] = std::this_thread::get_id();
  });
  EXPECT_EQ(ran, 100);
  EXPECT_NE(where[0], where[1]);
  std::vector<int> items(7, 0);
  parallel::dealt({5, 1, 9, 2, 2, 8, 3}, [&](size_t item) { ++items[item]; });
  EXPECT_EQ(items, std::vector<int>(7, 1));
}

TEST(parallel, aFailureOfEitherSideReachesTheCaller) {
  const testing::splitfrom small(1);
  int finished = 0;
  EXPECT_THROW(parallel::both(
                   1, [&] { ++finished; }, [] { throw std::runtime_error("second"); }),
               std::runtime_error);
  EXPECT_THROW(parallel::both(
                   1, [] { throw std::runtime_error("first"); }, [&] { ++finished; }),
               std::runtime_error);
  EXPECT_EQ(finished, 2);  // the other side always ends before the failure is thrown
}

}  // namespace
}  // namespace relalg
