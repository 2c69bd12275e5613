// Garbled configuration files through the configuration cache and through a device's start.
// Each file is built line by line from pieces whose effect is known as they are chosen (a
// section, a setting, a comment, a line the cache cannot read), so every case knows what the
// cache must make of it: the garbled line and an empty cache, or each setting's number, or the
// "not a whole number" line and the value the device assumes in its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <utility>

#include "bad_input.h"
#include "running_device.h"

namespace {

typedef std::pair<std::string, std::string> Key;  // section, key

struct Value {
    std::string text;
    bool number;
    int parsed;
};

struct Line {
    enum Type { kSection, kSetting, kNeutral, kGarbled } type;
    std::string text;
    std::string name;  // section or key
    Value value;
};

const Value kNumbers[] = {
    {"800", true, 800},
    {"600", true, 600},
    {"1024", true, 1024},
    {"768", true, 768},
    {"0", true, 0},
    {"1", true, 1},
    {"+1", true, 1},
    {"-1", true, -1},
    {"0800", true, 800},
    {"-800", true, -800},
    {"2147483647", true, INT_MAX},
    {"-2147483648", true, INT_MIN},
    {"000000000024", true, 24},
};
const Value kNonNumbers[] = {
    {"", false, 0},
    {"wide", false, 0},
    {"600px", false, 0},
    {"0x20", false, 0},
    {"1e3", false, 0},
    {"99999999999", false, 0},
    {"2147483648", false, 0},
    {"-2147483649", false, 0},
    {"8 00", false, 0},
    {"+", false, 0},
    {"--5", false, 0},
    {"1.5", false, 0},
    {"0000000000024", false, 0},
    {"800;old", false, 0},
    {"\xEF\xBC\x98\xEF\xBC\x90", false, 0},
    {"\x80\xFF", false, 0},
    {"=800", false, 0},
};

struct ModuleKey {
    const char* section;
    const char* key;
    Value normal;
};
// Every setting the device reads, with the value of an ordinary configuration.
const ModuleKey kModuleKeys[] = {
    {"Display", "StartFullScreen", {"0", true, 0}},
    {"Display", "WindowWidth", {"800", true, 800}},
    {"Display", "WindowHeight", {"600", true, 600}},
    {"Display", "ScreenWidth", {"1024", true, 1024}},
    {"Display", "ScreenHeight", {"768", true, 768}},
    {"Engine", "Safe", {"0", true, 0}},
    {"Render", "UseZBuffer", {"1", true, 1}},
    {"Render", "UseWBuffer", {"0", true, 0}},
    {"Render", "DepthBufferBitDepth", {"24", true, 24}},
};
const char* const kSections[] = {"Display", "Engine", "Render"};

std::string Digits(size_t count) {
    std::string text(count, '0');
    for (size_t i = 0; i < count; ++i) {
        text[i] = static_cast<char>('1' + i % 9);
    }
    return text;
}

Line Section(const std::string& name, badinput::Seeded& random) {
    const char* before[] = {"[", "  [", "[ ", "\t["};
    const char* after[] = {"]", "] ", " ]\r", "]\t"};
    return {Line::kSection, random.Pick(before) + name + random.Pick(after), name, {}};
}

Line Setting(const std::string& key, const Value& value, badinput::Seeded& random) {
    const char* equals[] = {"=", " = ", "\t=\t", "= "};
    const char* end[] = {"", "\r", "  ", "\t"};
    return {Line::kSetting, key + random.Pick(equals) + value.text + random.Pick(end), key, value};
}

Line Neutral(badinput::Seeded& random) {
    const char* lines[] = {"", "   ", "\t\r", "; a comment", "# [Engine]", "  ;Safe=1", ";"};
    return {Line::kNeutral, random.Pick(lines), "", {}};
}

// A line the cache cannot read: control bytes, a key with no '=', no key before the '=', a
// section header that is not closed or names nothing.
Line Garbled(badinput::Seeded& random) {
    switch (random.Below(4)) {
        case 0: {
            std::string junk(1 + random.Below(200), '\0');
            for (char& c : junk) {
                do {
                    c = static_cast<char>(random.Byte());
                } while (c == '\n');
            }
            const char controls[] = {'\0', '\x01', '\x08', '\x0B', '\x0C', '\x1B', '\x1F'};
            junk[random.Below(junk.size())] = random.Pick(controls);
            return {Line::kGarbled, junk, "", {}};
        }
        case 1: {
            const char* keys[] = {"WindowHeight", "Safe", "Use Z Buffer", "800"};
            return {Line::kGarbled, random.Pick(keys), "", {}};
        }
        case 2:
            return {Line::kGarbled, random.OneIn(2) ? "=600" : "  = 1", "", {}};
        default: {
            const char* headers[] = {"[Engine", "[]", "[ ]", "[Render]Safe=1", "[\t]"};
            return {Line::kGarbled, random.Pick(headers), "", {}};
        }
    }
}

// What the cache must make of a file.
struct Expectation {
    int garbledAt = 0;  // the first line it cannot read, 1-based; 0 when it reads them all
    std::map<Key, Value> settings;
};

struct ConfigFile {
    std::string kind;
    std::vector<Line> lines;
    bool byteOrderMark = false;
    bool finalLineBreak = true;

