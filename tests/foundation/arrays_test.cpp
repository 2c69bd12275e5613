// The growable and the fixed array: growth, copies, compaction, search and indexing out of range.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation_checks.h"
#include "kr_test_support.h"

namespace {
typedef KrStringT<char> Str;

std::string TextOf(const Str& s) {
    return s.Text() != nullptr ? s.Text() : "";
}

// An element that remembers where it was last written, to see where an access really lands.
struct Slot {
    int value = 0;
    static const Slot* lastWritten;
    Slot() = default;
    explicit Slot(int v) : value(v) {}
    Slot(const Slot& other) = default;
    Slot& operator=(const Slot& other) {
        value = other.value;
        lastWritten = this;
        return *this;
    }
};
const Slot* Slot::lastWritten = nullptr;

// True when `p` lies in the array's block or just beside it.
bool InOrBesideBlock(const Slot* p, const Slot* block, int capacity) {
    return p >= block - 1 && p <= block + capacity;
}

class ArrayTest : public FoundationTest {};
}  // namespace

TEST_F(ArrayTest, AddGrowsThroughCapacitiesOneLessThanPowersOfTwo) {
    TDArray<int> numbers;
    EXPECT_EQ(numbers.Capacity(), 0);
    std::vector<int> capacities;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(numbers.Add(i * 10), i);
        capacities.push_back(numbers.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{1, 3, 3, 7, 7, 7, 7, 15}));
    EXPECT_EQ(numbers.Count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(numbers[i], i * 10);
    }

    // Class elements survive every move to a larger block, and the stored one is a copy.
    TDArray<Str> names;
    Str name("first");
    names.Add(name);
    name = Str("changed");
    for (int i = 0; i < 6; ++i) {
        names.Add(Str(std::to_string(i).c_str()));
    }
    EXPECT_EQ(TextOf(names[0]), "first");
    EXPECT_EQ(TextOf(names[6]), "5");
    EXPECT_EQ(names.Capacity(), 7);

    names.Clear();
    EXPECT_EQ(names.Count(), 0);
    EXPECT_EQ(names.Capacity(), 0);
    EXPECT_EQ(names.Add(Str("again")), 0);
    EXPECT_EQ(names.Capacity(), 1);
}

TEST_F(ArrayTest, CompactGivesBackUnusedSlotsOnce) {
    TDArray<Str> names;
    for (const char* name : {"a", "b", "c"}) {
        names.Add(Str(name));
    }
    names.Grow(4);
    ASSERT_EQ(names.Capacity(), 7);
    EXPECT_EQ(names.Compact(), 4 * static_cast<int>(sizeof(Str)));
    EXPECT_EQ(names.Capacity(), 3);
    EXPECT_EQ(names.Compact(), 0);
    EXPECT_EQ(TextOf(names[0]) + TextOf(names[2]), "ac");

    // Reserved but never used: compacting drops the block altogether.
    TDArray<int> reserved;
    reserved.Grow(5);
    EXPECT_EQ(reserved.Compact(), 5 * static_cast<int>(sizeof(int)));
    EXPECT_EQ(reserved.Capacity(), 0);
    EXPECT_EQ(reserved.Add(9), 0);
    EXPECT_EQ(reserved[0], 9);
}

TEST_F(ArrayTest, ContainsLooksOnlyAtTheContents) {
    TDArray<KrRect> sizes;
    sizes.Add(KrRect(800, 600));
    sizes.Add(KrRect(1024, 768));
    sizes.Add(KrRect(640, 480));
    sizes.Add(KrRect(1280, 1024));  // capacity 7: three default rectangles wait behind
    EXPECT_TRUE(sizes.Contains(KrRect(800, 600)));
    EXPECT_TRUE(sizes.Contains(KrRect(1280, 1024)));
    EXPECT_FALSE(sizes.Contains(KrRect(600, 800)));
    EXPECT_FALSE(sizes.Contains(KrRect()));
    EXPECT_FALSE(TDArray<KrRect>().Contains(KrRect()));
}

