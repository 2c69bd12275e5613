// The texture manager on the real device: the static cache by name, reloads in place, failed
// entries and bad files, the dynamic cache with its names and handles, and texel access.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "format_names.h"
#include "loader_seam.h"
#include "resource_fixture.h"

using krtest::LogLines;

namespace {
struct MediaFile {
    std::string name;  // below the media root, with backslashes
    unsigned int width, height;
    unsigned int base, marker, alpha;
};

// The manifest that tools/make_media writes beside the textures.
std::vector<MediaFile> Manifest() {
    std::vector<MediaFile> files;
    std::istringstream in(krtest::ReadFile(krtest::MediaRoot() + "\\textures.txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        MediaFile file;
        std::string base, marker, alpha;
        fields >> file.name >> file.width >> file.height >> base >> marker >> alpha;
        for (char& c : file.name) {
            c = c == '/' ? '\\' : c;
        }
        file.base = std::strtoul(base.c_str(), nullptr, 16);
        file.marker = std::strtoul(marker.c_str(), nullptr, 16);
        file.alpha = std::strtoul(alpha.c_str(), nullptr, 16);
        files.push_back(file);
    }
    return files;
}

unsigned int Rgb(const KrARGB& c) {
    return static_cast<unsigned int>(c.GetDWORD()) & 0xFFFFFF;
}

IDirect3DTexture9* InterfaceOf(KrTextureMgrBase* mgr, int index, eTextureType type) {
    void** slot = mgr->GetTextureInterface(index, type);
    return slot != nullptr ? static_cast<IDirect3DTexture9*>(*slot) : nullptr;
}

unsigned int FullChain(unsigned int width, unsigned int height) {
    unsigned int levels = 1;
    for (unsigned int side = width > height ? width : height; side > 1; side /= 2) {
        ++levels;
    }
    return levels;
}

// Runs the test body with the media root as the current folder and "." as the media dir, which is
// how the engine's program runs.
class DotMediaRoot {
  public:
    DotMediaRoot() {
        GetCurrentDirectoryA(MAX_PATH, previous_);
        SetCurrentDirectoryA(krtest::MediaRoot().c_str());
        Engine().SetMediaDir(".");
    }
    ~DotMediaRoot() { SetCurrentDirectoryA(previous_); }

  private:
    char previous_[MAX_PATH] = {};
};
}  // namespace

TEST_F(ResourceTest, EveryMediaNameLoadsWithItsTrueSizeMipChainAndColours) {
    std::vector<MediaFile> files = Manifest();
    ASSERT_EQ(10u, files.size());
    DotMediaRoot root;
    LoaderSeam::Install();
    for (const MediaFile& file : files) {
        SCOPED_TRACE(file.name);
        // The fallback texture is asked for by the built-in effectors with the media dir in front.
        bool fallback = file.name == "Textures\\noshader.bmp";
        KrStringT<char> name =
            fallback ? Engine().getMediaDir() + KrStringT<char>("\\Textures\\noshader.bmp")
                     : KrStringT<char>(file.name.c_str());
        int count = mgr->CachedTextureCount(eTexStatic);
        unsigned int index = fallback ? mgr->Load(name) : mgr->GetTexture(name);
        ASSERT_EQ(static_cast<unsigned int>(count), index) << Log();
        EXPECT_EQ(index, mgr->GetTexture(name)) << "a cached name loads once";
        KrTextureBase* texture = mgr->GetTexture(static_cast<int>(index));
        ASSERT_NE(nullptr, texture);
        EXPECT_EQ(file.width, texture->Width());
        EXPECT_EQ(file.height, texture->Height());
        IDirect3DTexture9* d3dTexture = InterfaceOf(mgr, static_cast<int>(index), eTexStatic);
        ASSERT_NE(nullptr, d3dTexture);
        EXPECT_EQ(FullChain(file.width, file.height), d3dTexture->GetLevelCount());
        D3DSURFACE_DESC desc;
        ASSERT_EQ(D3D_OK, d3dTexture->GetLevelDesc(0, &desc));
        ASSERT_TRUE(desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8)
            << "texels are read as 32-bit words";
        EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);

        ASSERT_NE(nullptr, texture->Access(0));
        int w = static_cast<int>(file.width), h = static_cast<int>(file.height);
        if (fallback) {
            for (int cell = 0; cell < 8; ++cell) {
                int x = cell * 8 + 3, y = 4;
                unsigned int expected = cell % 2 == 0 ? file.base : file.marker;
                EXPECT_TRUE(krtest::ColourNear(Rgb(texture->GetTexel(x, y)), expected, 0)) << x;
                EXPECT_TRUE(krtest::ColourNear(Rgb(texture->GetTexel(x, y + 8)),
                                               cell % 2 == 0 ? file.marker : file.base, 0));
            }
        } else {
            // JPEG keeps flat areas within a few levels; the lossless formats are exact.
            int tolerance = file.name.find(".jpg") != std::string::npos ? 6 : 0;
            KrARGB marker = texture->GetTexel(w / 4, h / 4);
            KrARGB topRight = texture->GetTexel(3 * w / 4, h / 4);
            KrARGB bottomLeft = texture->GetTexel(w / 4, 3 * h / 4);
            EXPECT_TRUE(krtest::ColourNear(Rgb(marker), file.marker, tolerance))
                << std::hex << Rgb(marker);
            EXPECT_TRUE(krtest::ColourNear(Rgb(topRight), file.base, tolerance))
                << std::hex << Rgb(topRight);
            EXPECT_TRUE(krtest::ColourNear(Rgb(bottomLeft), file.base, tolerance))
                << std::hex << Rgb(bottomLeft);
            if (file.alpha != 0xFF) {
                ASSERT_EQ(D3DFMT_A8R8G8B8, desc.Format);
                EXPECT_EQ(static_cast<int>(file.alpha), topRight.a);
                EXPECT_EQ(0xFF, marker.a);
            }
        }
        texture->Update(0);
        EXPECT_FALSE(texture->IsLocked());
    }
    EXPECT_EQ(10, mgr->CachedTextureCount(eTexStatic));
    EXPECT_EQ(10u, LoaderSeam::Paths().size());
    EXPECT_EQ(".\\.\\Textures\\noshader.bmp", LoaderSeam::Paths()[0]);
    EXPECT_TRUE(LogLines().empty()) << Log();

