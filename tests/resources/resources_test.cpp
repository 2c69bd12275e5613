// Buffers and textures on a running device: Populate ranges and locks, the index ring, the static
// cache by name with its failed entries, the dynamic cache, and the reload after a reset.
#include <algorithm>
#include <cstring>
#include <numeric>
#include <tuple>

#include <gtest/gtest.h>

#include "buffers.h"
#include "device_probe.h"
#include "running_device.h"

using Lines = std::vector<std::string>;

template <class Interface>
std::vector<unsigned char> Contents(Interface* buffer, unsigned int size) {
    void* data = nullptr;
    std::vector<unsigned char> bytes;
    if (SUCCEEDED(buffer->Lock(0, size, &data, D3DLOCK_READONLY))) {
        bytes.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
        buffer->Unlock();
    }
    return bytes;
}

// Where Direct3D placed a buffer: its pool and usage.
template <class Desc, class Buffer>
std::pair<D3DPOOL, DWORD> Placed(Buffer* buffer) {
    Desc desc{};
    buffer->Interface()->GetDesc(&desc);
    return {desc.Pool, desc.Usage};
}

TEST(Buffers, PoolsUsagesWritesAndTheIndexRing) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrVertexBufferBase* vb = nullptr;
    KrIndexBufferBase* ib = nullptr;
    const unsigned long fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 24 bytes a vertex
    // Pools and usages reach Direct3D as asked, but for what it refuses: a dynamic vertex buffer
    // in the managed pool. Index buffers are dynamic, write-only in the default pool.
    const DWORD dynamic = D3DUSAGE_DYNAMIC, writeOnly = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;
    const char* moved =
        "WARNING: Dynamic vertex buffer requested as a managed resource. Moving to SYSTEMMEM";
    const char* refused =
        "ERROR: Invalid index format passed to KrD3DRenDev::CreateIndexBuffer(..)";
    // Index format (0: vertices), pool, usage, where Direct3D placed it, the line.
    for (auto [format, pool, usage, placed, line] :
         std::vector<std::tuple<int, eMemPool, eResUsage, std::pair<D3DPOOL, DWORD>, const char*>>{
             {0, eMemSystem, eUsageStatic, {D3DPOOL_SYSTEMMEM, 0}, nullptr},
             {0, eMemDefault, eUsageDynamic, {D3DPOOL_DEFAULT, dynamic}, nullptr},
             {0, eMemManaged, eUsageDynamic, {D3DPOOL_SYSTEMMEM, dynamic}, moved},
             {eIDX32, eMemManaged, eUsageStatic, {D3DPOOL_MANAGED, dynamic}, nullptr},
             {eIDX16, eMemDefault, eUsageStatic, {D3DPOOL_DEFAULT, writeOnly}, nullptr},
             {7, eMemSystem, eUsageStatic, {D3DPOOL_SYSTEMMEM, dynamic}, refused}}) {
        krtest::ClearLog();
        KrRenderBase* render = running.Render();
        EXPECT_EQ(line == nullptr || *line == 'W',
                  format ? render->CreateIndexBuffer(&ib, 96, eIDXFormat(format), pool)
                         : render->CreateVertexBuffer(&vb, 96, fvf, pool, usage));
        EXPECT_EQ(placed, format
                              ? Placed<D3DINDEXBUFFER_DESC>(static_cast<KrD3DIndexBuffer*>(ib))
                              : Placed<D3DVERTEXBUFFER_DESC>(static_cast<KrD3DVertexBuffer*>(vb)))
            << format << " " << pool << " " << usage;
        EXPECT_EQ(line ? Lines{line} : Lines{}, krtest::LogLines());
        format ? (ib->Release(), delete ib) : (vb->Release(), delete vb);
    }
    ASSERT_TRUE(running.Render()->CreateVertexBuffer(&vb, 240, fvf, eMemSystem, eUsageDynamic));
    IDirect3DVertexBuffer9* d3dVb = static_cast<KrD3DVertexBuffer*>(vb)->Interface();
    std::vector<unsigned char> data(240), expected(240, 0);
    std::iota(data.begin(), data.end(), '\3');
    // Offset, size, with data, written, whole vertices written so far.
    for (auto [offset, size, withData, written, vertices] :
         std::vector<std::tuple<unsigned int, unsigned int, bool, bool, unsigned int>>{
             {0, 240, true, true, 10},
             {48, 50, true, true, 12},
             {200, 48, true, false, 12},
             {0xFFFFFFF0u, 0x20, true, false, 12},
             {0, 24, false, false, 12},
             {216, 24, true, true, 13}}) {
        krtest::ClearLog();
        EXPECT_EQ(written, vb->Populate(offset, withData ? data.data() : nullptr, size));
        if (written)
            std::memcpy(&expected[offset], data.data(), size);
        EXPECT_EQ(vertices, vb->VertexCount()) << offset << "+" << size;
        EXPECT_EQ(expected, Contents(d3dVb, 240)) << offset << "+" << size;
        EXPECT_EQ(written ? Lines{} : Lines{"WARNING: Failed to populate vertex buffer"},
                  krtest::LogLines());
    }
    // The engine's flag 1 asks for a fresh buffer; what is written through the pointer is kept.
    unsigned char* pointer = nullptr;
    ASSERT_TRUE(vb->Access(0, 24, &pointer, 1));
    std::memset(pointer, 0x5A, 24);
    vb->Update();
    EXPECT_EQ(std::vector<unsigned char>(24, 0x5A), Contents(d3dVb, 24));
    vb->Release();
    delete vb;

    // Index rings of 12 bytes of 16-bit indices and 16 bytes of 32-bit ones: a block goes behind
    // the earlier ones while it fits, else (or when asked) the ring starts again at 0.
    KrIndexBufferBase* rings[2] = {};
    ASSERT_TRUE(running.Render()->CreateIndexBuffer(&rings[0], 12, eIDX16, eMemSystem));
    ASSERT_TRUE(running.Render()->CreateIndexBuffer(&rings[1], 16, eIDX32, eMemSystem));
    unsigned char block[16];
    int i = 0;
    // Ring, bytes, discard asked, result, last index.
    for (auto [ring, size, discard, result, lastIndex] :
         std::vector<std::tuple<int, unsigned int, bool, eLockResult, int>>{
             {0, 4, false, eLockAppended, 1},
             {0, 4, false, eLockAppended, 3},
             {0, 8, false, eLockDiscarded, 3},
             {0, 4, false, eLockAppended, 5},
             {0, 2, false, eLockDiscarded, 0},
             {0, 2, true, eLockDiscarded, 0},
             {0, 12, false, eLockDiscarded, 5},
             {0, 13, false, eLockFailed, 5},
             {1, 8, false, eLockAppended, 1},
             {1, 8, false, eLockAppended, 3},
             {1, 4, false, eLockDiscarded, 0}}) {
        KrIndexBufferBase* ib = rings[ring];
        std::memset(block, ++i, sizeof block);
        unsigned int next = static_cast<unsigned int>(ib->LastIndex() + 1) * (ring ? 4 : 2);
        EXPECT_EQ(result, ib->Populate(block, size, discard)) << "block " << i;
        EXPECT_TRUE(result ||
                    krtest::LogLines().back() ==
                        "ERROR: KrD3DIndexBuffer::Populate(..) was passed invalid parameters");
        EXPECT_EQ(lastIndex, ib->LastIndex()) << "block " << i;
        auto held = Contents(static_cast<KrD3DIndexBuffer*>(ib)->Interface(), ib->SizeInBytes());
        unsigned int at = result == eLockAppended ? next : 0;
        EXPECT_TRUE(result == eLockFailed || std::memcmp(&held[at], block, size) == 0) << i;
    }
    for (KrIndexBufferBase* ib : rings) {
        ib->Release();
        delete ib;
    }
}

