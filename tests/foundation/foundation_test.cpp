// The engine's containers at their edges (the arrays, the string, the list, the name index) and
// what the device relies on from the core library: the log keeping each call as one whole line.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation.h"
#include "kr_test_support.h"
#include "name_index.h"

namespace {

typedef KrStringT<char> Str;
using krtest::LogLines;

std::string TextOf(const Str& s) {
    return s.Text() != nullptr ? s.Text() : "";
}

// Out of memory (and a fixed array indexed out of range) ends the process: the cause is logged
// first, and the exit code is 1. Each row runs in a child process that logs to a file.
TEST(Foundation, FatalFailuresLogTheirLineAndExitWithCode1) {
    TDArray<int> three;
    three.Add(1), three.Add(2), three.Add(3);  // full: the next Add asks for 4 more
    TDArray<int> target;
    TSArray<int> fixed;
    TDList<NamedIndex> list;
    const struct {
        std::function<void()> statement;
        std::string line;
    } rows[] = {
        {[&] { krFailAllocationAfter(1), three.Add(4); },
         "Failed to allocate 4 extra elements of size 4 bytes each during TDArray growth"},
        {[&] { krFailAllocationAfter(1), TDArray<int>{three}; },
         "ERROR: Failed to allocate 3 elements of size 4 bytes each during TDArray copy "
         "constructor"},
        {[&] { krFailAllocationAfter(1), target = three; },
         "WARNING: Failed to allocate 3 elements of size 4 bytes each during "
         "TDArray::operator=(...)"},
        {[&] { krFailAllocationAfter(1), fixed.Create(5); },
         "WARNING: Failed to allocate 5 elements of size 4 bytes each during TSArray construction"},
        {[&] { fixed.Create(3), fixed[3] = 0; }, "WARNING: Accessed array out of bounds: 3/[0-2]"},
        {[&] { fixed.Create(3), fixed[-1] = 0; },
         "WARNING: Accessed array out of bounds: -1/[0-2]"},
        {[&] { krFailAllocationAfter(1), list.Append(NamedIndex()); },
         "WARNING: Failed to allocate " + std::to_string(sizeof(TDListNode<NamedIndex>)) +
             " bytes for new node in doubly linked list"}};
    const char* path = "foundation_fatal.log";
    for (const auto& row : rows) {
        EXPECT_EXIT((GLog.Open(path), row.statement()), testing::ExitedWithCode(1), "") << row.line;
        EXPECT_EQ(krtest::ReadFile(path), row.line + "\n");
        std::remove(path);
    }
}

TEST(Foundation, GrowableArrayIndexOutOfRangeIsLoggedAndTouchesNothing) {
    const int blocks = krLiveBlocks();
    {
        TDArray<Str> names;
        for (const char* name : {"a", "b", "c", "d"})
            names.Add(Str(name));  // capacity 7
        krtest::ClearLog();
        for (int index : {4, 6, 7, -1})
            names[index] = Str("x");
        EXPECT_EQ(TextOf(names[5]), "") << "a read out of range sees no earlier write";
        EXPECT_EQ(LogLines(),
                  (std::vector<std::string>{"WARNING: Accessed TDArray out of bounds 4/4",
                                            "WARNING: Accessed TDArray out of bounds 6/4",
                                            "WARNING: Accessed TDArray out of bounds 7/4",
                                            "WARNING: Accessed TDArray out of bounds -1/4",
                                            "WARNING: Accessed TDArray out of bounds 5/4"}));
        EXPECT_FALSE(names.Contains(Str())) << "unused slots are not contents";
        EXPECT_EQ(names.Compact(), 3 * static_cast<int>(sizeof(Str)));
        EXPECT_EQ(names.Compact(), 0);
        TDArray<Str> copy(names);
        copy[3] = Str("changed");
        EXPECT_EQ(TextOf(names[0]) + TextOf(names[3]) + TextOf(copy[3]), "adchanged");
    }
    EXPECT_EQ(krLiveBlocks(), blocks);
}

TEST(Foundation, EmptyStringsHoldNoBlock) {
    const int blocks = krLiveBlocks();
    Str empty(""), null(static_cast<const char*>(nullptr)), counted("abc", 0), copy(empty);
    Str joined = empty + null, appended;
    appended += empty;
    Str assigned("text");
    assigned = empty;
    for (const Str* s : {&empty, &null, &counted, &copy, &joined, &appended, &assigned}) {
        EXPECT_EQ(s->Text(), nullptr);
        EXPECT_EQ(s->Length(), 0);
    }
    EXPECT_EQ(krLiveBlocks(), blocks);
    EXPECT_TRUE(empty == null);
    EXPECT_FALSE(Str("ab") == Str("abc"));
    EXPECT_EQ(TextOf(Str("ab") + empty + Str("cd")), "abcd");
}

TEST(Foundation, FindGivesTheFirstWholeMatchFromTheStart) {
    const struct {
        const char *haystack, *needle;
        int start, found;
    } rows[] = {{"abcd", "cd", 0, 2},   {"abcd", "cd", 2, 2},  {"abcd", "cd", 3, -1},
                {"abcd", "cd", -1, -1}, {"ab", "abc", 0, -1},  {"", "a", 0, -1},
                {"aaa", "aa", 1, 1},    {"xAbab", "ab", 0, 3}, {"abcd", "", 4, 4},
                {"abcd", "", 5, -1},    {"", "", 0, 0},        {"abcab", "abc", 1, -1}};
    for (const auto& row : rows) {
        EXPECT_EQ(Find(Str(row.haystack), Str(row.needle), row.start), row.found)
            << row.haystack << " " << row.needle << " " << row.start;
    }
}

TEST(Foundation, RemovingAnyNodeKeepsTheListLinked) {
    const char* const left[] = {"bc", "ac", "ab"};
    for (int remove = 0; remove < 3; ++remove) {
        TDList<NamedIndex> list;
        for (const char* name : {"a", "b", "c"})
            list.Append(NamedIndex(Str(name), 0));
        TDListNode<NamedIndex>* node = list.Head();
        for (int i = 0; i < remove; ++i)
            node = node->next;
        list.Remove(node);
        std::string forward, backward;
        for (node = list.Head(); node != nullptr; node = node->next)
            forward += TextOf(node->item.name);
        for (node = list.Tail(); node != nullptr; node = node->prev)
            backward.insert(0, TextOf(node->item.name));
        EXPECT_EQ(forward + " " + backward, std::string(left[remove]) + " " + left[remove]);
    }
}

TEST(Foundation, NameIndexFindsTheFirstPositionOfEachName) {
    std::vector<Str> names;
    auto nameAt = [&](int i) -> const Str& { return names[static_cast<size_t>(i)]; };
    KrNameIndex index;
    for (int i = 0; i < 100; ++i) {
        names.push_back(Str(("Textures\\t" + std::to_string(i % 40) + ".png").c_str()));
        index.Add(i, nameAt);
    }
    EXPECT_EQ(index.Find(Str("Textures\\t7.png"), nameAt), 7) << "not its later duplicates";
    EXPECT_EQ(index.Find(Str("Textures\\t7.pn"), nameAt), -1);
    EXPECT_EQ(index.Find(Str("textures\\t7.png"), nameAt), -1);
    names[7] = Str("renamed");
    index.Rebuild(100, nameAt);
    EXPECT_EQ(index.Find(Str("renamed"), nameAt), 7);
    EXPECT_EQ(index.Find(Str("Textures\\t7.png"), nameAt), 47);
}

TEST(CoreLibrary, LogKeepsEachCallAsOneWholeLine) {
    krtest::ClearLog();
    const std::string longLine(64 * 1024, 'y');
    GLog.printf("count %i of %s", 3, "textures");
    GLog.DebugPrintf("[%s]", longLine.c_str());
    GLog.WriteLine("plain");
    EXPECT_EQ(LogLines(false), (std::vector<std::string>{"count 3 of textures", "plain"}));
    EXPECT_EQ(LogLines(true), std::vector<std::string>{"[" + longLine + "]"});
}

}  // namespace