    // Names are compared byte for byte: another spelling is another entry, even for the same file.
    unsigned int upper = mgr->GetTexture(KrStringT<char>("TEXTURES\\UI\\BLACKBACK.JPG"));
    EXPECT_EQ(10u, upper);
    EXPECT_EQ(256u, mgr->GetTexture(10)->Width());

    // Absolute names cannot sit below any media root.
    krtest::ClearLog();
    EXPECT_EQ(0u, mgr->GetTexture(KrStringT<char>("C:\\lmap01.tga")));
    EXPECT_EQ(0u, mgr->GetTexture(KrStringT<char>("C:\\normal.jpg")));
    EXPECT_EQ((std::vector<std::string>{"WARNING: Failed to load .\\C:\\lmap01.tga texture",
                                        "WARNING: Failed to load .\\C:\\normal.jpg texture"}),
              LogLines(true));
    EXPECT_EQ(12, mgr->CachedTextureCount(eTexStatic))
        << "the second failure takes the first's entry";
}

TEST_F(ResourceTest, StaticCacheReloadsInPlaceAndReusesTheLastFailedEntry) {
    LoaderSeam::Install();
    const std::string root = krtest::MediaRoot() + "\\";
    KrStringT<char> fallback("Textures\\noshader.bmp");
    KrStringT<char> blackBack("Textures\\ui\\blackback.jpg");
    KrStringT<char> floor("Media\\Textures\\floor.tga");
    EXPECT_EQ(0u, mgr->GetTexture(KrStringT<char>()));
    EXPECT_TRUE(LoaderSeam::Paths().empty()) << "an empty name loads nothing";
    ASSERT_EQ(0u, mgr->GetTexture(fallback));
    ASSERT_EQ(1u, mgr->Load(blackBack));

    // Loading a cached name again reloads its own entry from the file.
    EXPECT_EQ(0u, mgr->Load(fallback));
    EXPECT_EQ(2, mgr->CachedTextureCount(eTexStatic));
    EXPECT_EQ(root + "Textures\\noshader.bmp", LoaderSeam::Paths().back());
    EXPECT_NE(nullptr, InterfaceOf(mgr, 0, eTexStatic));
    EXPECT_EQ(64u, mgr->GetTexture(0)->Width());

    // A failed load leaves one entry without a texture, and the next new name takes it.
    krtest::ClearLog();
    EXPECT_EQ(0u, mgr->Load(KrStringT<char>("missing.bmp")));
    EXPECT_EQ(std::vector<std::string>{"WARNING: Failed to load " + root + "missing.bmp texture"},
              LogLines(true));
    ASSERT_EQ(3, mgr->CachedTextureCount(eTexStatic));
    KrTextureBase* failed = mgr->GetTexture(2);
    ASSERT_NE(nullptr, failed);
    krtest::ClearLog();
    EXPECT_EQ(nullptr, failed->Access(0));
    EXPECT_TRUE(LogLines().empty()) << "an entry without texture locks nothing, quietly";
    EXPECT_EQ(0u, mgr->Load(KrStringT<char>("also_missing.tga")));
    EXPECT_EQ(3, mgr->CachedTextureCount(eTexStatic));
    EXPECT_EQ(2u, mgr->Load(floor));
    EXPECT_EQ(3, mgr->CachedTextureCount(eTexStatic));
    EXPECT_EQ(128u, mgr->GetTexture(2)->Width());
    EXPECT_EQ(2u, mgr->GetTexture(floor));

    // A reload that fails leaves its entry empty; the name still finds it without loading.
    krtest::ClearLog();
    LoaderSeam::FailAt() = 1;
    EXPECT_EQ(0u, mgr->Load(blackBack));
    EXPECT_EQ(std::vector<std::string>{"WARNING: Failed to load " + root +
                                       "Textures\\ui\\blackback.jpg texture"},
              LogLines(true));
    EXPECT_EQ(nullptr, InterfaceOf(mgr, 1, eTexStatic));
    EXPECT_EQ(256u, mgr->GetTexture(1)->Width()) << "a reload keeps the size it had";
    size_t loads = LoaderSeam::Paths().size();
    EXPECT_EQ(1u, mgr->GetTexture(blackBack));
    EXPECT_EQ(loads, LoaderSeam::Paths().size());

    // Reloading the statics loads every entry again, in order, into the same indexes.
    LoaderSeam::Paths().clear();
    mgr->ReloadStatics();
    EXPECT_EQ((std::vector<std::string>{root + "Textures\\noshader.bmp",
                                        root + "Textures\\ui\\blackback.jpg",
                                        root + "Media\\Textures\\floor.tga"}),
              LoaderSeam::Paths());
    EXPECT_EQ(3, mgr->CachedTextureCount(eTexStatic));
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(nullptr, InterfaceOf(mgr, i, eTexStatic)) << i;
    }

    // Out-of-range indexes and unknown cache types.
    krtest::ClearLog();
    EXPECT_EQ(nullptr, mgr->GetTexture(3));
    EXPECT_EQ(nullptr, mgr->GetTexture(-1));
    EXPECT_EQ(nullptr, mgr->GetTextureInterface(3, eTexStatic));
    EXPECT_EQ(nullptr, mgr->GetTextureInterface(0, eTexDynamic));
    EXPECT_EQ(nullptr, mgr->GetTextureInterface(0, static_cast<eTextureType>(3)));
    EXPECT_EQ(-1, mgr->CachedTextureCount(static_cast<eTextureType>(3)));
    mgr->UnloadCache(static_cast<eTextureType>(3));
    EXPECT_EQ(3, mgr->CachedTextureCount(eTexStatic));
    EXPECT_EQ((std::vector<std::string>{
                  "RENDER: Failed to get texture 3 from cache of 3 surfaces",
                  "RENDER: Failed to get texture -1 from cache of 3 surfaces",
                  "RENDER: Failed to get texture 3 from cache of 3 surfaces",
                  "RENDER: Failed to get texture 0 from dynamic cache of 0 surfaces",
                  "ERROR: KrD3DTextureMgr::GetTextureInterface(...) was passed an invalid texture "
                  "type enumeration"}),
              LogLines(true));

    // Without a Direct3D device nothing loads and nothing is created.
    KrD3DRenDevProbe::Detach(*dev);
    krtest::ClearLog();
    EXPECT_EQ(0u, mgr->Load(KrStringT<char>("Textures\\ui\\blackback.jpg")));
    EXPECT_EQ(nullptr, InterfaceOf(mgr, 1, eTexStatic));
    KrD3DRenDevProbe::SetNonPow2Textures(*dev, true);
    EXPECT_EQ(-1, mgr->CreateTexture(64, 64, eResFmtA8R8G8B8, 1));
    EXPECT_EQ(std::vector<std::string>{"WARNING: Failed to load " + root +
                                       "Textures\\ui\\blackback.jpg texture"},
              LogLines());
    KrD3DRenDevProbe::Attach(*dev, real.device, mgr);

    mgr->UnloadCache(eTexStatic);
    EXPECT_EQ(0, mgr->CachedTextureCount(eTexStatic));
    EXPECT_EQ(0u, mgr->Load(fallback));
    EXPECT_EQ(1, mgr->CachedTextureCount(eTexStatic));
}