TEST_F(ArrayTest, CopiesKeepCapacityAndOwnTheirElements) {
    TDArray<Str> source;
    source.Add(Str("alpha"));
    source.Add(Str("beta"));
    source.Grow(4);
    ASSERT_EQ(source.Capacity(), 7);

    TDArray<Str> copy(source);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Capacity(), 7);
    EXPECT_NE(copy[0].Text(), source[0].Text());
    copy[1] = Str("changed");
    EXPECT_EQ(TextOf(source[1]), "beta");

    TDArray<Str> assigned;
    assigned.Add(Str("old contents are released"));
    assigned = source;
    EXPECT_EQ(assigned.Count(), 2);
    EXPECT_EQ(assigned.Capacity(), 7);
    EXPECT_EQ(TextOf(assigned[0]), "alpha");

    TDArray<Str>& alias = assigned;
    assigned = alias;
    EXPECT_EQ(assigned.Count(), 2);
    EXPECT_EQ(assigned.Capacity(), 7);
    EXPECT_EQ(TextOf(assigned[1]), "beta");

    // An array without a block copies to an array without a block.
    TDArray<Str> blockless;
    TDArray<Str> blocklessCopy(blockless);
    EXPECT_EQ(blocklessCopy.Capacity(), 0);
    assigned = blockless;
    EXPECT_EQ(assigned.Count(), 0);
    EXPECT_EQ(assigned.Capacity(), 0);
    EXPECT_EQ(assigned.Add(Str("x")), 0);
}

TEST_F(ArrayTest, GrowableArrayOutOfRangeIsLoggedAndTouchesNothing) {
    krtest::ClearLog();
    TDArray<Slot> slots;
    slots.Add(Slot(1));
    slots.Add(Slot(2));
    slots.Add(Slot(3));
    slots.Add(Slot(4));  // count 4, capacity 7: slots 4 to 6 are in the block but not contents
    const Slot* block = &slots[0];

    for (int index : {4, 7, -1, 1000}) {
        Slot::lastWritten = nullptr;
        slots[index] = Slot(99);
        EXPECT_FALSE(InOrBesideBlock(Slot::lastWritten, block, 7)) << "write at " << index;
        EXPECT_FALSE(InOrBesideBlock(&slots[index], block, 7)) << "read at " << index;
    }
    EXPECT_EQ(slots.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(slots[i].value, i + 1);
    }
    EXPECT_EQ(slots.Add(Slot(5)), 4);
    EXPECT_EQ(slots[4].value, 5);

    TDArray<int> empty;
    empty[0] = 7;
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.Capacity(), 0);

    std::vector<std::string> expected = {"WARNING: Accessed TDArray out of bounds 4/4",
                                         "WARNING: Accessed TDArray out of bounds 4/4",
                                         "WARNING: Accessed TDArray out of bounds 7/4",
                                         "WARNING: Accessed TDArray out of bounds 7/4",
                                         "WARNING: Accessed TDArray out of bounds -1/4",
                                         "WARNING: Accessed TDArray out of bounds -1/4",
                                         "WARNING: Accessed TDArray out of bounds 1000/4",
                                         "WARNING: Accessed TDArray out of bounds 1000/4",
                                         "WARNING: Accessed TDArray out of bounds 0/0"};
    EXPECT_EQ(krtest::LogLines(false), expected) << krtest::Join(krtest::LogLines());
}

TEST_F(ArrayTest, FixedArrayIndexedOutOfRangeEndsTheProcess) {
    TSArray<int> fixed;
    fixed.Create(3);
    for (int i = 0; i < 3; ++i) {
        fixed[i] = i + 1;
    }
    EXPECT_EQ(fixed[0] + fixed[1] + fixed[2], 6);
    fixed.Create(5);
    EXPECT_EQ(fixed.Count(), 5);
    fixed.Create(3);

    std::string log;
    EXPECT_FATAL_LOG(fixed[3] = 0, log);
    EXPECT_EQ(log, "O|WARNING: Accessed array out of bounds: 3/[0-2]\n");
    EXPECT_FATAL_LOG(fixed[-1] = 0, log);
    EXPECT_EQ(log, "O|WARNING: Accessed array out of bounds: -1/[0-2]\n");

    TSArray<bool> none;
    none.Create(0);
    EXPECT_EQ(none.Count(), 0);
    EXPECT_FATAL_LOG(none[0] = true, log);
    EXPECT_EQ(log, "O|WARNING: Accessed array out of bounds: 0/[0--1]\n");
}
