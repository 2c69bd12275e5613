// The core library: the counting allocator and its injected failure, the log's sinks, sorting and
// the bit-level helpers the device relies on.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kr_test_support.h"

TEST(CoreMemory, LiveCountersFollowEveryBlock) {
    int blocks = krLiveBlocks();
    long long bytes = krLiveBytes();
    long long allocations = krAllocationCount();
    void* a = krMalloc(100);
    void* b = krMalloc(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(krLiveBlocks() - blocks, 2);
    EXPECT_EQ(krLiveBytes() - bytes, 100);
    EXPECT_EQ(krAllocationCount() - allocations, 2);
    // Blocks are aligned for any value type the engine keeps in them.
    EXPECT_EQ(reinterpret_cast<unsigned long long>(a) % 16, 0u);
    krMemset(a, 0xAB, 100);
    EXPECT_EQ(static_cast<unsigned char*>(a)[99], 0xAB);
    krFree(a);
    krFree(b);
    EXPECT_EQ(krLiveBlocks(), blocks);
    EXPECT_EQ(krLiveBytes(), bytes);
}

TEST(CoreMemory, InjectedFailureHitsExactlyTheChosenAllocation) {
    int blocks = krLiveBlocks();
    krFailAllocationAfter(3);
    void* first = krMalloc(8);
    void* second = krMalloc(8);
    void* third = krMalloc(8);
    void* fourth = krMalloc(8);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(third, nullptr);
    EXPECT_NE(fourth, nullptr);
    EXPECT_EQ(krLiveBlocks() - blocks, 3);
    krFree(first);
    krFree(second);
    krFree(fourth);

    krFailAllocationAfter(2);
    krFailAllocationAfter(0);
    void* unaffected[3] = {krMalloc(1), krMalloc(1), krMalloc(1)};
    for (void* block : unaffected) {
        EXPECT_NE(block, nullptr);
        krFree(block);
    }
    EXPECT_EQ(krLiveBlocks(), blocks);
}

TEST(CoreLog, MemorySinkKeepsEachCallAsOneWholeLine) {
    krtest::ClearLog();
    int blocks = krLiveBlocks();
    GLog.WriteLine("plain");
    GLog.printf("count %i of %s", 3, "textures");
    GLog.DebugWriteLine("DEBUG: detail");
    GLog.DebugPrintf("DEBUG: %i", -7);
    std::string long600(600, 'x');
    std::string long64k(64 * 1024, 'y');
    GLog.printf("%s", long600.c_str());
    GLog.DebugPrintf("[%s]", long64k.c_str());
    EXPECT_EQ(krLiveBlocks(), blocks);

    std::vector<std::string> ordinary = {"plain", "count 3 of textures", long600};
    std::vector<std::string> debug = {"DEBUG: detail", "DEBUG: -7", "[" + long64k + "]"};
    EXPECT_EQ(krtest::LogLines(false), ordinary);
    EXPECT_EQ(krtest::LogLines(true), debug);
}

TEST(CoreLog, FileGetsOneLinePerCall) {
    const char* path = "core_log_test.txt";
    KrLogFile log;
    ASSERT_TRUE(log.Open(path));
    std::string long64k(64 * 1024, 'z');
    log.WriteLine("first");
    log.DebugPrintf("second %i", 2);
    log.printf("%s", long64k.c_str());
    // The file is flushed per line: what is written can be read while the log is still open.
    EXPECT_EQ(krtest::ReadFile(path), "first\nsecond 2\n" + long64k + "\n");
    ASSERT_TRUE(log.Open(path, true));
    log.WriteLine("appended");
    log.Close();
    log.WriteLine("after close, only in memory");
    EXPECT_EQ(krtest::ReadFile(path), "first\nsecond 2\n" + long64k + "\nappended\n");
    ASSERT_TRUE(log.Open(path));
    log.Close();
    EXPECT_EQ(krtest::ReadFile(path), "");
    EXPECT_FALSE(log.Open("no_such_folder\\log.txt"));
    std::remove(path);
}

TEST(CoreMaths, SortOrdersByTheComparator) {
    struct Mode {
        int width;
        int height;
    };
    std::vector<Mode> modes = {{1024, 768}, {640, 480}, {1280, 1024}, {800, 600}, {640, 400}};
    krQSort(modes.data(), static_cast<int>(modes.size()), sizeof(Mode),
            [](const void* a, const void* b) {
                const Mode* x = static_cast<const Mode*>(a);
                const Mode* y = static_cast<const Mode*>(b);
                if (x->width != y->width) {
                    return x->width - y->width;
                }
                return x->height - y->height;
            });
    std::vector<int> order;
    for (const Mode& m : modes) {
        order.push_back(m.width * 10000 + m.height);
    }
    EXPECT_EQ(order, (std::vector<int>{6400400, 6400480, 8000600, 10240768, 12801024}));

    int descending[] = {3, 9, 1, 9, 4};
    krQSort(descending, 5, sizeof(int), [](const void* a, const void* b) {
        return *static_cast<const int*>(b) - *static_cast<const int*>(a);
    });
    EXPECT_EQ(std::vector<int>(descending, descending + 5), (std::vector<int>{9, 9, 4, 3, 1}));
    krQSort(nullptr, 0, sizeof(int), nullptr);
}

TEST(CoreMaths, BitPatternsAndPowersOfTwo) {
    EXPECT_EQ(krFloatToDWORD(-1.0f), 0xBF800000ul);
    EXPECT_EQ(krFloatToDWORD(1.0f), 0x3F800000ul);
    EXPECT_EQ(krFloatToDWORD(0.0f), 0ul);
    EXPECT_FALSE(krIsPowerOf2(0));
    EXPECT_TRUE(krIsPowerOf2(1));
    EXPECT_TRUE(krIsPowerOf2(256));
    EXPECT_FALSE(krIsPowerOf2(100));
    EXPECT_TRUE(krIsPowerOf2(0x80000000u));
    EXPECT_FALSE(krIsPowerOf2(0xFFFFFFFFu));
    EXPECT_EQ(KrARGB(0x12, 0x34, 0x56, 0x78).GetDWORD(), 0x12345678ul);
    EXPECT_EQ(KrARGB(256 + 1, -1, 0, 0).GetDWORD(), 0x01FF0000ul);
}
