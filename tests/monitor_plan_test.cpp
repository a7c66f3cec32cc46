#include "platform/monitor_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace flakemorph {
namespace {

struct Screen {
  std::string name;
  int width = 0;
  bool operator==(const Screen&) const = default;
};

using Plan = MonitorPlan<Screen>;

Plan PlanOf(const std::vector<Screen>& covered, const std::vector<Screen>& now, bool move) {
  return PlanWindows<Screen>(covered, now, move);
}

TEST(PlanWindows, AWindowFollowsItsMonitorByNameAndOnlyWhenItChanged) {
  const Plan plan = PlanOf({{"A", 100}, {"B", 200}}, {{"B", 300}, {"A", 100}}, true);
  ASSERT_EQ(plan.moves.size(), 1U);
  EXPECT_EQ(plan.moves[0].window, 1U);
  EXPECT_EQ(plan.moves[0].monitor, (Screen{"B", 300}));
  EXPECT_TRUE(plan.gone.empty());
  EXPECT_TRUE(plan.added.empty());
}

TEST(PlanWindows, AWindowWhoseMonitorWentTakesANewOneWhereWindowsMove) {
  const Plan moving = PlanOf({{"A", 1}, {"B", 2}, {"C", 3}}, {{"A", 1}, {"D", 4}}, true);
  ASSERT_EQ(moving.moves.size(), 1U);
  EXPECT_EQ(moving.moves[0].window, 1U);
  EXPECT_EQ(moving.moves[0].monitor.name, "D");
  EXPECT_EQ(moving.gone, std::vector<std::size_t>{2});
  EXPECT_TRUE(moving.added.empty());

  const Plan fixed = PlanOf({{"A", 1}, {"B", 2}, {"C", 3}}, {{"A", 1}, {"D", 4}}, false);
  EXPECT_TRUE(fixed.moves.empty());
  EXPECT_EQ(fixed.gone, (std::vector<std::size_t>{2, 1}));  // highest first
  ASSERT_EQ(fixed.added.size(), 1U);
  EXPECT_EQ(fixed.added[0].name, "D");
}

TEST(PlanWindows, EveryMonitorLeftOverGetsAWindow) {
  const Plan plan = PlanOf({}, {{"A", 1}, {"B", 2}}, true);
  EXPECT_EQ(plan.added.size(), 2U);
  const Plan none = PlanOf({{"A", 1}}, {}, true);
  EXPECT_EQ(none.gone, std::vector<std::size_t>{0});
}

}  // namespace
}  // namespace flakemorph
