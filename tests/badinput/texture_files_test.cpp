// Damaged, hostile and valid texture files through the texture manager of a running device. A file
// either loads whole (a texture of the size Direct3D reports, nothing logged) or is refused with
// the manager's warning and no texture; a hostile header is always refused, by the manager's checks
// or by D3DX, and none takes the process down. No file is left out.
#include <gtest/gtest.h>

#include <d3dx9.h>
#include <windows.h>

#include <filesystem>
#include <random>

#include "d3d_texture.h"
#include "running_device.h"

namespace {

std::string Bytes(uint32_t value, int count, bool bigEndian = false) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes += static_cast<char>(value >> 8 * (bigEndian ? count - 1 - i : i));
    }
    return bytes;
}
std::string Words(std::initializer_list<uint32_t> words) {
    std::string bytes;
    for (uint32_t word : words) {
        bytes += Bytes(word, 4);
    }
    return bytes;
}
std::string Zeros(size_t count) {
    return std::string(count, '\0');
}

// Files of each format D3DX reads, with the header fields a hostile file sets, and a few bytes
// of pixels after the header.
std::string Bmp(uint32_t width, uint32_t height, uint32_t bits, size_t pixels = 16) {
    return "BM" + Words({54 + static_cast<uint32_t>(pixels), 0, 54, 40, width, height}) +
           Bytes(1, 2) + Bytes(bits, 2) + Words({0, 0, 0, 0, 0, 0}) + std::string(pixels, 'x');
}
std::string Tga(uint32_t width, uint32_t height, uint32_t bits, size_t pixels = 16) {
    return std::string("\0\0\2", 3) + Zeros(9) + Bytes(width, 2) + Bytes(height, 2) +
           Bytes(bits, 1) + "\x28" + std::string(pixels, 'x');
}
// A DDS file of A8R8G8B8 texels; `caps2` makes it a cube map or (with a depth) a volume.
std::string Dds(uint32_t width, uint32_t height, uint32_t levels, size_t pixels = 16,
                uint32_t caps2 = 0, uint32_t depth = 0) {
    return "DDS " + Words({124, 0x2100F, height, width, width * 4, depth, levels}) + Zeros(44) +
           Words({32, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0x1008, caps2}) + Zeros(12) +
           std::string(pixels, 'x');
}
std::string Chunk(const std::string& type, const std::string& data) {
    uint32_t crc = ~0u;
    for (unsigned char b : type + data) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
    }
    return Bytes(static_cast<uint32_t>(data.size()), 4, true) + type + data + Bytes(~crc, 4, true);
}
std::string Png(uint32_t width, uint32_t height, uint32_t depth) {
    return "\x89PNG\r\n\x1a\n" +
           Chunk("IHDR", Bytes(width, 4, true) + Bytes(height, 4, true) + Bytes(depth, 1) +
                             Bytes(2, 1) + Zeros(3)) +
           Chunk("IDAT", "\x78\x01") + Chunk("IEND", "");
}
// The JPEG `real` with the height and width of its frame header replaced.
std::string Jpeg(std::string real, uint32_t width, uint32_t height) {
    const size_t frame = real.find("\xFF\xC0");
    return real.replace(frame + 5, 4, Bytes(height, 2, true) + Bytes(width, 2, true));
}

// Seeded damage of a real file: cut short, a byte flipped, a word of its header set to zero, to
// the largest signed or unsigned number, in either byte order.
std::vector<std::string> Damaged(const std::string& b, std::mt19937& random) {
    std::vector<std::string> out = {"", b.substr(0, 1), b.substr(0, 17), b.substr(0, 53),
                                    b.substr(0, b.size() / 2)};
    const uint32_t values[] = {0, 0x7FFFFFFF, 0xFFFFFFFF, 0x7FFF};
    for (int i = 0; i < 12; ++i) {
        out.push_back(b);
        if (i < 4) {
            out.back()[random() % (i % 2 == 0 ? 64 : b.size())] ^= char(1 + random() % 255);
        } else {
            out.back().replace(random() % 30, 4, Bytes(values[i % 4], 4, random() % 2 == 0));
        }
    }
    return out;
}

IDirect3DTexture9* Held(KrTextureMgrBase* textures, int index) {
    void** slot = textures->GetTextureInterface(index, eTexStatic);
    return slot != nullptr ? static_cast<IDirect3DTexture9*>(*slot) : nullptr;
}

}  // namespace

enum Kind { kHostile, kDamaged, kValid };

