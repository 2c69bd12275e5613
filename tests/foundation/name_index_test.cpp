// The name index that the texture manager and the shader cache find names with: it must give
// what a walk from position 0 gives, for every name, however the list grew or changed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation_checks.h"
#include "name_index.h"

namespace {
typedef KrStringT<char> Str;

class NameIndexTest : public FoundationTest {
  protected:
    // The owner's list, and what a walk from position 0 would find in it.
    std::vector<Str> names;
    // The list goes before the fixture counts the blocks left behind.
    void TearDown() override {
        names.clear();
        FoundationTest::TearDown();
    }
    int Walk(const Str& name) const {
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] == name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    const Str& NameAt(int i) const { return names[static_cast<size_t>(i)]; }
    int Find(const KrNameIndex& index, const Str& name) const {
        return index.Find(name, [this](int i) -> const Str& { return NameAt(i); });
    }
    void Append(KrNameIndex& index, const std::string& text) {
        names.push_back(Str(text.c_str()));
        index.Add(static_cast<int>(names.size()) - 1,
                  [this](int i) -> const Str& { return NameAt(i); });
    }
};

TEST_F(NameIndexTest, FindsTheFirstPositionOfEveryNameAsTheListGrows) {
    KrNameIndex index;
    EXPECT_EQ(-1, Find(index, Str("anything"))) << "an empty index finds nothing";
    // Names of one length that differ only in their last characters, a case and a prefix of
    // another, an empty name, and names repeated later in the list.
    for (int i = 0; i < 700; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "Media\\Textures\\lookup\\texture_%04d.png", i);
        Append(index, text);
        if (i % 7 == 0) {
            Append(index, "Media\\Textures\\lookup\\texture_0000.png");
        }
    }
    Append(index, "MEDIA\\TEXTURES\\LOOKUP\\TEXTURE_0001.PNG");
    Append(index, "Media\\Textures\\lookup\\texture_0001");
    Append(index, "");
    Append(index, "Media\\Textures\\lookup\\texture_0002.png");
    for (const Str& name : names) {
        ASSERT_EQ(Walk(name), Find(index, name)) << name.Text();
    }
    EXPECT_EQ(-1, Find(index, Str("Media\\Textures\\lookup\\texture_0700.png")));
    EXPECT_EQ(-1, Find(index, Str("media\\textures\\lookup\\texture_0001.png")));
    EXPECT_EQ(-1, Find(index, Str("Media\\Textures\\lookup\\texture_0001.pn")));

    // A copy answers alike and stays its own when the original is cleared.
    KrNameIndex copy = index;
    index.Clear();
    EXPECT_EQ(-1, Find(index, names[5]));
    EXPECT_EQ(Walk(names[5]), Find(copy, names[5]));
}

TEST_F(NameIndexTest, RebuildFollowsAPositionThatChangedItsName) {
    KrNameIndex index;
    Append(index, "a.bmp");
    Append(index, "b.bmp");
    Append(index, "missing.bmp");
    // The last entry takes a new name, as a reused entry of the texture manager does.
    names[2] = Str("floor.tga");
    index.Rebuild(static_cast<int>(names.size()),
                  [this](int i) -> const Str& { return NameAt(i); });
    EXPECT_EQ(2, Find(index, Str("floor.tga")));
    EXPECT_EQ(-1, Find(index, Str("missing.bmp")));
    EXPECT_EQ(1, Find(index, Str("b.bmp")));
    // A later duplicate of a renamed name is found once the earlier one is gone.
    Append(index, "b.bmp");
    names[1] = Str("c.bmp");
    index.Rebuild(static_cast<int>(names.size()),
                  [this](int i) -> const Str& { return NameAt(i); });
    EXPECT_EQ(3, Find(index, Str("b.bmp")));
    EXPECT_EQ(1, Find(index, Str("c.bmp")));
}

}  // namespace