TEST_F(ResourceTest, BadImageFilesFailWithoutGrowingTheCache) {
    Engine().SetMediaDir(".");
    std::string jpeg = krtest::ReadFile(krtest::MediaRoot() +
                                        "\\Media\\Textures\\gothic_floor\\metalbridge06_pent.jpg");
    ASSERT_GT(jpeg.size(), 200u);
    ASSERT_TRUE(krtest::WriteFile("truncated.jpg", jpeg.substr(0, jpeg.size() / 2)));
    ASSERT_TRUE(krtest::WriteFile("empty.png", ""));
    ASSERT_TRUE(krtest::WriteFile("notes.bmp", "these are notes, not a bitmap\n"));
    ASSERT_TRUE(krtest::WriteFile(
        "good.bmp", krtest::ReadFile(krtest::MediaRoot() + "\\Textures\\noshader.bmp")));
    const char* bad[] = {"truncated.jpg", "empty.png", "notes.bmp", "absent.tga"};
    for (const char* name : bad) {
        krtest::ClearLog();
        EXPECT_EQ(0u, mgr->Load(KrStringT<char>(name))) << name;
        EXPECT_EQ(std::vector<std::string>{std::string("WARNING: Failed to load .\\") + name +
                                           " texture"},
                  LogLines(true));
        EXPECT_EQ(1, mgr->CachedTextureCount(eTexStatic)) << name;
        EXPECT_EQ(nullptr, InterfaceOf(mgr, 0, eTexStatic));
    }
    EXPECT_EQ(0u, mgr->Load(KrStringT<char>("good.bmp")));
    EXPECT_NE(nullptr, InterfaceOf(mgr, 0, eTexStatic));
    EXPECT_EQ(0u, mgr->GetTexture(KrStringT<char>("good.bmp")));
    // With the last entry holding a texture, a failure appends again.
    EXPECT_EQ(0u, mgr->GetTexture(KrStringT<char>("notes.bmp")));
    EXPECT_EQ(2, mgr->CachedTextureCount(eTexStatic));
    for (const char* name : {"truncated.jpg", "empty.png", "notes.bmp", "good.bmp"}) {
        std::remove(name);
    }
}

