// Damaged texture files through the texture manager of a running device: every media file cut
// short, with bytes flipped, its header zeroed and its size fields enlarged. Whatever D3DX makes
// of a file, the manager either holds a whole texture (its size what Direct3D says, a full mip
// chain, lockable) and says nothing, or holds none, returns 0 and logs its warning; nothing leaks.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "bad_input.h"
#include "d3d_texture.h"
#include "running_device.h"

namespace {

enum class Format { kBmp, kTga, kJpeg };

struct MediaFile {
    std::string name;
    std::string extension;
    Format format;
    std::string bytes;
};

struct Mutation {
    std::string kind;
    std::string bytes;
    std::string detail;  // what was changed, for a failure's report
    bool crashesWine = false;
};

struct Field {
    size_t offset;
    int width;  // bytes
    bool bigEndian;
};

// Every texture the manifest beside the media names, read before the device makes the media
// root the current folder.
std::vector<MediaFile> ReadMedia() {
    std::vector<MediaFile> files;
    std::string root = krtest::MediaRoot();
    std::istringstream manifest(krtest::ReadFile(root + "\\textures.txt"));
    for (std::string line; std::getline(manifest, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        MediaFile file;
        std::istringstream(line) >> file.name;
        std::replace(file.name.begin(), file.name.end(), '/', '\\');
        file.extension = file.name.substr(file.name.rfind('.'));
        file.format = file.extension == ".bmp"   ? Format::kBmp
                      : file.extension == ".tga" ? Format::kTga
                                                 : Format::kJpeg;
        file.bytes = krtest::ReadFile(root + "\\" + file.name);
        files.push_back(file);
    }
    return files;
}

unsigned int ReadField(const std::string& bytes, const Field& field) {
    unsigned int value = 0;
    for (int i = 0; i < field.width; ++i) {
        int at = field.bigEndian ? i : field.width - 1 - i;
        value = (value << 8) | static_cast<unsigned char>(bytes[field.offset + at]);
    }
    return value;
}

void WriteField(std::string& bytes, const Field& field, unsigned int value) {
    for (int i = 0; i < field.width; ++i) {
        int at = field.bigEndian ? field.width - 1 - i : i;
        bytes[field.offset + at] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// Where the picture's description ends and its pixels begin (for JPEG: the scan).
size_t HeaderLength(const MediaFile& file) {
    if (file.format == Format::kBmp) {
        return 54;
    }
    if (file.format == Format::kTga) {
        return 18;
    }
    size_t scan = file.bytes.find("\xFF\xDA");
    return scan != std::string::npos ? scan : file.bytes.size() / 2;
}

// The fields that give a size or a length: the file, the header, the picture, the pixel data,
// the colour table; in JPEG every segment's length and the frame's height and width.
std::vector<Field> SizeFields(const MediaFile& file) {
    if (file.format == Format::kBmp) {
        return {{2, 4, false},  {10, 4, false}, {14, 4, false}, {18, 4, false},
                {22, 4, false}, {28, 2, false}, {34, 4, false}, {46, 4, false}};
    }
    if (file.format == Format::kTga) {
        return {{0, 1, false}, {5, 2, false}, {12, 2, false}, {14, 2, false}, {16, 1, false}};
    }
    std::vector<Field> fields;
    const std::string& b = file.bytes;
    size_t at = 2;
    while (at + 4 <= b.size() && static_cast<unsigned char>(b[at]) == 0xFF) {
        unsigned char marker = static_cast<unsigned char>(b[at + 1]);
        Field length{at + 2, 2, true};
        fields.push_back(length);
        if (marker >= 0xC0 && marker <= 0xC3 && at + 10 <= b.size()) {
            fields.push_back({at + 5, 2, true});  // height
            fields.push_back({at + 7, 2, true});  // width
            fields.push_back({at + 9, 1, true});  // components
        }
        if (marker == 0xDA) {
            break;
        }
        at += 2 + ReadField(b, length);
    }
    return fields;
}

std::vector<Mutation> Mutations(const MediaFile& file, badinput::Seeded& random) {
    std::vector<Mutation> out;
    const std::string& original = file.bytes;
    const size_t size = original.size();
    const size_t header = HeaderLength(file);

    std::set<size_t> lengths = {0,        1,          2,        3,        header - 1,
                                header,   header + 1, size / 4, size / 2, size * 3 / 4,
                                size - 2, size - 1};
    for (int i = 0; i < 3; ++i) {
        lengths.insert(random.Below(size));
    }
    for (size_t length : lengths) {
        if (length < size) {
            out.push_back(
                {"truncated", original.substr(0, length), "to " + std::to_string(length)});
        }
    }

    auto flipped = [&](int count, size_t range) {
        std::string bytes = original;
        for (int i = 0; i < count; ++i) {
            bytes[random.Below(range)] ^= static_cast<char>(1 + random.Below(255));
        }
        return bytes;
    };
    for (int i = 0; i < 6; ++i) {
        out.push_back({"bytes flipped", flipped(1, size), "one anywhere"});
        out.push_back({"bytes flipped", flipped(1, header), "one in the header"});
    }
    for (int i = 0; i < 2; ++i) {
        out.push_back({"bytes flipped", flipped(8, size), "eight anywhere"});
        out.push_back({"bytes flipped", flipped(4, header), "four in the header"});
    }
    out.push_back({"bytes flipped", flipped(64, size), "64 anywhere"});
    out.push_back({"bytes flipped", flipped(static_cast<int>(size / 16), size), "a sixteenth"});

    for (size_t zeroed : {size_t(1), size_t(2), size_t(4), size_t(8), header / 2, header,
                          std::min(header * 2, size), size}) {
        std::string bytes = original;
        std::fill(bytes.begin(), bytes.begin() + static_cast<long>(zeroed), '\0');
        out.push_back({"header zeroed", bytes, std::to_string(zeroed) + " bytes"});
    }

    for (const Field& field : SizeFields(file)) {
        unsigned int value = ReadField(original, field);
        unsigned int top = field.width == 4 ? 0xFFFFFFFFu : (1u << (8 * field.width)) - 1;
        std::set<unsigned int> larger = {value + 1, value * 2, value * 16, top / 2, top};
        for (unsigned int enlarged : larger) {
            enlarged &= top;
            if (enlarged <= value) {
                continue;
            }
            std::string bytes = original;
            WriteField(bytes, field, enlarged);
            char detail[64];
            std::snprintf(detail, sizeof detail, "%i bytes at %i: %u", field.width,
                          static_cast<int>(field.offset), enlarged);
            // A BMP width whose row of bits does not fit 32 bits (2147483647 or -1 texels) ends
            // the process inside Wine's D3DX loader with a page fault, before any result comes
            // back: such files are counted and left out.
            bool rowBeyond32Bits =
                file.format == Format::kBmp && field.offset == 18 &&
                static_cast<uint64_t>(enlarged) * ReadField(original, {28, 2, false}) >
                    0xFFFFFFFFull;
            out.push_back({"size field enlarged", bytes, detail, rowBeyond32Bits});
        }
    }
    // Zeroing a byte that was zero already leaves the file intact: not a damaged file.
    out.erase(std::remove_if(out.begin(), out.end(),
                             [&](const Mutation& m) { return m.bytes == original; }),
              out.end());
    return out;
}

unsigned int FullChain(unsigned int width, unsigned int height) {
    unsigned int levels = 1;
    for (unsigned int side = std::max(width, height); side > 1; side /= 2) {
        ++levels;
    }
    return levels;
}

unsigned long References(IDirect3DDevice9* device) {
    device->AddRef();
    return device->Release();
}

class TextureCases {
  public:
    TextureCases(KrTextureMgrBase* textures, const badinput::ScratchFolder& folder)
        : textures_(textures), folder_(folder) {}

    // Writes the file and loads it under a new name; checks the line against the result.
    void LoadNew(const std::string& kind, const std::string& bytes, const std::string& extension,
                 const std::string& detail) {
        std::string name = NextName(extension);
        badinput::CurrentCase() = kind + " (" + detail + ") " + name;
        krtest::WriteFile(folder_.File(name), bytes);
        int before = textures_->CachedTextureCount(eTexStatic);
        krtest::ClearLog();
        unsigned int index = textures_->Load(KrStringT<char>(name.c_str()));
        std::vector<std::string> lines = krtest::LogLines();
        int after = textures_->CachedTextureCount(eTexStatic);
        SCOPED_TRACE(badinput::CurrentCase());
        if (index == 0) {
            // Index 0 holds the intact copy of the file; a new name never lands there.
            EXPECT_EQ(lines, std::vector<std::string>{Warning(name)});
            EXPECT_EQ(nullptr, Held(after - 1)) << "a refused file left a texture behind";
            EXPECT_LE(after, before + 1);
            tally_.Count(kind, "refused");
        } else {
            EXPECT_EQ(lines, std::vector<std::string>{}) << "a loaded file was logged";
            EXPECT_EQ(static_cast<int>(index), after - 1);
            CheckWhole(index, name);
            tally_.Count(kind, "loaded");
        }
        DeleteFileA(folder_.File(name).c_str());
    }

    // The file loads intact under a name, then is damaged on disk and loaded again under the
    // same name, as a device reset reloads its textures: same entry, or no texture and the line.
    void Reload(const std::string& kind, const std::string& intact, const std::string& damaged,
                const std::string& extension, const std::string& detail) {
        std::string name = NextName(extension);
        badinput::CurrentCase() = "reloaded, " + kind + " (" + detail + ") " + name;
        krtest::WriteFile(folder_.File(name), intact);
        krtest::ClearLog();
        unsigned int first = textures_->Load(KrStringT<char>(name.c_str()));
        ASSERT_NE(0u, first) << krtest::Join(krtest::LogLines());
        KrTextureBase* entry = textures_->GetTexture(static_cast<int>(first));
        unsigned int width = entry->Width(), height = entry->Height();

        krtest::WriteFile(folder_.File(name), damaged);
        int before = textures_->CachedTextureCount(eTexStatic);
        krtest::ClearLog();
        unsigned int again = textures_->Load(KrStringT<char>(name.c_str()));
        std::vector<std::string> lines = krtest::LogLines();
        SCOPED_TRACE(badinput::CurrentCase());
        EXPECT_EQ(before, textures_->CachedTextureCount(eTexStatic));
        if (again == 0) {
            EXPECT_EQ(lines, std::vector<std::string>{Warning(name)});
            EXPECT_EQ(nullptr, Held(static_cast<int>(first)));
            tally_.Count("reloaded, " + kind, "refused");
        } else {
            EXPECT_EQ(lines, std::vector<std::string>{});
            EXPECT_EQ(first, again);
            // A reload keeps the size the entry was first loaded with.
            entry = textures_->GetTexture(static_cast<int>(first));
            EXPECT_EQ(width, entry->Width());
            EXPECT_EQ(height, entry->Height());
            EXPECT_NE(nullptr, Held(static_cast<int>(first)));
            tally_.Count("reloaded, " + kind, "loaded");
        }
        DeleteFileA(folder_.File(name).c_str());
    }

    // A case the platform itself cannot survive: counted, not run.
    void LeaveOut(const std::string& kind) { tally_.Count(kind, "left out (Wine crashes)"); }

    const badinput::Tally& Counts() const { return tally_; }

  private:
    std::string NextName(const std::string& extension) {
        char name[32];
        std::snprintf(name, sizeof name, "case%05i%s", ++cases_, extension.c_str());
        return name;
    }
    std::string Warning(const std::string& name) const {
        return "WARNING: Failed to load " + folder_.File(name) + " texture";
    }
    IDirect3DTexture9* Held(int index) {
        void** slot = textures_->GetTextureInterface(index, eTexStatic);
        return slot != nullptr ? static_cast<IDirect3DTexture9*>(*slot) : nullptr;
    }
    // A loaded entry: its name, the size Direct3D gives its top level, a full mip chain, and a
    // top level that locks and unlocks without a word.
    void CheckWhole(unsigned int index, const std::string& name) {
        KrD3DTexture* entry = static_cast<KrD3DTexture*>(textures_->GetTexture(index));
        ASSERT_NE(nullptr, entry);
        EXPECT_TRUE(entry->Name() == KrStringT<char>(name.c_str()));
        IDirect3DTexture9* texture = entry->Interface();
        ASSERT_NE(nullptr, texture);
        D3DSURFACE_DESC desc = {};
        ASSERT_EQ(D3D_OK, texture->GetLevelDesc(0, &desc));
        EXPECT_EQ(desc.Width, entry->Width());
        EXPECT_EQ(desc.Height, entry->Height());
        EXPECT_GT(desc.Width, 0u);
        EXPECT_GT(desc.Height, 0u);
        EXPECT_EQ(FullChain(desc.Width, desc.Height), texture->GetLevelCount());
        EXPECT_NE(nullptr, entry->Access(0));
        entry->Update(0);
        EXPECT_EQ(krtest::LogLines(), std::vector<std::string>{});
    }

    KrTextureMgrBase* textures_;
    const badinput::ScratchFolder& folder_;
    badinput::Tally tally_;
    int cases_ = 0;
};

}  // namespace

TEST(BadTextureFiles, EachDamagedFileLoadsWholeOrIsRefusedWithItsWarning) {
    std::vector<MediaFile> media = ReadMedia();
    ASSERT_GE(media.size(), 10u);
    badinput::ScratchFolder folder("textures");
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrTextureMgrBase* textures = running.Render()->TextureMgr();
    IDirect3DDevice9* device = running.Direct3DDevice();
    Engine().SetMediaDir(folder.Path().c_str());

    // Without the fallback texture the cache starts empty: index 0 is then each file's intact
    // copy, so that 0 from a damaged file can only mean a refusal.
    textures->UnloadCache(eTexStatic);
    const int blocks = krLiveBlocks();
    const unsigned long references = References(device);

    badinput::Seeded random(0x6B7254455854ull);
    TextureCases cases(textures, folder);
    int loadedIntact = 0;
    for (const MediaFile& file : media) {
        SCOPED_TRACE(file.name);
        krtest::WriteFile(folder.File("intact" + file.extension), file.bytes);
        krtest::ClearLog();
        ASSERT_EQ(0u, textures->Load(KrStringT<char>(("intact" + file.extension).c_str())));
        ASSERT_EQ(krtest::LogLines(), std::vector<std::string>{}) << "the intact file fails";
        ++loadedIntact;

        std::vector<Mutation> mutations = Mutations(file, random);
        for (size_t i = 0; i < mutations.size(); ++i) {
            if (mutations[i].crashesWine) {
                cases.LeaveOut(mutations[i].kind);
                continue;
            }
            badinput::CurrentCase() = file.name;
            cases.LoadNew(mutations[i].kind, mutations[i].bytes, file.extension,
                          file.name + " " + mutations[i].detail);
            // Every sixth damage also reaches a texture that was loaded intact before.
            if (i % 6 == 0) {
                cases.Reload(mutations[i].kind, file.bytes, mutations[i].bytes, file.extension,
                             file.name + " " + mutations[i].detail);
            }
        }

        textures->UnloadCache(eTexStatic);
        EXPECT_EQ(blocks, krLiveBlocks()) << "host memory leaked";
        EXPECT_EQ(references, References(device)) << "a Direct3D texture outlived its cache";
    }
    Engine().SetMediaDir(".");
    cases.Counts().Print("damaged texture files");
    EXPECT_EQ(loadedIntact, static_cast<int>(media.size()));
    EXPECT_GE(cases.Counts().Total(), 700);
}
