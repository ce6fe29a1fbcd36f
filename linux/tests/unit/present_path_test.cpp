// How the Wayland saver chooses to show its picture: by the renderer, unless
// the override names a way.
#include "linux/wayland/present_path.h"

#include <gtest/gtest.h>

namespace {

TEST(PresentPathTest, SoftwareRenderersAreFilledThroughSharedMemoryOthersThroughEgl)
{
    EXPECT_EQ(choosePresentPath("llvmpipe (LLVM 15.0.6, 256 bits)", nullptr), PresentPath::Shm);
    EXPECT_EQ(choosePresentPath("softpipe", nullptr), PresentPath::Shm);
    EXPECT_EQ(choosePresentPath("Mesa Intel(R) UHD Graphics 620 (KBL GT2)", nullptr), PresentPath::Egl);
    EXPECT_EQ(choosePresentPath(nullptr, nullptr), PresentPath::Egl) << "a renderer GL did not name";
}

TEST(PresentPathTest, TheOverrideWinsAndAnythingElseInItIsIgnored)
{
    EXPECT_EQ(choosePresentPath("llvmpipe (LLVM 15.0.6, 256 bits)", "egl"), PresentPath::Egl);
    EXPECT_EQ(choosePresentPath("AMD Radeon RX 6600", "shm"), PresentPath::Shm);
    EXPECT_EQ(choosePresentPath("AMD Radeon RX 6600", "fast"), PresentPath::Egl);
}

} // namespace
