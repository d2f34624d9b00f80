// SPDX-License-Identifier: MIT
#include "ArveloCore/Geometry.h"

#include <gtest/gtest.h>

using arvelo::Rect;

TEST(Geometry, IntersectionOfDisjointRectanglesIsNull) {
    EXPECT_TRUE(Rect(0, 0, 10, 10).intersection(Rect(20, 0, 10, 10)).isNull());
    EXPECT_EQ(Rect(0, 0, 10, 10).intersection(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
    EXPECT_FALSE(Rect(0, 0, 10, 10).intersects(Rect(10, 0, 10, 10)));
}

TEST(Geometry, NegativeSizesAreStandardised) {
    EXPECT_EQ(Rect(10, 10, -5, -5).standardized(), Rect(5, 5, 5, 5));
    EXPECT_EQ(Rect(10, 10, -5, -5).minX(), 5);
}

TEST(Geometry, ContainmentIsHalfOpen) {
    const Rect r(0, 0, 10, 10);
    EXPECT_TRUE(r.contains(arvelo::Point{0, 0}));
    EXPECT_FALSE(r.contains(arvelo::Point{10, 5}));
    EXPECT_FALSE(r.contains(arvelo::Point{5, 10}));
}

TEST(Geometry, TextForm) { EXPECT_EQ(arvelo::toString(Rect(0, 25, 960.5, 1080)), "{{0, 25}, {960.5, 1080}}"); }
