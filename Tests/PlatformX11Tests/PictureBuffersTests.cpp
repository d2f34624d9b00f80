// SPDX-License-Identifier: MIT
// PictureBuffersTests.cpp: captured pictures reuse the memory of pictures that are gone, never
// that of a picture still in use, and never a buffer far larger than the picture.
#include "Platform/X11/PictureBuffers.h"

#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

TEST(PictureBuffers, ReusesOnlyTheMemoryOfPicturesThatAreGone) {
    PictureBuffers buffers;
    auto first = buffers.take(1000);
    ASSERT_EQ(first->size(), 1000u);
    const auto* firstMemory = first->data();

    // Still in use: the next picture gets memory of its own.
    auto second = buffers.take(1000);
    EXPECT_NE(second->data(), firstMemory);

    // Gone: its memory holds the next picture that fits, at exactly that picture's size.
    first.reset();
    auto third = buffers.take(800);
    EXPECT_EQ(third->data(), firstMemory);
    EXPECT_EQ(third->size(), 800u);

    // A picture that does not fit in any returned buffer gets a new one.
    third.reset();
    auto larger = buffers.take(2000);
    EXPECT_NE(larger->data(), firstMemory);
    EXPECT_EQ(larger->size(), 2000u);
}

TEST(PictureBuffers, ASmallPictureDoesNotHoldABufferManyTimesItsSize) {
    PictureBuffers buffers;
    auto big = buffers.take(10000);
    const auto* bigMemory = big->data();
    big.reset();
    EXPECT_NE(buffers.take(100)->data(), bigMemory);
    EXPECT_EQ(buffers.take(6000)->data(), bigMemory);
}

TEST(PictureBuffers, KeepsTheLargestReturnedBuffersUpToItsLimit) {
    PictureBuffers buffers(1);
    auto small = buffers.take(100);
    auto big = buffers.take(1000);
    const auto* bigMemory = big->data();
    big.reset();
    small.reset();  // the shelf is full with the larger one: this one is freed
    EXPECT_EQ(buffers.take(1000)->data(), bigMemory);
}

TEST(PictureBuffers, APictureMayOutliveTheCaptureThatTookIt) {
    std::shared_ptr<PictureBuffers::Buffer> picture;
    {
        PictureBuffers buffers;
        picture = buffers.take(64);
        (*picture)[63] = 0xFF102030u;
    }
    EXPECT_EQ((*picture)[63], 0xFF102030u);
    picture.reset();  // freed, with nothing left to return it to
}

}  // namespace
}  // namespace platform::x11