    std::string Text() const {
        std::string text = byteOrderMark ? "\xEF\xBB\xBF" : "";
        for (size_t i = 0; i < lines.size(); ++i) {
            text += lines[i].text;
            if (i + 1 < lines.size() || finalLineBreak) {
                text += "\n";
            }
        }
        return text;
    }

    // The file read line by line: settings land in the section above them (a section named
    // again continues), the last word for a key stands, and the first unreadable line ends it.
    Expectation Expected() const {
        Expectation expected;
        std::string section;
        bool inSection = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            if (line.type == Line::kGarbled || (line.type == Line::kSetting && !inSection)) {
                expected.garbledAt = static_cast<int>(i) + 1;
                expected.settings.clear();
                return expected;
            }
            if (line.type == Line::kSection) {
                section = line.name;
                inSection = true;
            } else if (line.type == Line::kSetting) {
                expected.settings[Key(section, line.name)] = line.value;
            }
        }
        return expected;
    }
};

// An ordinary configuration: the three sections with every setting the device reads.
std::vector<Line> Ordinary(badinput::Seeded& random) {
    std::vector<Line> lines;
    for (const char* section : kSections) {
        lines.push_back(Section(section, random));
        for (const ModuleKey& key : kModuleKeys) {
            if (std::string(key.section) == section) {
                lines.push_back(Setting(key.key, key.normal, random));
            }
        }
        lines.push_back(Neutral(random));
    }
    return lines;
}

size_t SettingLine(const std::vector<Line>& lines, badinput::Seeded& random) {
    std::vector<size_t> settings;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].type == Line::kSetting) {
            settings.push_back(i);
        }
    }
    return settings.empty() ? lines.size() : settings[random.Below(settings.size())];
}

void Insert(std::vector<Line>& lines, const Line& line, badinput::Seeded& random) {
    lines.insert(lines.begin() + static_cast<long>(random.Below(lines.size() + 1)), line);
}

// Device cases keep every setting where a device start has one certain outcome: windowed,
// the ordinary depth settings, sizes that either fit the adapter's modes or fit none.
enum class Use { kCache, kDevice };

Value NumberFor(const std::string& key, Use use, badinput::Seeded& random) {
    if (use == Use::kCache) {
        return random.Pick(kNumbers);
    }
    if (key == "WindowWidth" || key == "WindowHeight") {
        const Value sizes[] = {{"800", true, 800},   {"600", true, 600},
                               {"1024", true, 1024}, {"768", true, 768},
                               {"640", true, 640},   {"-800", true, -800},
                               {"0", true, 0},       {"2147483647", true, INT_MAX}};
        return random.Pick(sizes);
    }
    if (key == "Safe") {
        const Value safe[] = {{"0", true, 0}, {"1", true, 1}, {"-1", true, -1}};
        return random.Pick(safe);
    }
    for (const ModuleKey& module : kModuleKeys) {
        if (key == module.key) {
            return module.normal;
        }
    }
    return random.Pick(kNumbers);
}