TEST(Textures, StaticCacheByNameReusesTheFailedEntryAndReloadsAfterAReset) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrTextureMgrBase* textures = running.Render()->TextureMgr();
    ASSERT_EQ(1, textures->CachedTextureCount(eTexStatic));  // the fallback texture
    // Textures the loader made (a missing file may or may not reach it).
    auto created = [&recorder] {
        return std::count_if(recorder.calls.begin(), recorder.calls.end(), [](const auto& c) {
            return std::string(c.method) == "D3DXCreateTextureFromFileA" && c.result == 0;
        });
    };
    // Name, index, textures created by the look-up, entries afterwards.
    for (auto [name, index, loads, entries] :
         std::vector<std::tuple<const char*, unsigned int, int, int>>{
             {"Textures\\ui\\blackback.jpg", 1, 1, 2},
             {"Textures\\ui\\blackback.jpg", 1, 0, 2},
             {"TEXTURES\\UI\\BLACKBACK.JPG", 2, 1, 3},  // another spelling is another entry
             {"missing.bmp", 0, 0, 4},                  // a failed entry: the fallback's index
             {"C:\\lmap01.tga", 0, 0, 4},               // takes the failed entry, fails there too
             {"Media\\Textures\\floor.tga", 3, 1, 4},   // takes it and holds a texture
             {"Media\\Textures\\floor.tga", 3, 0, 4},
             {"missing.bmp", 0, 0, 5},  // the entry it failed in holds another name now
             {"", 0, 0, 5}}) {
        recorder.Clear();
        EXPECT_EQ(index, textures->GetTexture(KrStringT<char>(name))) << name;
        EXPECT_EQ(loads, created()) << name;
        EXPECT_EQ(entries, textures->CachedTextureCount(eTexStatic)) << name;
    }
    EXPECT_EQ(128u, textures->GetTexture(3)->Width());
    // Indexes outside a cache find nothing.
    krtest::ClearLog();
    EXPECT_EQ(nullptr, textures->GetTexture(5));
    EXPECT_EQ(nullptr, textures->GetTextureInterface(5, eTexStatic));
    EXPECT_EQ(nullptr, textures->GetTextureInterface(0, eTexDynamic));
    EXPECT_EQ(nullptr, textures->GetTextureInterface(0, eTextureType(3)));
    EXPECT_EQ(
        "ERROR: KrD3DTextureMgr::GetTextureInterface(...) was passed an invalid texture type "
        "enumeration",
        krtest::LogLines().back());

    // Dynamic textures are found by their handles until a reset unlinks them. Wine's device takes
    // sizes other than powers of two; one whose caps ask for powers of two refuses them.
    int index = -1;
    ASSERT_EQ(0, textures->CreateTexture(48, 16, eResFmtA8R8G8B8, 1));
    EXPECT_TRUE(textures->GetDynamic(0, index) && index == 0);
    EXPECT_FALSE(textures->GetDynamic(1, index));
    KrD3DRenDevProbe(*running.Device()).NonPow2Textures() = false;
    EXPECT_EQ(-1, textures->CreateTexture(48, 16, eResFmtA8R8G8B8, 1));
    // The tenth is manual_09, the eleventh manual_10; failed locks and unlocks name the texture.
    while (textures->CreateTexture(16, 16, eResFmtA8R8G8B8, 1) < 10) {
    }
    krtest::ClearLog();
    EXPECT_EQ(-1, textures->CreateTexture(16, 16, eResFormat(D3DFMT_UNKNOWN), 1));
    KrTextureBase* last = textures->GetDynamic(10);
    EXPECT_EQ(nullptr, last->Access(1));  // it has one level
    textures->GetDynamic(9)->Update(0);
    ASSERT_NE(nullptr, last->Access(0));
    last->Update(1);
    EXPECT_EQ(Lines({"WARNING: Failed to create D3DFMT_UNKNOWN dynamic texture 16x16",
                     "WARNING: Failed to lock texture: manual_10",
                     "WARNING: Update(...) called on NULL texture: manual_09",
                     "WARNING: Failed to unlock texture: manual_10"}),
              krtest::LogLines());

    // A reset reloads every static entry into its own index and unlinks the dynamic textures.
    recorder.Clear();
    ASSERT_TRUE(running.Render()->UpdateDimensions());
    EXPECT_EQ(4, created());
    EXPECT_EQ(5, textures->CachedTextureCount(eTexStatic));
    for (int i : {0, 1, 2, 3})
        EXPECT_NE(nullptr, *textures->GetTextureInterface(i, eTexStatic));
    EXPECT_EQ(0, textures->CachedTextureCount(eTexDynamic));
    EXPECT_FALSE(textures->GetDynamic(0, index));
    EXPECT_EQ(0, textures->CreateTexture(16, 16, eResFmtX8R8G8B8, 1));
}
