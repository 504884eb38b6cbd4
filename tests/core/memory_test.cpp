#include "core/common/bitmap.h"
#include "core/common/memory.h"

#include <gtest/gtest.h>

namespace {
struct FreeMemory {
    explicit FreeMemory(std::uint64_t bytes) {
        core::SetFreeMemoryProvider([bytes] { return bytes; });
    }
    ~FreeMemory() { core::SetFreeMemoryProvider({}); }
};
} // namespace

TEST(MemoryGuard, RefusesAbsurdSizesWithoutAllocating) {
    FreeMemory plenty(std::uint64_t{1} << 50);
    EXPECT_FALSE(core::CheckPictureSize(100000, 100000, 24));
    EXPECT_FALSE(core::CheckPictureSize(0, 10, 8));
    EXPECT_FALSE(core::CheckPictureSize(10, -1, 8));
    EXPECT_FALSE(core::CheckPictureSize(std::int64_t{1} << 31, 1, 1));
    EXPECT_TRUE(core::CheckPictureSize(32768, 32768, 24)); // exactly 2^30 pixels
    auto bm = core::Bitmap::Create(100000, 100000, 24);
    ASSERT_FALSE(bm);
    EXPECT_NE(bm.message().find("too large"), std::string::npos);
}

TEST(MemoryGuard, FollowsFreeMemory) {
    FreeMemory little(1000);
    auto st = core::CheckPictureSize(100, 100, 24);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.message(), "Insufficient memory.");
    EXPECT_TRUE(core::CheckPictureSize(10, 10, 1)); // 40 bytes
}

TEST(MemoryGuard, ImageMemSizeTable) {
    EXPECT_EQ(core::ImageMemSize(1000, 1000, 24, 24, true), 2998272u); // 3,000,000 cut to 4096s
    EXPECT_EQ(core::ImageMemSize(1000, 1000, 24, 8, true), 999424u);   // counts as 8-bit
    EXPECT_EQ(core::ImageMemSize(1000, 1000, 24, 8, false), 2998272u);
    EXPECT_EQ(core::ImageMemSize(8192, 1, 1, 24, true), 0u);           // 1024 bytes → 0
    EXPECT_EQ(core::ImageMemSize(4096, 4, 4, 24, true), 8192u);
    EXPECT_EQ(core::ImageMemSize(4096, 1, 16, 24, true), 8192u);
    EXPECT_EQ(core::ImageMemSize(4096, 1, 32, 24, true), 16384u);
    EXPECT_EQ(core::ImageMemSize(4096, 1, 7, 24, true), 0u);
    // 64-bit: no wrap for pictures beyond 4 GB.
    EXPECT_EQ(core::ImageMemSize(100000, 100000, 24, 24, true), 30000000000u / 4096 * 4096);
}

TEST(MemoryGuard, EnoughMemoryBoundary) {
    FreeMemory exact((4096u << 2) + 8192000u);
    EXPECT_TRUE(core::EnoughMemory(4096, 2));
    EXPECT_FALSE(core::EnoughMemory(8192, 2));
    EXPECT_FALSE(core::EnoughMemory(std::uint64_t{1} << 62, 4)); // would overflow
}