// One edit of the kind the case is named for.
void Edit(const std::string& kind, std::vector<Line>& lines, Use use, badinput::Seeded& random) {
    if (kind == "binary junk") {
        Insert(lines, Garbled(random), random);
        lines[random.Below(lines.size())] = Garbled(random);
    } else if (kind == "1 MiB lines") {
        const size_t mib = 1 << 20;
        switch (random.Below(4)) {
            case 0:
                Insert(lines, {Line::kNeutral, "; " + std::string(mib, 'c'), "", {}}, random);
                break;
            case 1: {
                size_t at = SettingLine(lines, random);
                if (at < lines.size()) {
                    lines[at] = Setting(lines[at].name, {Digits(mib), false, 0}, random);
                }
                break;
            }
            case 2:
                Insert(lines, {Line::kGarbled, std::string(mib, 'x'), "", {}}, random);
                break;
            default:
                Insert(lines, Section(std::string(mib, 's'), random), random);
                break;
        }
    } else if (kind == "keys without values") {
        size_t at = SettingLine(lines, random);
        if (at < lines.size()) {
            if (use == Use::kCache && random.OneIn(3)) {
                lines[at] = {Line::kGarbled, lines[at].name, "", {}};
            } else {
                lines[at] = Setting(lines[at].name, {"", false, 0}, random);
            }
        }
    } else if (kind == "duplicate sections") {
        const char* section = random.Pick(kSections);
        std::vector<Line> again = {Section(section, random)};
        for (const ModuleKey& key : kModuleKeys) {
            if (std::string(key.section) == section && random.OneIn(2)) {
                again.push_back(Setting(key.key, NumberFor(key.key, use, random), random));
            }
        }
        size_t at = random.Below(lines.size() + 1);
        // Between two sections, as a file edited by hand has it.
        while (at < lines.size() && lines[at].type == Line::kSetting) {
            ++at;
        }
        lines.insert(lines.begin() + static_cast<long>(at), again.begin(), again.end());
    } else if (kind == "non-numeric values") {
        size_t at = SettingLine(lines, random);
        if (at < lines.size()) {
            bool number = random.OneIn(3);
            Value value =
                number ? NumberFor(lines[at].name, use, random) : random.Pick(kNonNumbers);
            // Device cases start windowed: a full-screen switch is another test's business.
            if (use == Use::kDevice && lines[at].name == "StartFullScreen" && value.number) {
                value = {"0", true, 0};
            }
            lines[at] = Setting(lines[at].name, value, random);
        }
    }
}

const char* const kKinds[] = {"binary junk", "1 MiB lines", "keys without values",
                              "duplicate sections", "non-numeric values"};

ConfigFile Generate(Use use, badinput::Seeded& random) {
    ConfigFile file;
    file.lines = Ordinary(random);
    file.kind = random.Pick(kKinds);
    size_t edits = 1 + random.Below(3);
    for (size_t i = 0; i < edits; ++i) {
        Edit(file.kind, file.lines, use, random);
    }
    // Now and then another kind's damage as well.
    if (random.OneIn(4)) {
        Edit(random.Pick(kKinds), file.lines, use, random);
    }
    file.byteOrderMark = random.OneIn(8);
    file.finalLineBreak = !random.OneIn(6);
    return file;
}

std::string GarbledLine(const std::string& path, int line) {
    return "WARNING: Configuration file " + path + " is garbled at line " + std::to_string(line) +
           ", starting with an empty configuration";
}

std::string NotANumberLine(const std::string& section, const std::string& key) {
    return "WARNING: Configuration value " + key + " in section " + section +
           " is not a whole number";
}

// Every setting the expectation holds, and every setting the device reads, asked of the cache:
// the number, or false with no line when missing, or false with its line when not a number.
void CheckSettings(KrConfigCache& cache, const Expectation& expected) {
    std::map<Key, Value> asked = expected.settings;
    for (const ModuleKey& key : kModuleKeys) {
        asked.emplace(Key(key.section, key.key), Value{"(missing)", false, 0});
    }
    for (const auto& setting : asked) {
        const Key& key = setting.first;
        bool present = expected.settings.count(key) != 0;
        krtest::ClearLog();
        int value = 12345;
        bool found = cache.GetInteger(KrStringT<char>(key.first.c_str()),
                                      KrStringT<char>(key.second.c_str()), value);
        std::vector<std::string> lines = krtest::LogLines();
        SCOPED_TRACE("[" + key.first.substr(0, 40) + "] " + key.second.substr(0, 40));
        if (present && setting.second.number) {
            EXPECT_TRUE(found);
            EXPECT_EQ(setting.second.parsed, value);
            EXPECT_TRUE(lines.empty()) << krtest::Join(lines);
        } else {
            EXPECT_FALSE(found);
            EXPECT_EQ(12345, value) << "a refused value was stored";
            std::vector<std::string> said;
            if (present) {
                said.push_back(NotANumberLine(key.first, key.second));
            }
            EXPECT_TRUE(lines == said) << krtest::Join(lines);
        }
    }
}

}  // namespace