TEST_F(ResourceTest, DynamicTexturesAreNamedHandledAndUnlinked) {
    // A device that needs powers of two refuses other sizes without a word.
    KrD3DRenDevProbe::SetNonPow2Textures(*dev, false);
    EXPECT_EQ(-1, mgr->CreateTexture(100, 64, eResFmtA8R8G8B8, 1));
    EXPECT_EQ(-1, mgr->CreateTexture(64, 100, eResFmtA8R8G8B8, 1));
    EXPECT_EQ(0, mgr->CachedTextureCount(eTexDynamic));
    EXPECT_TRUE(LogLines().empty()) << Log();
    KrD3DRenDevProbe::SetNonPow2Textures(*dev, true);
    ASSERT_EQ(0, mgr->CreateTexture(100, 64, eResFmtA8R8G8B8, 1));
    EXPECT_EQ(100u, mgr->GetDynamic(0)->Width());
    mgr->UnlinkDynamics();

    // Eleven textures: names count up with two digits from manual_00; handles equal indexes.
    krtest::ClearLog();
    for (int i = 0; i < 11; ++i) {
        ASSERT_EQ(i, mgr->CreateTexture(32, 16, eResFmtA8R8G8B8, 1)) << Log();
    }
    std::vector<std::string> lines = LogLines(true);
    ASSERT_EQ(11u, lines.size());
    EXPECT_EQ("DYNAMIC TEXTURE: Created dynamic manual_00", lines[0]);
    EXPECT_EQ("DYNAMIC TEXTURE: Created dynamic manual_09", lines[9]);
    EXPECT_EQ("DYNAMIC TEXTURE: Created dynamic manual_10", lines[10]);
    for (unsigned int handle = 0; handle < 11; ++handle) {
        int index = -1;
        EXPECT_TRUE(mgr->GetDynamic(handle, index));
        EXPECT_EQ(static_cast<int>(handle), index);
        EXPECT_EQ(InterfaceOf(mgr, index, eTexDynamic),
                  static_cast<KrD3DTexture*>(mgr->GetDynamic(handle))->Interface());
    }
    int index = 5;
    EXPECT_FALSE(mgr->GetDynamic(11, index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(nullptr, mgr->GetDynamic(0xFFFFFFFFu));

    // Texels written through a lock come back through the next one.
    KrTextureBase* texture = mgr->GetDynamic(3);
    ASSERT_NE(nullptr, texture->Access(0));
    EXPECT_EQ(nullptr, texture->Access(0)) << "a second lock is refused";
    EXPECT_TRUE(texture->IsLocked());
    EXPECT_TRUE(texture->SetTexel(31, 15, KrARGB(0x80, 0x12, 0x34, 0x56)));
    texture->Update(0);
    krtest::ClearLog();
    ASSERT_NE(nullptr, texture->Access(0));
    EXPECT_EQ(0x80123456ul, texture->GetTexel(31, 15).GetDWORD());
    texture->Update(0);
    texture->Update(0);
    EXPECT_FALSE(texture->IsLocked());
    // A level the texture does not have cannot be locked.
    EXPECT_EQ(nullptr, texture->Access(4));
    EXPECT_FALSE(texture->IsLocked());
    EXPECT_EQ((std::vector<std::string>{"WARNING: Update(...) called on NULL texture: manual_03",
                                        "WARNING: Failed to lock texture: manual_03"}),
              LogLines(true));

    // A copy of an entry borrows the same Direct3D texture.
    KrD3DTexture copy(*static_cast<KrD3DTexture*>(texture));
    EXPECT_EQ(static_cast<KrD3DTexture*>(texture)->Interface(), copy.Interface());
    EXPECT_EQ(KrStringT<char>("manual_03"), copy.Name());

    // Larger than the device can hold: logged with the format's name, nothing added.
    D3DCAPS9 caps;
    real.device->GetDeviceCaps(&caps);
    unsigned int tooBig = caps.MaxTextureWidth * 2;
    krtest::ClearLog();
    EXPECT_EQ(-1, mgr->CreateTexture(tooBig, tooBig, eResFmtA8R8G8B8, 0));
    std::string size = std::to_string(tooBig);
    EXPECT_EQ(std::vector<std::string>{"WARNING: Failed to create " +
                                       std::string(FormatName(D3DFMT_A8R8G8B8).Text()) +
                                       " dynamic texture " + size + "x" + size},
              LogLines(true));
    EXPECT_EQ(11, mgr->CachedTextureCount(eTexDynamic));

    // A copy of the manager shares every texture; it gives them up before it goes.
    KrD3DTextureMgr* twin = new KrD3DTextureMgr(*mgr);
    EXPECT_EQ(11, twin->CachedTextureCount(eTexDynamic));
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(InterfaceOf(mgr, i, eTexDynamic), InterfaceOf(twin, i, eTexDynamic));
        *twin->GetTextureInterface(i, eTexDynamic) = nullptr;
    }
    delete twin;

    // Unlinking forgets every handle; numbering starts again.
    mgr->UnlinkDynamics();
    EXPECT_FALSE(mgr->GetDynamic(0, index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(nullptr, mgr->GetDynamic(0));
    EXPECT_EQ(0, mgr->CachedTextureCount(eTexDynamic));
    krtest::ClearLog();
    EXPECT_EQ(0, mgr->CreateTexture(16, 16, eResFmtX8R8G8B8, 0));
    EXPECT_EQ(std::vector<std::string>{"DYNAMIC TEXTURE: Created dynamic manual_00"}, LogLines());
    EXPECT_EQ(5u, InterfaceOf(mgr, 0, eTexDynamic)->GetLevelCount());
    EXPECT_TRUE(mgr->GetDynamic(0, index));
    mgr->UnloadCache(eTexDynamic);
    EXPECT_FALSE(mgr->GetDynamic(0, index));
    EXPECT_EQ(0, mgr->CachedTextureCount(eTexDynamic));
}
