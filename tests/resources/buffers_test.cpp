// Vertex and index buffers on the real device: pool and usage mapping, vertex counting, the
// engine's lock flags, the append ring, and every failure leaving nothing behind.
#include <cstring>

#include "recording_buffer.h"
#include "resource_fixture.h"

using krtest::LogLines;

namespace {
const unsigned long kFvfXyzDiffuseTex1 = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

D3DVERTEXBUFFER_DESC DescOf(KrVertexBufferBase* buffer) {
    D3DVERTEXBUFFER_DESC desc = {};
    static_cast<KrD3DVertexBuffer*>(buffer)->Interface()->GetDesc(&desc);
    return desc;
}

D3DINDEXBUFFER_DESC DescOf(KrIndexBufferBase* buffer) {
    D3DINDEXBUFFER_DESC desc = {};
    static_cast<KrD3DIndexBuffer*>(buffer)->Interface()->GetDesc(&desc);
    return desc;
}

template <class Buffer>
void Destroy(Buffer*& buffer) {
    if (buffer != nullptr) {
        buffer->Release();
        delete buffer;
        buffer = nullptr;
    }
}

// The bytes a Direct3D buffer holds, read through a read-only lock.
template <class Interface>
std::vector<unsigned char> Contents(Interface* buffer, unsigned int size) {
    void* data = nullptr;
    std::vector<unsigned char> bytes;
    if (SUCCEEDED(buffer->Lock(0, size, &data, D3DLOCK_READONLY))) {
        const unsigned char* begin = static_cast<const unsigned char*>(data);
        bytes.assign(begin, begin + size);
        buffer->Unlock();
    }
    return bytes;
}
}  // namespace

TEST_F(ResourceTest, BufferCreationMapsPoolsUsagesAndFormats) {
    struct Case {
        eMemPool pool;
        eResUsage usage;
        D3DPOOL d3dPool;
        DWORD d3dUsage;
        bool moved;
    };
    const Case cases[] = {
        {eMemSystem, eUsageStatic, D3DPOOL_SYSTEMMEM, 0, false},
        {eMemManaged, eUsageStatic, D3DPOOL_MANAGED, 0, false},
        {eMemDefault, eUsageDynamic, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC, false},
        {eMemManaged, eUsageDynamic, D3DPOOL_SYSTEMMEM, D3DUSAGE_DYNAMIC, true},
        {static_cast<eMemPool>(9), static_cast<eResUsage>(5), D3DPOOL_DEFAULT, 0, false},
    };
    for (const Case& c : cases) {
        krtest::ClearLog();
        KrVertexBufferBase* vb = nullptr;
        ASSERT_TRUE(dev->CreateVertexBuffer(&vb, 96, kFvfXyzDiffuseTex1, c.pool, c.usage)) << Log();
        D3DVERTEXBUFFER_DESC desc = DescOf(vb);
        EXPECT_EQ(c.d3dPool, desc.Pool) << c.pool << "/" << c.usage;
        EXPECT_EQ(c.d3dUsage, desc.Usage) << c.pool << "/" << c.usage;
        EXPECT_EQ(kFvfXyzDiffuseTex1, desc.FVF);
        EXPECT_EQ(kFvfXyzDiffuseTex1, vb->FVFFlags());
        EXPECT_EQ(0u, vb->VertexCount());
        std::vector<std::string> expected;
        if (c.moved) {
            expected.push_back(
                "WARNING: Dynamic vertex buffer requested as a managed resource. Moving to "
                "SYSTEMMEM");
        }
        EXPECT_EQ(expected, LogLines(true));
        Destroy(vb);
    }

    // Direct3D refuses an empty buffer: nothing is handed out and nothing stays allocated.
    krtest::ClearLog();
    KrVertexBufferBase* untouchedVb = reinterpret_cast<KrVertexBufferBase*>(0x1234);
    EXPECT_FALSE(dev->CreateVertexBuffer(&untouchedVb, 0, D3DFVF_XYZ, eMemManaged, eUsageStatic));
    EXPECT_EQ(reinterpret_cast<KrVertexBufferBase*>(0x1234), untouchedVb);
    KrIndexBufferBase* untouchedIb = reinterpret_cast<KrIndexBufferBase*>(0x1234);
    EXPECT_FALSE(dev->CreateIndexBuffer(&untouchedIb, 0, eIDX16, eMemManaged));
    EXPECT_EQ(reinterpret_cast<KrIndexBufferBase*>(0x1234), untouchedIb);
    EXPECT_EQ((std::vector<std::string>{"WARNING: Failed to create vertex buffer, size 0 bytes",
                                        "WARNING: Failed to create index buffer, size 0 bytes"}),
              LogLines());

    // Index buffers are always dynamic; only the default pool adds write-only.
    struct IndexCase {
        eMemPool pool;
        D3DPOOL d3dPool;
        DWORD d3dUsage;
    };
    const IndexCase indexCases[] = {
        {eMemManaged, D3DPOOL_MANAGED, D3DUSAGE_DYNAMIC},
        {eMemSystem, D3DPOOL_SYSTEMMEM, D3DUSAGE_DYNAMIC},
        {eMemDefault, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY},
    };
    for (const IndexCase& c : indexCases) {
        KrIndexBufferBase* ib = nullptr;
        ASSERT_TRUE(dev->CreateIndexBuffer(&ib, 12, eIDX16, c.pool)) << Log();
        D3DINDEXBUFFER_DESC desc = DescOf(ib);
        EXPECT_EQ(c.d3dPool, desc.Pool);
        EXPECT_EQ(c.d3dUsage, desc.Usage);
        EXPECT_EQ(D3DFMT_INDEX16, desc.Format);
        EXPECT_EQ(12u, ib->SizeInBytes());
        EXPECT_EQ(6u, ib->NumIndices());
        EXPECT_EQ(-1, ib->LastIndex());
        Destroy(ib);
    }
    KrIndexBufferBase* wide = nullptr;
    ASSERT_TRUE(dev->CreateIndexBuffer(&wide, 400, eIDX32, eMemSystem));
    EXPECT_EQ(D3DFMT_INDEX32, DescOf(wide).Format);
    EXPECT_EQ(100u, wide->NumIndices());
    Destroy(wide);

    // An unknown index format is refused, but the buffer is the caller's to release.
    krtest::ClearLog();
    KrIndexBufferBase* odd = nullptr;
    EXPECT_FALSE(dev->CreateIndexBuffer(&odd, 40, static_cast<eIDXFormat>(7), eMemSystem));
    ASSERT_NE(nullptr, odd);
    EXPECT_EQ(D3DFMT_INDEX16, DescOf(odd).Format);
    EXPECT_EQ(static_cast<eIDXFormat>(7), odd->Format());
    EXPECT_EQ(0u, odd->NumIndices());
    EXPECT_EQ(40u, odd->SizeInBytes());
    EXPECT_EQ(std::vector<std::string>{"ERROR: Invalid index format passed to "
                                       "KrD3DRenDev::CreateIndexBuffer(..)"},
              LogLines(false));
    // Its data is written, but with no index size known the append position cannot move.
    unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(eLockFailed, odd->Populate(eight, 8, false));
    EXPECT_EQ(-1, odd->LastIndex());
    Destroy(odd);
}