TEST(BadConfigurationFiles, TheCacheReadsEachFileAsItsLinesSayAndWritesItBackWhole) {
    badinput::ScratchFolder folder("config");
    const std::string path = folder.File("garbled.ini");
    badinput::Seeded random(0x4B72494E49ull);
    badinput::Tally tally;
    const int blocks = krLiveBlocks();

    std::vector<ConfigFile> files;
    for (int i = 0; i < 450; ++i) {
        files.push_back(Generate(Use::kCache, random));
    }
    for (const ConfigFile& file : files) {
        const std::string text = file.Text();
        Expectation expected = file.Expected();
        badinput::CurrentCase() = file.kind + ": " + text.substr(0, 200);
        SCOPED_TRACE(badinput::CurrentCase());
        ASSERT_TRUE(krtest::WriteFile(path, text));

        KrConfigCache cache;
        krtest::ClearLog();
        bool loaded = cache.Load(path.c_str());
        std::vector<std::string> lines = krtest::LogLines();
        if (expected.garbledAt > 0) {
            EXPECT_FALSE(loaded);
            EXPECT_TRUE(lines == std::vector<std::string>{GarbledLine(path, expected.garbledAt)})
                << krtest::Join(lines);
        } else {
            EXPECT_TRUE(loaded);
            EXPECT_TRUE(lines.empty()) << krtest::Join(lines);
        }
        CheckSettings(cache, expected);

        // The first write puts a whole file on disk, which reads back as everything the cache
        // held, whatever the file looked like before.
        krtest::ClearLog();
        EXPECT_TRUE(cache.SetInteger(KrStringT<char>("Engine"), KrStringT<char>("Safe"), 1));
        expected.settings[Key("Engine", "Safe")] = Value{"1", true, 1};
        expected.garbledAt = 0;
        KrConfigCache reread;
        EXPECT_TRUE(reread.Load(path.c_str())) << krtest::Join(krtest::LogLines());
        CheckSettings(reread, expected);
        tally.Count(file.kind, loaded ? "read" : "garbled");
    }
    krtest::ClearLog();
    EXPECT_EQ(blocks, krLiveBlocks());

    // Bytes with no lines in them at all: read or refused, but said as it is.
    for (int i = 0; i < 50; ++i) {
        std::string junk(1 + random.Below(4096), '\0');
        for (char& c : junk) {
            c = static_cast<char>(random.Byte());
        }
        badinput::CurrentCase() = "binary junk, whole file " + std::to_string(i);
        ASSERT_TRUE(krtest::WriteFile(path, junk));
        KrConfigCache cache;
        krtest::ClearLog();
        bool loaded = cache.Load(path.c_str());
        std::vector<std::string> lines = krtest::LogLines();
        if (loaded) {
            EXPECT_TRUE(lines.empty());
        } else {
            ASSERT_EQ(1u, lines.size());
            EXPECT_EQ(0u, lines[0].find("WARNING: Configuration file " + path + " is garbled"));
        }
        int value = 0;
        krtest::ClearLog();
        for (const ModuleKey& key : kModuleKeys) {
            cache.GetInteger(KrStringT<char>(key.section), KrStringT<char>(key.key), value);
        }
        EXPECT_TRUE(loaded || krtest::LogLines().empty()) << "a refused file left settings";
        tally.Count("binary junk, whole file", loaded ? "read" : "garbled");
    }
    tally.Print("configuration files through the cache");
    EXPECT_GE(tally.Total(), 500);
}

