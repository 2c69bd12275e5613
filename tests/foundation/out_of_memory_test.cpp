// Running out of memory inside the arrays and the list is fatal: one line, then exit code 1.
#include <gtest/gtest.h>

#include <string>

#include "foundation_checks.h"

namespace {
typedef KrStringT<char> Str;

std::string Sized(const char* format, int a, int b) {
    char line[256];
    std::snprintf(line, sizeof line, format, a, b);
    return line;
}

class OutOfMemoryTest : public FoundationTest {};
}  // namespace

TEST_F(OutOfMemoryTest, GrowableArrayFailuresLogTheirLineAndEndTheProcess) {
    TDArray<int> numbers;
    numbers.Add(1);
    numbers.Add(2);
    numbers.Add(3);  // capacity 3: the next Add asks for 4 more
    std::string log;
    EXPECT_FATAL_LOG((krFailAllocationAfter(1), numbers.Add(4)), log);
    EXPECT_EQ(log,
              "O|Failed to allocate 4 extra elements of size 4 bytes each during TDArray growth\n");

    TDArray<Str> names;
    names.Add(Str("a"));
    EXPECT_FATAL_LOG((krFailAllocationAfter(1), names.Add(Str())), log);
    EXPECT_EQ(log, Sized("O|Failed to allocate %i extra elements of size %i bytes each during "
                         "TDArray growth\n",
                         2, static_cast<int>(sizeof(Str))));

    // A size that does not fit an allocation at all takes the same way out.
    EXPECT_FATAL_LOG(numbers.Grow(0x7FFFFFF0), log);
    EXPECT_EQ(log, Sized("O|Failed to allocate %i extra elements of size %i bytes each during "
                         "TDArray growth\n",
                         0x7FFFFFF0, 4));

    EXPECT_FATAL_LOG((krFailAllocationAfter(1), TDArray<int>{numbers}), log);
    EXPECT_EQ(log,
              "D|ERROR: Failed to allocate 3 elements of size 4 bytes each during TDArray copy "
              "constructor\n");

    TDArray<int> target;
    target.Add(9);
    EXPECT_FATAL_LOG((krFailAllocationAfter(1), target = numbers), log);
    EXPECT_EQ(log,
              "O|WARNING: Failed to allocate 3 elements of size 4 bytes each during "
              "TDArray::operator=(...)\n");
}

TEST_F(OutOfMemoryTest, FixedArrayAndListFailuresLogTheirLineAndEndTheProcess) {
    TSArray<int> fixed;
    std::string log;
    EXPECT_FATAL_LOG((krFailAllocationAfter(1), fixed.Create(5)), log);
    EXPECT_EQ(log,
              "O|WARNING: Failed to allocate 5 elements of size 4 bytes each during TSArray "
              "construction\n");
    EXPECT_FATAL_LOG(fixed.Create(-2), log);
    EXPECT_EQ(log,
              "O|WARNING: Failed to allocate -2 elements of size 4 bytes each during TSArray "
              "construction\n");

    TDList<NamedIndex> list;
    list.Append(NamedIndex(Str("first"), 1));
    EXPECT_FATAL_LOG((krFailAllocationAfter(1), list.Append(NamedIndex())), log);
    EXPECT_EQ(log, Sized("O|WARNING: Failed to allocate %i bytes for new node in doubly linked "
                         "list\n",
                         static_cast<int>(sizeof(TDListNode<NamedIndex>)), 0));
}