TEST_F(ResourceTest, VertexBufferCountsVerticesAndKeepsWritesInside) {
    EXPECT_EQ(24u, VertexStride(kFvfXyzDiffuseTex1));
    EXPECT_EQ(16u, VertexStride(D3DFVF_XYZ | D3DFVF_DIFFUSE));
    EXPECT_EQ(36u, VertexStride(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1));
    EXPECT_EQ(44u, VertexStride(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2));
    // TEX3 is 0x300: both counted bits, each on its own. Specular and blend weights count nothing.
    EXPECT_EQ(36u, VertexStride(D3DFVF_XYZ | D3DFVF_TEX3));
    EXPECT_EQ(0u, VertexStride(D3DFVF_SPECULAR | D3DFVF_PSIZE));

    KrVertexBufferBase* vb = nullptr;
    ASSERT_TRUE(dev->CreateVertexBuffer(&vb, 240, kFvfXyzDiffuseTex1, eMemSystem, eUsageStatic));
    std::vector<unsigned char> data(240);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    ASSERT_TRUE(vb->Populate(0, data.data(), 240)) << Log();
    EXPECT_EQ(10u, vb->VertexCount());
    // The count grows with every call, wherever the data went; a part vertex is dropped.
    ASSERT_TRUE(vb->Populate(48, data.data(), 50));
    EXPECT_EQ(12u, vb->VertexCount());
    std::vector<unsigned char> expected = data;
    std::memcpy(&expected[48], data.data(), 50);
    IDirect3DVertexBuffer9* d3dVb = static_cast<KrD3DVertexBuffer*>(vb)->Interface();
    EXPECT_EQ(expected, Contents(d3dVb, 240));

    // Outside the buffer or without data nothing is written (Direct3D itself would lock a range
    // past the end) and the count stays.
    krtest::ClearLog();
    EXPECT_FALSE(vb->Populate(200, data.data(), 48));
    EXPECT_FALSE(vb->Populate(0xFFFFFFF0u, data.data(), 0x20));
    EXPECT_FALSE(vb->Populate(0, nullptr, 24));
    EXPECT_EQ(12u, vb->VertexCount());
    EXPECT_EQ(std::vector<std::string>(3, "WARNING: Failed to populate vertex buffer"),
              LogLines(false));
    EXPECT_EQ(expected, Contents(d3dVb, 240));
    // The last byte of the buffer is inside.
    EXPECT_TRUE(vb->Populate(216, data.data(), 24));
    EXPECT_EQ(13u, vb->VertexCount());
    Destroy(vb);

    // A format with none of the counted components writes its data and counts nothing.
    KrVertexBufferBase* plain = nullptr;
    ASSERT_TRUE(dev->CreateVertexBuffer(&plain, 64, D3DFVF_SPECULAR, eMemSystem, eUsageStatic));
    EXPECT_TRUE(plain->Populate(0, data.data(), 64));
    EXPECT_EQ(0u, plain->VertexCount());
    EXPECT_EQ(std::vector<unsigned char>(data.begin(), data.begin() + 64),
              Contents(static_cast<KrD3DVertexBuffer*>(plain)->Interface(), 64));
    Destroy(plain);
}