TEST(TextureFiles, EachFileLoadsAsD3DXAloneLoadsItOrIsRefusedWithItsWarning) {
    // Real media of three formats, read before the device makes the media root the current folder.
    const std::string root = krtest::MediaRoot() + "\\";
    const std::string media[3][2] = {
        {".bmp", krtest::ReadFile(root + "Textures\\noshader.bmp")},
        {".tga", krtest::ReadFile(root + "Media\\Textures\\floor.tga")},
        {".jpg", krtest::ReadFile(root + "Textures\\ui\\blackback.jpg")}};
    const std::string& jpeg = media[2][1];
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrTextureMgrBase* textures = running.Render()->TextureMgr();
    const std::string folder = running.StartFolder() + "\\kr_textures";
    const std::string corpus = running.StartFolder() + "\\texture_corpus\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    Engine().SetMediaDir(folder.c_str());
    int cases = 0, loaded = 0;
    // Loads the file under a new name: whole and silent, or refused with the warning (always a
    // hostile file; a valid one exactly when D3DX alone, without the manager's checks, refuses it,
    // and otherwise at the size of D3DX's own texture). With `intact`, the name first loads the
    // intact file, and the damaged one then replaces it on disk and is loaded again, as a reset
    // reloads its textures. No file stays open: each is deleted after its load.
    const auto load = [&](const std::string& what, const std::string& extension,
                          const std::string& bytes, Kind kind, bool asFolder = false,
                          const std::string& intact = "") {
        const std::string name = "case" + std::to_string(++cases) + extension;
        const std::string path = folder + "\\" + name;
        SCOPED_TRACE(what + " as " + name);
        unsigned int first = 0;
        if (!intact.empty()) {
            krtest::WriteFile(path, intact);
            EXPECT_NE(0u, first = textures->Load(KrStringT<char>(name.c_str())));
        }
        asFolder ? CreateDirectoryA(path.c_str(), nullptr) : krtest::WriteFile(path, bytes);
        D3DSURFACE_DESC want = {}, desc = {};
        IDirect3DTexture9* alone = nullptr;
        if (kind == kValid &&
            SUCCEEDED(D3DXCreateTextureFromFileA(running.Direct3DDevice(), path.c_str(), &alone))) {
            alone->GetLevelDesc(0, &want);
            alone->Release();
        }
        krtest::ClearLog();
        const DWORD start = GetTickCount();
        const unsigned int index = textures->Load(KrStringT<char>(name.c_str()));
        EXPECT_LT(GetTickCount() - start, 5000u) << "the load hung";
        const std::vector<std::string> lines = krtest::LogLines();
        EXPECT_TRUE(asFolder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str()));
        EXPECT_TRUE(index == 0 || kind != kHostile) << "a hostile file was loaded";
        // A refused file: its warning and no texture; a loaded one: silent, its size Direct3D's. A
        // valid one: as D3DX alone makes it, refused or at the size of D3DX's own texture.
        auto* entry = static_cast<KrD3DTexture*>(textures->GetTexture(static_cast<int>(index)));
        EXPECT_EQ(lines, index == 0 ? std::vector<std::string>{"WARNING: Failed to load " + path +
                                                               " texture"}
                                    : std::vector<std::string>{});
        const int last = first != 0 ? first : textures->CachedTextureCount(eTexStatic) - 1;
        EXPECT_TRUE(index == 0 ? Held(textures, last) == nullptr
                               : SUCCEEDED(entry->Interface()->GetLevelDesc(0, &desc)) &&
                                     desc.Width == entry->Width() && desc.Width > 0 &&
                                     desc.Height == entry->Height());
        EXPECT_TRUE(kind != kValid || (want.Width == desc.Width && want.Height == desc.Height))
            << "D3DX alone makes it " << want.Width << " x " << want.Height;
        loaded += index != 0 ? 1 : 0;
    };

    // Every hostile file is refused, within seconds; a valid one loads as D3DX alone loads it.
    const uint32_t kMax = 0x7FFFFFFF, kAll = 0xFFFFFFFF;
    D3DCAPS9 caps = {};
    running.Direct3DDevice()->GetDeviceCaps(&caps);
    const uint32_t over = caps.MaxTextureWidth + 1;  // D3DX scales such a picture down
    const std::string files[][3] = {
        {"valid top-down bmp", ".bmp", Bmp(4, -4, 24, 48)},
        {"valid dds cube map", ".dds", Dds(8, 8, 1, 6 * 256, 0xFE00)},
        {"valid dds volume", ".dds", Dds(8, 8, 1, 4 * 256, 0x200000, 4)},
        {"valid dds, a level past its full chain", ".dds", Dds(4, 4, 4, 88)},
        {"valid bmp above the maximum", ".bmp", Bmp(over, 2, 24, (over * 3 + 3) / 4 * 8)},
        {"valid dds above the maximum", ".dds", Dds(over, 1, 1, over * 4)},
        {"valid tga above the maximum", ".tga", Tga(1, over, 32, over * 4)},
        {"bmp width 2147483647", ".bmp", Bmp(kMax, 1, 24)},
        {"bmp width -1", ".bmp", Bmp(kAll, 1, 24)},
        {"bmp height -2147483648", ".bmp", Bmp(1, 0x80000000, 24)},
        {"bmp width x bits past 32 bits", ".bmp", Bmp(0x40000000, 1, 32)},
        {"bmp 65536 x 65536 behind 16 bytes", ".bmp", Bmp(65536, 65536, 32)},
        {"bmp 16384 x 16384 behind 16 bytes", ".bmp", Bmp(16384, 16384, 32)},
        {"bmp run-length 65536 x 65536, ending at once", ".bmp",
         Bmp(65536, 65536, 8, 1040).replace(30, 1, "\1").replace(54, 2, Bytes(256, 2))},
        {"bmp 0 x 0", ".bmp", Bmp(0, 0, 24)},
        {"bmp bit depth 65535", ".bmp", Bmp(4, 4, 0xFFFF)},
        {"dib width 2147483647", ".dib", Bmp(kMax, 1, 24)},
        {"dib without its file header, 65536 x 65536", ".dib", Bmp(65536, 65536, 32).substr(14)},
        {"tga 65535 x 65535 behind 16 bytes", ".tga", Tga(0xFFFF, 0xFFFF, 32)},
        {"tga 0 x 4", ".tga", Tga(0, 4, 24)},
        {"tga bit depth 255", ".tga", Tga(4, 4, 255)},
        {"png width 2147483647", ".png", Png(kMax, 1, 8)},
        {"png width 4294967295", ".png", Png(kAll, 1, 8)},
        {"png 65536 x 65536", ".png", Png(65536, 65536, 8)},
        {"png 0 x 0", ".png", Png(0, 0, 8)},
        {"png bit depth 255", ".png", Png(4, 4, 255)},
        {"jpg 65535 x 65535", ".jpg", Jpeg(jpeg, 0xFFFF, 0xFFFF)},
        {"jpg 0 x 0", ".jpg", Jpeg(jpeg, 0, 0)},
        {"dds 4294967295 x 1", ".dds", Dds(kAll, 1, 1)},
        {"dds 65536 x 65536 behind 16 bytes", ".dds", Dds(65536, 65536, 1)},
        {"dds cube of 32768 x 32768", ".dds", Dds(32768, 32768, 1, 16, 0xFE00)},
        {"dds 0 x 0", ".dds", Dds(0, 0, 1)},
        {"dds 4 x 4 with 4294967295 levels", ".dds", Dds(4, 4, kAll)},
        {"ppm 2147483647 x 1", ".ppm", "P6\n2147483647 1\n255\n" + Zeros(16)},
        {"ppm -1 x -1", ".ppm", "P6\n-1 -1\n255\n" + Zeros(16)},
        {"hdr 2147483647 x 2147483647", ".hdr",
         "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2147483647 +X 2147483647\n" + Zeros(16)},
        {"pfm 2147483647 x 1", ".pfm", "PF\n2147483647 1\n-1.0\n" + Zeros(16)}};
    for (const auto& file : files) {
        load(file[0], file[1], file[2], file[0].rfind("valid", 0) == 0 ? kValid : kHostile);
    }
    std::mt19937 random(20261206);
    for (const char* extension :
         {".bmp", ".dib", ".tga", ".jpg", ".png", ".dds", ".ppm", ".hdr", ".pfm"}) {
        const std::string junk = Bytes(random(), 4) + Bytes(random(), 4) + Bytes(random(), 4);
        load("empty", extension, "", kHostile);
        load("junk", extension, junk + junk + junk + junk, kHostile);
        load("a folder", extension, "", kHostile, true);
    }
    for (const auto& file : media) {
        const std::vector<std::string> damaged = Damaged(file[1], random);
        for (size_t i = 0; i < damaged.size(); ++i) {
            load(file[0] + " damaged " + std::to_string(i), file[0], damaged[i], kDamaged, false,
                 i % 3 == 0 ? file[1] : "");
        }
    }
    // Valid files of every kind D3DX reads, in the variants media folders hold: written by
    // texture_corpus.sh before the test, and the valid rows above.
    EXPECT_EQ(19, std::distance(std::filesystem::directory_iterator(corpus), {}));
    for (const auto& file : std::filesystem::directory_iterator(corpus)) {
        load(file.path().filename().string(), file.path().extension().string(),
             krtest::ReadFile(file.path().string()), kValid);
    }
    RemoveDirectoryA(folder.c_str());
    Engine().SetMediaDir(".");
    std::printf("texture files: %d, %d loaded, the others refused\n", cases, loaded);
}
