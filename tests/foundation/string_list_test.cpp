// The engine string (building, equality, substring search) and the doubly linked list (unlinking).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation_checks.h"

namespace {
typedef KrStringT<char> Str;

std::string TextOf(const Str& s) {
    return s.Text() != nullptr ? s.Text() : "";
}

class StringTest : public FoundationTest {};
class ListTest : public FoundationTest {};

std::vector<std::string> Names(const TDList<NamedIndex>& list) {
    std::vector<std::string> names;
    for (TDListNode<NamedIndex>* node = list.Head(); node != nullptr; node = node->next) {
        names.push_back(TextOf(node->item.name));
    }
    return names;
}

// Head and tail ends are closed and every link is mirrored by its partner.
void ExpectWellLinked(const TDList<NamedIndex>& list) {
    int seen = 0;
    TDListNode<NamedIndex>* previous = nullptr;
    for (TDListNode<NamedIndex>* node = list.Head(); node != nullptr; node = node->next) {
        EXPECT_EQ(node->prev, previous);
        previous = node;
        ++seen;
    }
    EXPECT_EQ(list.Tail(), previous);
    EXPECT_EQ(seen, list.Count());
}
}  // namespace

TEST_F(StringTest, TextIsOwnedWithOneTerminatorAndEmptyHasNone) {
    long long bytes = krLiveBytes();
    int blocks = krLiveBlocks();
    {
        Str abc("abc");
        EXPECT_EQ(abc.Length(), 3);
        EXPECT_EQ(krLiveBytes() - bytes, 4);
        EXPECT_EQ(abc.Text()[3], '\0');
        Str fromNull(static_cast<const char*>(nullptr));
        Str fromEmpty("");
        Str copyOfEmpty(fromEmpty);
        EXPECT_EQ(fromNull.Text(), nullptr);
        EXPECT_EQ(fromEmpty.Text(), nullptr);
        EXPECT_EQ(copyOfEmpty.Text(), nullptr);
        EXPECT_EQ(krLiveBlocks() - blocks, 1);

        Str assigned("something longer");
        assigned = abc;
        EXPECT_NE(assigned.Text(), abc.Text());
        Str& alias = assigned;
        assigned = alias;
        EXPECT_EQ(TextOf(assigned), "abc");
        assigned = fromEmpty;
        EXPECT_EQ(assigned.Text(), nullptr);
    }
    EXPECT_EQ(krLiveBytes(), bytes);

    // A text that cannot get its block leaves an empty string behind, not a crash.
    krFailAllocationAfter(1);
    Str starved("abc");
    EXPECT_EQ(starved.Length(), 0);
    EXPECT_EQ(starved.Text(), nullptr);
}

TEST_F(StringTest, JoiningAndComparing) {
    Str ab("ab"), cd("cd"), empty;
    EXPECT_EQ(TextOf(ab + empty), "ab");
    EXPECT_EQ(TextOf(empty + cd), "cd");
    EXPECT_EQ((empty + empty).Text(), nullptr);
    Str abcd = ab + cd;
    EXPECT_EQ(abcd.Length(), 4);
    EXPECT_EQ(TextOf(abcd), "abcd");

    Str grown;
    grown += empty;
    EXPECT_EQ(grown.Text(), nullptr);
    grown += ab;
    EXPECT_EQ(TextOf(grown), "ab");
    grown += empty;
    grown += cd;
    EXPECT_EQ(TextOf(grown), "abcd");
    grown += grown;
    EXPECT_EQ(TextOf(grown), "abcdabcd");
    EXPECT_EQ(grown.Length(), 8);

    EXPECT_TRUE(Str("Shader2d") == Str("Shader2d"));
    EXPECT_FALSE(Str("Shader2d") == Str("shader2d"));
    EXPECT_FALSE(Str("ab") == Str("abc"));
    EXPECT_FALSE(Str("abc") == Str("ab"));
    EXPECT_TRUE(Str() == Str(""));
    EXPECT_FALSE(Str() == Str("a"));
    EXPECT_TRUE(Str("\xE9t\xE9") == Str("\xE9t\xE9"));
}

TEST_F(StringTest, FindReturnsFirstWholeMatchFromStart) {
    Str abcd("abcd"), cd("cd"), empty;
    EXPECT_EQ(Find(abcd, cd, 0), 2);
    EXPECT_EQ(Find(abcd, cd, 2), 2);
    EXPECT_EQ(Find(abcd, cd, 3), -1);
    EXPECT_EQ(Find(abcd, cd, 4), -1);
    EXPECT_EQ(Find(abcd, cd, -1), -1);
    EXPECT_EQ(Find(Str("ab"), Str("abc"), 0), -1);
    EXPECT_EQ(Find(empty, Str("a"), 0), -1);
    EXPECT_EQ(Find(empty, Str("ab"), 0), -1);
    EXPECT_EQ(Find(abcd, Str("de"), 0), -1);
    EXPECT_EQ(Find(Str("abcab"), Str("abc"), 1), -1);
    EXPECT_EQ(Find(Str("aaa"), Str("aa"), 1), 1);
    EXPECT_EQ(Find(Str("xAbab"), Str("ab"), 0), 3);

    // The empty needle is found wherever the search may start.
    EXPECT_EQ(Find(abcd, empty, 0), 0);
    EXPECT_EQ(Find(abcd, empty, 4), 4);
    EXPECT_EQ(Find(abcd, empty, 5), -1);
    EXPECT_EQ(Find(empty, empty, 0), 0);
    EXPECT_EQ(Find(empty, empty, 1), -1);
}

TEST_F(ListTest, RemovingAnyNodeKeepsTheListLinked) {
    TDList<NamedIndex> list;
    list.RemoveAll();
    list.Remove(nullptr);
    EXPECT_EQ(list.Count(), 0);

    NamedIndex entry(Str("a"), 1);
    list.Append(entry);
    entry.name = Str("changed");
    list.Append(NamedIndex(Str("b"), 2));
    list.Append(NamedIndex(Str("c"), 3));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.Tail()->item.index, 3);

    list.Remove(list.Head()->next);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "c"}));
    ExpectWellLinked(list);

    list.Append(NamedIndex(Str("d"), 4));
    list.Remove(list.Tail());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "c"}));
    ExpectWellLinked(list);

    list.Remove(list.Head());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c"}));
    ExpectWellLinked(list);

    list.Remove(list.Head());
    EXPECT_EQ(list.Head(), nullptr);
    EXPECT_EQ(list.Tail(), nullptr);
    EXPECT_EQ(list.Count(), 0);

    // An emptied list takes new nodes as a fresh one does.
    list.Append(NamedIndex(Str("e"), 5));
    list.Append(NamedIndex(Str("f"), 6));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"e", "f"}));
    ExpectWellLinked(list);
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Head(), nullptr);
}