TEST_F(ResourceTest, VertexBufferLocksWithTheEngineFlagsAndReleasesEveryReference) {
    KrVertexBufferBase* vb = nullptr;
    ASSERT_TRUE(dev->CreateVertexBuffer(&vb, 96, kFvfXyzDiffuseTex1, eMemSystem, eUsageDynamic));
    KrD3DVertexBuffer* d3dVb = static_cast<KrD3DVertexBuffer*>(vb);
    RecordingVertexBuffer recorder(d3dVb->Interface());
    KrD3DBufferProbe::SetInterface(*d3dVb, &recorder);

    unsigned char* pointer = nullptr;
    ASSERT_TRUE(vb->Access(0, 48, &pointer, 1));
    ASSERT_NE(nullptr, pointer);
    pointer[0] = 0x5A;
    vb->Update();
    ASSERT_TRUE(vb->Access(48, 48, &pointer, D3DLOCK_NOOVERWRITE));
    vb->Update();
    unsigned char block[24] = {};
    ASSERT_TRUE(vb->Populate(24, block, 24));
    EXPECT_EQ((std::vector<LockCall>{
                  {0, 48, D3DLOCK_DISCARD}, {48, 48, D3DLOCK_NOOVERWRITE}, {24, 24, 0}}),
              recorder.locks);
    EXPECT_EQ(3, recorder.unlocks);

    krtest::ClearLog();
    recorder.failNextLock = true;
    EXPECT_FALSE(vb->Access(0, 48, &pointer, 1));
    recorder.failNextLock = true;
    EXPECT_FALSE(vb->Populate(0, block, 24));
    EXPECT_EQ(1u, vb->VertexCount());
    EXPECT_EQ(std::vector<std::string>{"EARROR: Failed to lock vertex buffer for access"},
              LogLines(true));
    EXPECT_EQ(std::vector<std::string>{"WARNING: Failed to populate vertex buffer"},
              LogLines(false));
    EXPECT_EQ(3, recorder.unlocks);

    // A copy shares the Direct3D buffer; Release destroys it whatever references others hold.
    KrD3DBufferProbe::SetInterface(*d3dVb, recorder.Real());
    KrD3DVertexBuffer copy(*d3dVb);
    EXPECT_EQ(d3dVb->Interface(), copy.Interface());
    EXPECT_EQ(vb->FVFFlags(), copy.FVFFlags());
    d3dVb->Interface()->AddRef();
    d3dVb->Interface()->AddRef();
    copy.Release();
    EXPECT_EQ(nullptr, copy.Interface());
    copy.Release();                                   // nothing left to release
    KrD3DBufferProbe::SetInterface(*d3dVb, nullptr);  // gone with the copy's Release
    Destroy(vb);
}

