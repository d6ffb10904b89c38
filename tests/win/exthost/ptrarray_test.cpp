// Growth of the host's pointer array.
#include <gtest/gtest.h>

#include "ptrarray.h"

namespace {

TEST(PtrArrayTest, CapacityFollowsTheSizeWhenNoStepIsSet) {
  // Capacity right after the append that made the array grow.
  struct Case {
    size_t size;
    size_t capacity;
  } cases[] = {
      {1, 4},        // step at least 4
      {5, 8},        {9, 12},   {33, 36},
      {37, 40},      // 36 / 8 = 4
      {41, 45},      // 40 / 8 = 5
      {46, 50},      {51, 56},  // 50 / 8 = 6
      {8255, 9278},             // 8254 / 8 = 1031: step capped at 1024
      {9279, 10302},
  };
  kw::PtrArray array;
  int dummy;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    while (array.size() < c.size)
      array.Add(&dummy);
    EXPECT_EQ(array.capacity(), c.capacity);
  }
}

TEST(PtrArrayTest, SetStepAndLargerRequestsWin) {
  kw::PtrArray array(10);
  int dummy;
  array.Add(&dummy);
  EXPECT_EQ(array.capacity(), 10u);
  // A request beyond capacity + step is taken as it is.
  EXPECT_EQ(array.GrownCapacity(25), 25u);
  EXPECT_EQ(array.GrownCapacity(11), 20u);
  EXPECT_EQ(array.GrownCapacity(7), 10u);
}

TEST(PtrArrayTest, RemoveKeepsOrder) {
  kw::PtrArray array;
  int a, b, c;
  array.Add(&a);
  array.Add(&b);
  array.Add(&c);
  array.RemoveAt(0);
  ASSERT_EQ(array.size(), 2u);
  EXPECT_EQ(array.at(0), &b);
  EXPECT_EQ(array.at(1), &c);
}

}  // namespace
