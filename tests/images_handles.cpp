// The handle table that stands in for GDI bitmap handles and global memory
// handles.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "images/Handles.h"

namespace vellumark {
namespace {

TBMPImage SmallBitmap(uint8_t fill) {
    TBMPImage img;
    img.SetSize(3, 2, 24);
    for (uint8_t& b : img.Pixels()) b = fill;
    img.XPelsPerMeter = 3780;
    return img;
}

// A 1 x 1 packed bitmap of 24 bits.
std::vector<uint8_t> SmallDIB() {
    std::vector<uint8_t> b(40 + 4, 0);
    b[0] = 40;
    b[4] = 1;
    b[8] = 1;
    b[12] = 1;
    b[14] = 24;
    b[40] = 0x30;
    b[41] = 0x20;
    b[42] = 0x10;
    return b;
}

TEST(Handles, ZeroAndUnknownValuesNameNothing) {
    EXPECT_FALSE(handles::IsValid(0));
    EXPECT_EQ(handles::KindOf(0), handles::THandleKind::None);
    EXPECT_FALSE(handles::CopyBitmap(0));
    EXPECT_FALSE(handles::TakeBitmap(0));
    EXPECT_FALSE(handles::TakeMemory(0));
    EXPECT_FALSE(handles::DeleteBitmap(0));
    EXPECT_FALSE(handles::FreeMemory(0));
    EXPECT_FALSE(handles::IsValid(12345));
    EXPECT_FALSE(handles::TakeMemory(0xFFFFFFFFu));
}

TEST(Handles, BitmapHandleKeptByTheCaller) {
    const std::size_t before = handles::Count();
    const handles::THandle h = handles::CreateBitmapHandle(SmallBitmap(7));
    EXPECT_NE(h, 0u);
    EXPECT_LT(h, 0x80000000u);  // passes through a signed 32-bit argument
    EXPECT_EQ(handles::KindOf(h), handles::THandleKind::Bitmap);
    EXPECT_EQ(handles::Count(), before + 1);

    // Reading leaves the handle valid, as often as wanted.
    for (int i = 0; i < 2; ++i) {
        const auto copy = handles::CopyBitmap(h);
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->Width(), 3u);
        EXPECT_EQ(copy->Row(1)[8], 7);
        EXPECT_EQ(copy->XPelsPerMeter, 3780u);
        EXPECT_TRUE(handles::IsValid(h));
    }
    // A bitmap handle is not memory.
    EXPECT_FALSE(handles::TakeMemory(h));
    EXPECT_FALSE(handles::FreeMemory(h));
    EXPECT_TRUE(handles::IsValid(h));

    EXPECT_TRUE(handles::DeleteBitmap(h));
    EXPECT_FALSE(handles::IsValid(h));
    EXPECT_FALSE(handles::DeleteBitmap(h));
    EXPECT_FALSE(handles::CopyBitmap(h));
    EXPECT_EQ(handles::Count(), before);
}

TEST(Handles, BitmapHandleTakenIsDeleted) {
    const handles::THandle h = handles::CreateBitmapHandle(SmallBitmap(9));
    const auto bitmap = handles::TakeBitmap(h);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Row(0)[0], 9);
    EXPECT_FALSE(handles::IsValid(h));
    EXPECT_FALSE(handles::TakeBitmap(h));
}

TEST(Handles, MemoryHandleIsConsumed) {
    const handles::THandle h = handles::CreateMemoryHandle(SmallDIB());
    EXPECT_EQ(handles::KindOf(h), handles::THandleKind::Memory);
    EXPECT_FALSE(handles::CopyBitmap(h));  // not a bitmap
    EXPECT_FALSE(handles::TakeBitmap(h));
    EXPECT_FALSE(handles::DeleteBitmap(h));
    const auto peek = handles::CopyMemory(h);
    ASSERT_TRUE(peek);
    EXPECT_EQ(*peek, SmallDIB());
    EXPECT_TRUE(handles::IsValid(h));

    const auto bytes = handles::TakeMemory(h);
    ASSERT_TRUE(bytes);
    EXPECT_FALSE(handles::IsValid(h));
    EXPECT_FALSE(handles::TakeMemory(h));
    TBMPImage img;
    img.LoadPackedDIB(*bytes);
    EXPECT_EQ(img.Width(), 1u);
    EXPECT_EQ(img.Row(0)[2], 0x10);

    const handles::THandle freed = handles::CreateMemoryHandle({1, 2, 3});
    EXPECT_TRUE(handles::FreeMemory(freed));
    EXPECT_FALSE(handles::FreeMemory(freed));
    // An empty block is still a handle.
    const handles::THandle empty = handles::CreateMemoryHandle({});
    const auto none = handles::TakeMemory(empty);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(Handles, ValuesAreNotReusedSoon) {
    std::set<handles::THandle> seen;
    for (int i = 0; i < 1000; ++i) {
        const handles::THandle h = i % 2 ? handles::CreateMemoryHandle({1}) : handles::CreateBitmapHandle(TBMPImage{});
        EXPECT_NE(h, 0u);
        EXPECT_TRUE(seen.insert(h).second) << "value " << h << " handed out twice";
        EXPECT_TRUE(i % 2 ? handles::FreeMemory(h) : handles::DeleteBitmap(h));
    }
}

TEST(Handles, ThreadsShareOneTable) {
    const std::size_t before = handles::Count();
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 300; ++i) {
                const uint8_t fill = static_cast<uint8_t>(t * 16 + i % 16);
                const handles::THandle b = handles::CreateBitmapHandle(SmallBitmap(fill));
                const handles::THandle m = handles::CreateMemoryHandle(std::vector<uint8_t>(8, fill));
                const auto copy = handles::CopyBitmap(b);
                const auto taken = handles::TakeBitmap(b);
                const auto bytes = handles::TakeMemory(m);
                if (!copy || !taken || !bytes || copy->Row(0)[0] != fill || taken->Row(1)[2] != fill ||
                    (*bytes)[7] != fill || handles::IsValid(b) || handles::IsValid(m))
                    ++failures;
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(handles::Count(), before);
}

}  // namespace
}  // namespace vellumark