TEST_F(ResourceTest, IndexRingAppendsWhileThereIsRoomThenDiscards) {
    KrIndexBufferBase* ib = nullptr;
    ASSERT_TRUE(dev->CreateIndexBuffer(&ib, 12, eIDX16, eMemSystem));
    KrD3DIndexBuffer* d3dIb = static_cast<KrD3DIndexBuffer*>(ib);
    RecordingIndexBuffer recorder(d3dIb->Interface());
    KrD3DBufferProbe::SetInterface(*d3dIb, &recorder);

    unsigned short first[2] = {0x1111, 0x2222};
    unsigned short second[2] = {0x3333, 0x4444};
    unsigned short third[4] = {0x5555, 0x6666, 0x7777, 0x8888};
    unsigned char* bytes = reinterpret_cast<unsigned char*>(first);
    EXPECT_EQ(eLockAppended, ib->Populate(bytes, 4, false));
    EXPECT_EQ(1, ib->LastIndex());
    EXPECT_EQ(eLockAppended, ib->Populate(reinterpret_cast<unsigned char*>(second), 4, false));
    EXPECT_EQ(3, ib->LastIndex());
    std::vector<unsigned char> held = Contents(recorder.Real(), 12);
    EXPECT_EQ(0, std::memcmp(&held[0], first, 4));
    EXPECT_EQ(0, std::memcmp(&held[4], second, 4));
    // 8 bytes do not fit in the 4 left: the ring starts again instead of wrapping.
    EXPECT_EQ(eLockDiscarded, ib->Populate(reinterpret_cast<unsigned char*>(third), 8, false));
    EXPECT_EQ(3, ib->LastIndex());
    EXPECT_EQ(0, std::memcmp(Contents(recorder.Real(), 8).data(), third, 8));
    // The 4 bytes left fill the buffer exactly.
    EXPECT_EQ(eLockAppended, ib->Populate(bytes, 4, false));
    EXPECT_EQ(5, ib->LastIndex());
    EXPECT_EQ(eLockDiscarded, ib->Populate(bytes, 2, false));
    EXPECT_EQ(0, ib->LastIndex());
    EXPECT_EQ(eLockDiscarded, ib->Populate(bytes, 2, true));
    EXPECT_EQ(0, ib->LastIndex());
    EXPECT_EQ(eLockDiscarded, ib->Populate(reinterpret_cast<unsigned char*>(third), 12, false));
    EXPECT_EQ(5, ib->LastIndex());
    EXPECT_EQ((std::vector<LockCall>{{0, 4, D3DLOCK_NOOVERWRITE},
                                     {4, 4, D3DLOCK_NOOVERWRITE},
                                     {0, 8, D3DLOCK_DISCARD},
                                     {8, 4, D3DLOCK_NOOVERWRITE},
                                     {0, 2, D3DLOCK_DISCARD},
                                     {0, 2, D3DLOCK_DISCARD},
                                     {0, 12, D3DLOCK_DISCARD}}),
              recorder.locks);
    EXPECT_EQ(7, recorder.unlocks);

    // Refused before any lock: one byte past the buffer, or no data.
    krtest::ClearLog();
    unsigned char big[13] = {};
    EXPECT_EQ(eLockFailed, ib->Populate(big, 13, false));
    EXPECT_EQ(eLockFailed, ib->Populate(nullptr, 2, false));
    recorder.failNextLock = true;
    EXPECT_EQ(eLockFailed, ib->Populate(bytes, 2, true));
    EXPECT_EQ((std::vector<std::string>{
                  "ERROR: KrD3DIndexBuffer::Populate(..) was passed invalid parameters",
                  "ERROR: KrD3DIndexBuffer::Populate(..) was passed invalid parameters",
                  "WARNING: Failed to populate index buffer"}),
              LogLines(false));
    EXPECT_EQ(8u, recorder.locks.size());
    EXPECT_EQ(7, recorder.unlocks);
    // An append position moved past the end by hand leaves no room: the next block discards.
    ib->SetLastIndex(40);
    EXPECT_EQ(eLockDiscarded, ib->Populate(bytes, 4, false));
    EXPECT_EQ(1, ib->LastIndex());

    // 32-bit indices advance by four bytes.
    KrIndexBufferBase* wide = nullptr;
    ASSERT_TRUE(dev->CreateIndexBuffer(&wide, 16, eIDX32, eMemSystem));
    unsigned int pair[2] = {7, 9};
    EXPECT_EQ(eLockAppended, wide->Populate(reinterpret_cast<unsigned char*>(pair), 8, false));
    EXPECT_EQ(1, wide->LastIndex());
    EXPECT_EQ(eLockAppended, wide->Populate(reinterpret_cast<unsigned char*>(pair), 8, false));
    EXPECT_EQ(3, wide->LastIndex());
    EXPECT_EQ(eLockDiscarded, wide->Populate(reinterpret_cast<unsigned char*>(pair), 4, false));
    EXPECT_EQ(0, wide->LastIndex());
    Destroy(wide);

    KrD3DBufferProbe::SetInterface(*d3dIb, recorder.Real());
    recorder.Real()->AddRef();
    ib->Release();
    EXPECT_EQ(nullptr, d3dIb->Interface());
    ib->Release();
    EXPECT_EQ(eLockFailed, ib->Populate(bytes, 2, false));
    Destroy(ib);
}
