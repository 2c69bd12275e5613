// Configuration files edited by hand, damaged, or impossible to write. Whatever a file holds,
// after the cache writes one setting the file loads again and every other setting reads as it
// did before; a file that cannot be written stays as it was and the log says why.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>

#include "kr_test_support.h"

namespace {

// Lines of hand-edited files, and (one in ten) lines the cache cannot read.
const char* const kLines[] = {"[Display]",
                              "[Engine]",
                              " [Render]\t",
                              "[Display]]",
                              "[[Display]",
                              "WindowWidth=800",
                              "Safe = 1",
                              "Safe=",
                              " DepthBufferBitDepth\t=\t24 ",
                              "Window Width=1024",
                              "Safe=2147483648",
                              "Safe=-2147483648",
                              "Safe=0x20",
                              "Safe=1;old",
                              "Key=Value=2",
                              "; comment",
                              "# [Engine]",
                              "",
                              "  ",
                              "\t\r",
                              "Safe=\x80\xFF",
                              "WindowWidth=+0800"};
const char* const kGarbled[] = {"[ ]",  "[\t]",       "[]",       "[Engine", "[Render]Safe=1",
                                "=600", "UseZBuffer", "Key\x01=1"};

// What every setting the lines can name reads as: missing, not a number, or its number.
std::string Readings(KrConfigCache& cache) {
    std::string readings;
    for (const char* section : {"Display", "Engine", "Render", "", " ", "Display]", "[Display"}) {
        for (const char* key : {"WindowWidth", "Safe", "DepthBufferBitDepth", "Window Width", "Key",
                                "UseZBuffer", ""}) {
            int value = 0;
            const bool number =
                cache.GetInteger(KrStringT<char>(section), KrStringT<char>(key), value);
            readings += std::string("[") + section + "] " + key + ": " +
                        (!cache.HasKey(section, key) ? "missing"
                         : number                    ? std::to_string(value)
                                                     : "not a number") +
                        "\n";
        }
    }
    return readings;
}

}  // namespace

TEST(ConfigurationFiles, AfterOneWriteEveryFileLoadsAgainAndReadsAsBefore) {
    std::mt19937 random(0x4B72494E);
    for (int file = 0; file < 400; ++file) {
        std::string text = random() % 8 == 0 ? "\xEF\xBB\xBF" : "";
        text += random() % 6 == 0 ? "" : "[Engine]\n";
        for (unsigned lines = random() % 12; lines > 0; --lines) {
            text += random() % 10 == 0 ? kGarbled[random() % std::size(kGarbled)]
                                       : kLines[random() % std::size(kLines)];
            text += random() % 4 == 0 ? "\r\n" : "\n";
        }
        SCOPED_TRACE(text);
        ASSERT_TRUE(krtest::WriteFile("round_trip.ini", text));
        KrConfigCache before, after;
        before.Load("round_trip.ini");
        std::string expected = Readings(before);
        ASSERT_TRUE(before.SetInteger(KrStringT<char>("Engine"), KrStringT<char>("Safe"), 1));
        const size_t safe = expected.find("[Engine] Safe: ") + 15;
        expected.replace(safe, expected.find('\n', safe) - safe, "1");
        krtest::ClearLog();
        EXPECT_TRUE(after.Load("round_trip.ini")) << krtest::Join(krtest::LogLines());
        EXPECT_EQ(expected, Readings(after));
    }
    DeleteFileA("round_trip.ini");
}

TEST(ConfigurationFiles, AFileThatCannotBeWrittenStaysWholeAndTheLogSaysWhy) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    const std::string folder = std::string(program).substr(0, std::string(program).rfind('\\'));
    const std::string old = "[Engine]\nSafe=0\n";
    // The test's fixture links full_disk.ini.tmp, where the new file is written, to /dev/full.
    const char* const rows[][2] = {
        {"read_only.ini", "replace"}, {"folder.ini", "replace"}, {"full_disk.ini", "write"}};
    for (const auto& row : rows) {
        const std::string path = folder + "\\" + row[0];
        const bool isFolder = row[0][0] == 'f' && row[0][1] == 'o';
        SCOPED_TRACE(path);
        ASSERT_TRUE(isFolder ? CreateDirectoryA(path.c_str(), nullptr)
                             : krtest::WriteFile(path, old));
        SetFileAttributesA(path.c_str(), row[0][0] == 'r' ? FILE_ATTRIBUTE_READONLY : 0);
        KrConfigCache cache;
        cache.Load(path.c_str());
        krtest::ClearLog();
        EXPECT_FALSE(cache.SetInteger(KrStringT<char>("Engine"), KrStringT<char>("Safe"), 1));
        const std::string said =
            "WARNING: Could not write configuration file " + path + " (" + row[1] + " step, error ";
        const std::vector<std::string> lines = krtest::LogLines();
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(said, lines[0].substr(0, said.size()));
        const size_t reason = lines[0].find(": ", said.size());
        EXPECT_TRUE(reason != std::string::npos && reason + 2 < lines[0].size()) << lines[0];
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((path + ".tmp").c_str()));
        EXPECT_EQ(isFolder, (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
        EXPECT_EQ(isFolder ? "" : old, krtest::ReadFile(path));
        // Not on disk, so the same value set again is written again, not taken for saved.
        EXPECT_FALSE(cache.SetInteger(KrStringT<char>("Engine"), KrStringT<char>("Safe"), 1));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        isFolder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    }
}