TEST(BadConfigurationFiles, TheDeviceStartsOrFailsAsTheSettingsItCanReadSay) {
    badinput::Seeded random(0x4B72496E6974ull);
    badinput::Tally tally;
    for (int i = 0; i < 30; ++i) {
        ConfigFile file = Generate(Use::kDevice, random);
        const std::string text = file.Text();
        Expectation expected = file.Expected();
        badinput::CurrentCase() = "device start, " + file.kind + ": " + text.substr(0, 300);
        SCOPED_TRACE(badinput::CurrentCase());

        // What the device asks for: the window size, 800x600 in safe mode; a setting it cannot
        // read is taken as missing, and a missing one as the ordinary value.
        auto setting = [&](const char* section, const char* key, int missing) {
            auto found = expected.settings.find(Key(section, key));
            return found != expected.settings.end() && found->second.number ? found->second.parsed
                                                                            : missing;
        };
        int wantedWidth = setting("Display", "WindowWidth", 800);
        int wantedHeight = setting("Display", "WindowHeight", 600);
        if (setting("Engine", "Safe", 0) > 0) {
            wantedWidth = 800;
            wantedHeight = 600;
        }
        // The smallest mode the device keeps is 800x600, which Wine's desktop offers.
        bool fits = wantedWidth >= 800 && wantedHeight >= 600;

        krtest::ClearLog();
        std::string iniPath;
        std::string written;
        bool started = false;
        std::vector<std::string> lines;
        {
            krtest::RunningDevice running(nullptr, text);
            iniPath = running.IniPath();
            started = running.Start();
            lines = krtest::LogLines();
            running.Stop();
            EXPECT_EQ(running.BlocksAtStart(), krLiveBlocks()) << "host memory leaked";
            written = krtest::ReadFile(iniPath);
        }
        std::string log = krtest::Join(lines);
        EXPECT_EQ(fits, started) << log;

        if (expected.garbledAt > 0) {
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(GarbledLine(iniPath, expected.garbledAt), lines[0]);
        }
        for (const ModuleKey& key : kModuleKeys) {
            auto found = expected.settings.find(Key(key.section, key.key));
            bool refused = found != expected.settings.end() && !found->second.number;
            bool said = std::find(lines.begin(), lines.end(),
                                  NotANumberLine(key.section, key.key)) != lines.end();
            EXPECT_EQ(refused, said) << key.key << "\n" << log;
        }

        // The file the device leaves behind reads whole, with safe mode set as the start went.
        ASSERT_TRUE(krtest::WriteFile(iniPath, written));
        KrConfigCache after;
        krtest::ClearLog();
        EXPECT_TRUE(after.Load(iniPath.c_str())) << krtest::Join(krtest::LogLines());
        std::remove(iniPath.c_str());
        int safe = -1, width = -1, height = -1;
        EXPECT_TRUE(after.GetInteger(KrStringT<char>("Engine"), KrStringT<char>("Safe"), safe));
        if (started) {
            EXPECT_EQ(0, safe);
            auto selected = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
                return l.compare(0, 11, "\t\tSelected ") == 0;
            });
            ASSERT_TRUE(selected != lines.end() && selected + 1 != lines.end()) << log;
            int modeWidth = 0, modeHeight = 0;
            ASSERT_EQ(2,
                      std::sscanf((selected + 1)->c_str(), "\t\t\t%ix%i", &modeWidth, &modeHeight));
            EXPECT_LE(modeWidth, wantedWidth);
            EXPECT_LE(modeHeight, wantedHeight);
            if ((wantedWidth == 800 && wantedHeight == 600) ||
                (wantedWidth == 1024 && wantedHeight == 768)) {
                EXPECT_EQ(wantedWidth, modeWidth);
                EXPECT_EQ(wantedHeight, modeHeight);
            }
            EXPECT_TRUE(after.GetInteger(KrStringT<char>("Display"), KrStringT<char>("WindowWidth"),
                                         width));
            EXPECT_TRUE(after.GetInteger(KrStringT<char>("Display"),
                                         KrStringT<char>("WindowHeight"), height));
            EXPECT_EQ(modeWidth, width);
            EXPECT_EQ(modeHeight, height);
        } else {
            EXPECT_EQ(1, safe);
            char failed[96];
            std::snprintf(failed, sizeof failed,
                          "\t\tWARNING: Failed to select the suggested resolution of %ix%i",
                          wantedWidth, wantedHeight);
            EXPECT_TRUE(krtest::ContainsRun(lines, {failed})) << log;
            EXPECT_TRUE(krtest::ContainsRun(
                lines, {"WARNING: Critical error during KrD3DRenDev::InitAPI()",
                        "Failed to initialise Rendering device, specifying -safe mode restart "
                        "in config file"}))
                << log;
        }
        tally.Count(file.kind, started ? "started" : "refused to start");
    }
    tally.Print("configuration files through the device's start");
}
