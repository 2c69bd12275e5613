// Bad shader texts: a thousand generated texts through the shader cache. Whatever the assembler
// makes of them, nothing crashes, every failure is reported in full, the cache lists stay
// parallel, and no text is assembled twice.
#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include "shader_device.h"

namespace {
// Programs of the kind the experimental paths hand to the cache, as extra seeds.
const char* const kPathTexts[] = {
    "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_texcoord0 v8\nm4x4 oPos, v0, c0\nmov oD0, v1\n"
    "mov oT0, v8\n",
    "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_normal v2\ndcl_texcoord0 v3\ndcl_texcoord1 v4\n"
    "m4x4 oPos, v0, c0\ndp3  r0, v2, c12\nmul  r1, r0, c11\nmul r2, r0, v1\nadd oD0, r1, r2\n"
    "mov  oT0, v3\nadd r3, v4, c7\nmov  oT1, r3\n",
    "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_normal v2\ndcl_texcoord0 v3\nm4x4 oPos, v0, c0\n"
    "add r3, v0, -c13\ndp3 r3.w, r3, r3\nrsq r3.w, r3.w\nmul r3, r3, r3.w\nm4x4 r4, r3, c4\n"
    "mov  oT0, v3\nmov  oT1, r4\n",
};
const char* const kTokens[] = {"vs.1.1", "vs_2_0", "ps.1.1",  "dcl_position0", "dcl_normal",
                               "oPos",   "c255",   "v17",     "m4x4",          ",",
                               ";",      "\n",     "r0.xyzw", "-c13",          "//"};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

class BadTextGenerator {
  public:
    BadTextGenerator(std::vector<std::string> seeds)
        : seeds_(std::move(seeds)), random_(20261205) {}

    std::string Next(const std::vector<std::string>& earlier) {
        const std::string& seed = seeds_[Below(seeds_.size())];
        switch (Below(8)) {
            case 0:
                return seed.substr(0, Below(seed.size() + 1));
            case 1: {
                std::vector<std::string> lines = Lines(seed);
                std::shuffle(lines.begin(), lines.end(), random_);
                return Joined(lines);
            }
            case 2: {
                std::vector<std::string> lines = Lines(seed);
                size_t at = Below(lines.size());
                if (Below(2) == 0) {
                    lines.erase(lines.begin() + static_cast<long>(at));
                } else {
                    lines.insert(lines.begin() + static_cast<long>(at), lines[Below(lines.size())]);
                }
                return Joined(lines);
            }
            case 3: {
                std::string text = seed;
                for (size_t n = 1 + Below(4); n > 0 && !text.empty(); --n) {
                    text[Below(text.size())] = static_cast<char>(32 + Below(95));
                }
                return text;
            }
            case 4: {
                std::string text(Below(200), '\0');
                for (char& c : text) {
                    c = static_cast<char>(Below(256));
                }
                return text;
            }
            case 5: {
                std::vector<std::string> lines = Lines(seed);
                std::string& line = lines[Below(lines.size())];
                line.insert(Below(line.size() + 1),
                            kTokens[Below(sizeof kTokens / sizeof *kTokens)]);
                return Joined(lines);
            }
            case 6:
                return seed;
            default:
                return earlier.empty() ? seed : earlier[Below(earlier.size())];
        }
    }

  private:
    size_t Below(size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(random_);
    }

    std::vector<std::string> seeds_;
    std::mt19937 random_;
};

// What a call may write: nothing for a cache hit; for a new text the failure report of its
// assembly or shader creation (when it failed), then possibly the declaration's failure.
::testing::AssertionResult ReportedInFull(const std::string& text, bool result,
                                          const std::vector<std::string>& lines) {
    const std::string printed = text.c_str();  // the log stops at an embedded terminator
    size_t at = 0;
    if (!result) {
        if (lines.size() >= 2 && lines[0] == "ERROR: Failed to assemble shader:\n\t" + printed &&
            lines[1].compare(0, 16, "ERROR: Failed - ") == 0 && lines[1].size() > 16) {
            at = 2;
        } else if (!lines.empty() && lines[0] == "ERROR: Failed to compile shader:\n\t" + printed) {
            at = 1;
        } else {
            return ::testing::AssertionFailure() << "failure without its report:\n"
                                                 << krtest::Join(lines);
        }
    }
    if (at < lines.size() && lines[at] == "ERROR: CreateVertexDeclaration failed") {
        ++at;
    }
    if (at != lines.size()) {
        return ::testing::AssertionFailure() << "unexpected lines:\n" << krtest::Join(lines);
    }
    return ::testing::AssertionSuccess();
}
}  // namespace

TEST_F(ShaderDeviceTest, ShaderCacheSurvivesBadTextsAndAssemblesEachOnce) {
    ASSERT_TRUE(KrD3DRenDevProbe::CreateDefaultShaders(*dev));
    std::vector<std::string> seeds;
    for (int i = 0; i < KrD3DRenDevProbe::SourceCount(*dev); ++i) {
        seeds.push_back(KrD3DRenDevProbe::Source(*dev, i));
    }
    seeds.insert(seeds.end(), std::begin(kPathTexts), std::end(kPathTexts));
    std::set<std::string> distinct(seeds.begin(), seeds.begin() + 4);
    AssemblerSeam::calls = 0;
    AssemblerSeam::texts.clear();

    BadTextGenerator generator(seeds);
    std::vector<std::string> texts;
    texts.push_back("");
    std::string huge;
    while (huge.size() < 64 * 1024) {
        huge += seeds[huge.size() % seeds.size()] + "; padding comment line\n";
    }
    texts.push_back(huge.substr(0, 64 * 1024));
    while (texts.size() < 1000) {
        texts.push_back(generator.Next(texts));
    }

    int failures = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string& text = texts[i];
        bool known = distinct.count(text) != 0;
        int assembled = AssemblerSeam::calls;
        krtest::ClearLog();
        IDirect3DVertexShader9* shader = nullptr;
        IDirect3DVertexDeclaration9* declaration = nullptr;
        bool result = Compile(text, &shader, &declaration);
        std::vector<std::string> lines = krtest::LogLines();
        if (known) {
            EXPECT_TRUE(result) << "text " << i;
            EXPECT_EQ(assembled, AssemblerSeam::calls) << "text " << i << " assembled again";
            EXPECT_TRUE(lines.empty()) << "text " << i << krtest::Join(lines);
        } else {
            EXPECT_EQ(assembled + 1, AssemblerSeam::calls) << "text " << i;
            EXPECT_TRUE(ReportedInFull(text, result, lines)) << "text " << i;
            distinct.insert(text);
        }
        failures += result ? 0 : 1;
        ASSERT_EQ(static_cast<int>(distinct.size()), KrD3DRenDevProbe::SourceCount(*dev));
        ASSERT_EQ(KrD3DRenDevProbe::SourceCount(*dev), KrD3DRenDevProbe::ShaderCount(*dev));
        ASSERT_EQ(KrD3DRenDevProbe::SourceCount(*dev), KrD3DRenDevProbe::DeclarationCount(*dev));
    }
    EXPECT_EQ(static_cast<int>(distinct.size()) - 4, AssemblerSeam::calls);
    std::set<std::string> assembledTexts(AssemblerSeam::texts.begin(), AssemblerSeam::texts.end());
    EXPECT_EQ(AssemblerSeam::texts.size(), assembledTexts.size()) << "a text was assembled twice";
    // The generator must really have produced both kinds of text.
    EXPECT_GT(failures, 100);
    EXPECT_LT(failures, 900);
}
