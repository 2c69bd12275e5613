// The configuration cache: integers by section and key in an INI file that is written through on
// every change and must stay whole on disk whatever happens between two writes.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "kr_test_support.h"

namespace {
typedef KrStringT<char> Str;

const char* kPath = "engine_config_test.ini";
const std::string kTemp = std::string(kPath) + ".tmp";

bool Get(KrConfigCache& cache, const char* section, const char* key, int& value) {
    return cache.GetInteger(Str(section), Str(key), value);
}
bool Set(KrConfigCache& cache, const char* section, const char* key, int value) {
    return cache.SetInteger(Str(section), Str(key), value);
}

// The value a fresh cache reads back from the file, or `missing` when it cannot.
int Reloaded(const char* section, const char* key, int missing = INT_MIN) {
    KrConfigCache fresh;
    int value = missing;
    if (!fresh.Load(kPath) || !Get(fresh, section, key, value)) {
        return missing;
    }
    return value;
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class ConfigCacheTest : public testing::Test {
  protected:
    void SetUp() override {
        Remove();
        krtest::ClearLog();
    }
    void TearDown() override { Remove(); }
    static void Remove() {
        std::remove(kPath);
        std::remove(kTemp.c_str());
        RemoveDirectoryA(kTemp.c_str());
    }
};
}  // namespace

TEST_F(ConfigCacheTest, EverySetIntegerIsOnDiskForTheNextLoad) {
    KrConfigCache cache;
    EXPECT_FALSE(cache.Load(kPath));
    EXPECT_EQ(krtest::LogLines().size(), 1u) << "a missing file is said once";
    int value = 0;
    EXPECT_FALSE(Get(cache, "Display", "WindowWidth", value));

    EXPECT_TRUE(Set(cache, "Display", "WindowWidth", 1024));
    EXPECT_EQ(Reloaded("Display", "WindowWidth"), 1024);
    EXPECT_TRUE(Set(cache, "Engine", "Safe", 1));
    EXPECT_TRUE(Set(cache, "Display", "WindowWidth", 800));
    EXPECT_TRUE(Set(cache, "Render", "Lowest", INT_MIN));
    EXPECT_TRUE(Set(cache, "Render", "Highest", INT_MAX));
    EXPECT_EQ(Reloaded("Display", "WindowWidth"), 800);
    EXPECT_EQ(Reloaded("Engine", "Safe"), 1);
    EXPECT_EQ(Reloaded("Render", "Lowest", 0), INT_MIN);
    EXPECT_EQ(Reloaded("Render", "Highest"), INT_MAX);
    EXPECT_EQ(Reloaded("render", "Highest", 7), 7) << "sections are case-sensitive";

    // Plain INI: one section header each, key=value lines, in the order they were first set.
    EXPECT_EQ(krtest::ReadFile(kPath),
              "[Display]\nWindowWidth=800\n\n[Engine]\nSafe=1\n\n[Render]\nLowest=-2147483648\n"
              "Highest=2147483647\n\n");

    // Names that could not be read back as themselves are refused with a line; the file stays.
    std::string before = krtest::ReadFile(kPath);
    krtest::ClearLog();
    EXPECT_FALSE(Set(cache, "Display", "Width=1", 5));
    EXPECT_FALSE(Set(cache, "Dis]play", "Width", 5));
    EXPECT_FALSE(Set(cache, "Display", "", 5));
    EXPECT_FALSE(Set(cache, "Display", "two\nlines", 5));
    EXPECT_EQ(krtest::LogLines().size(), 4u) << krtest::Join(krtest::LogLines());
    EXPECT_EQ(krtest::ReadFile(kPath), before);

    // Files written by hand on Windows: a byte-order mark, CRLF, blanks and comments.
    krtest::WriteFile(kPath,
                      "\xEF\xBB\xBF; settings\r\n[Display]\r\n  WindowWidth = 640 \r\n"
                      "# none\r\n\r\n[Engine]\r\nSafe=+1\r\n");
    EXPECT_EQ(Reloaded("Display", "WindowWidth"), 640);
    EXPECT_EQ(Reloaded("Engine", "Safe"), 1);
}

TEST_F(ConfigCacheTest, TheFileOnDiskIsAlwaysWhole) {
    krtest::WriteFile(kPath, "[Display]\nWindowWidth=800\n");
    // What a crash in the middle of the previous write leaves behind: half a temporary file.
    krtest::WriteFile(kTemp, "[Display]\nWindowWidth=99\n[Eng");
    KrConfigCache cache;
    ASSERT_TRUE(cache.Load(kPath));
    int value = 0;
    EXPECT_TRUE(Get(cache, "Display", "WindowWidth", value));
    EXPECT_EQ(value, 800) << "the temporary file was read";

    EXPECT_TRUE(Set(cache, "Engine", "Safe", 1));
    EXPECT_EQ(GetFileAttributesA(kTemp.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the stale temporary file is still there";
    EXPECT_EQ(krtest::ReadFile(kPath), "[Display]\nWindowWidth=800\n\n[Engine]\nSafe=1\n\n");

    // After each of many writes the file parses completely and holds every value so far.
    for (int i = 0; i < 24; ++i) {
        std::string key = "Key" + std::to_string(i);
        ASSERT_TRUE(Set(cache, i % 2 ? "Render" : "Display", key.c_str(), i * 7));
        KrConfigCache fresh;
        ASSERT_TRUE(fresh.Load(kPath)) << "after write " << i;
        for (int j = 0; j <= i; ++j) {
            std::string earlier = "Key" + std::to_string(j);
            EXPECT_TRUE(Get(fresh, j % 2 ? "Render" : "Display", earlier.c_str(), value));
            EXPECT_EQ(value, j * 7);
        }
    }

    // A write that cannot reach its temporary file fails with one line and leaves the file alone.
    std::string whole = krtest::ReadFile(kPath);
    ASSERT_TRUE(CreateDirectoryA(kTemp.c_str(), nullptr));
    krtest::ClearLog();
    EXPECT_FALSE(Set(cache, "Engine", "Safe", 0));
    EXPECT_EQ(krtest::LogLines().size(), 1u) << krtest::Join(krtest::LogLines());
    EXPECT_EQ(krtest::ReadFile(kPath), whole);
    EXPECT_EQ(Reloaded("Engine", "Safe"), 1);
}

TEST_F(ConfigCacheTest, GarbledFilesGiveOneLineAndAnEmptyCache) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        junk += static_cast<char>((i * 7919 + 13) & 0xFF);
    }
    const std::string good = "[Display]\nWindowWidth=800\n";
    const std::vector<std::pair<std::string, int>> garbled = {
        {junk, 1},
        {good + std::string(1 << 20, 'x') + "\n[Engine]\nSafe=1\n", 3},
        {good + "WindowHeight\n", 3},
        {"WindowWidth=800\n[Display]\n", 1},
        {good + "=600\n", 3},
        {good + "[Engine\nSafe=1\n", 3},
        {good + "[]\n", 3},
        {good + std::string("Window\0Height=600\n", 18), 3},
    };
    for (size_t i = 0; i < garbled.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "garbled file " << i);
        krtest::WriteFile(kPath, garbled[i].first);
        krtest::ClearLog();
        KrConfigCache cache;
        EXPECT_FALSE(cache.Load(kPath));
        int value = 0;
        EXPECT_FALSE(Get(cache, "Display", "WindowWidth", value));
        std::vector<std::string> lines = krtest::LogLines();
        ASSERT_EQ(lines.size(), 1u) << krtest::Join(lines);
        EXPECT_EQ(lines[0], "WARNING: Configuration file " + std::string(kPath) +
                                " is garbled at line " + std::to_string(garbled[i].second) +
                                ", starting with an empty configuration");
        // The next write starts the file afresh.
        EXPECT_TRUE(Set(cache, "Engine", "Safe", 1));
        EXPECT_EQ(krtest::ReadFile(kPath), "[Engine]\nSafe=1\n\n");
    }
}

