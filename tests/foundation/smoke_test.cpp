#include <gtest/gtest.h>

#include "foundation.h"

TEST(Smoke, ArrayGrows) {
    TDArray<int> a;
    for (int i = 0; i < 8; ++i) a.Add(i);
    EXPECT_EQ(15, a.Capacity());
}