TEST_F(ConfigCacheTest, ReadableOddFilesKeepTheLastWordAndRefuseNonNumbers) {
    // A section written twice continues the first; a key written twice keeps its last value.
    krtest::WriteFile(kPath,
                      "[Display]\nWindowWidth=640\n[Engine]\nSafe=0\n[Display]\nWindowWidth=800\n"
                      "WindowHeight=600\nWindowHeight=480\n; " +
                          std::string(1 << 20, 'c') + "\n");
    KrConfigCache cache;
    ASSERT_TRUE(cache.Load(kPath));
    int value = 0;
    EXPECT_TRUE(Get(cache, "Display", "WindowWidth", value));
    EXPECT_EQ(value, 800);
    EXPECT_TRUE(Get(cache, "Display", "WindowHeight", value));
    EXPECT_EQ(value, 480);
    EXPECT_TRUE(Set(cache, "Engine", "Safe", 1));
    std::string text = krtest::ReadFile(kPath);
    EXPECT_EQ(Occurrences(text, "[Display]"), 1u) << text;
    EXPECT_EQ(Occurrences(text, "WindowHeight="), 1u) << text;

    // A value that is not a whole number in range is not an integer: one line per request.
    krtest::WriteFile(kPath,
                      "[Display]\nWindowWidth=wide\nWindowHeight=600px\nDepth=99999999999\n"
                      "Blank=\nScreenWidth=1024\n");
    ASSERT_TRUE(cache.Load(kPath));
    for (const char* key : {"WindowWidth", "WindowHeight", "Depth", "Blank"}) {
        krtest::ClearLog();
        value = 42;
        EXPECT_FALSE(Get(cache, "Display", key, value)) << key;
        EXPECT_EQ(value, 42) << key;
        EXPECT_EQ(krtest::LogLines().size(), 1u) << key;
    }
    EXPECT_TRUE(Get(cache, "Display", "ScreenWidth", value));
    EXPECT_EQ(value, 1024);
}
