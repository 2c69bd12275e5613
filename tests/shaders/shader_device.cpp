#include "shader_device.h"

#include "platform.h"

int AssemblerSeam::calls = 0;
std::vector<std::string> AssemblerSeam::texts;
std::string AssemblerSeam::refuseContaining;

namespace {
HRESULT WINAPI CountingAssembler(LPCSTR source, UINT length, const D3DXMACRO* defines,
                                 LPD3DXINCLUDE include, DWORD flags, LPD3DXBUFFER* code,
                                 LPD3DXBUFFER* errors) {
    ++AssemblerSeam::calls;
    std::string text(source != nullptr ? source : "", length);
    AssemblerSeam::texts.push_back(text);
    if (!AssemblerSeam::refuseContaining.empty() &&
        text.find(AssemblerSeam::refuseContaining) != std::string::npos) {
        // A refusal with the assembler's own kind of message: assemble a broken text instead.
        static const char kBroken[] = "vs.1.1\nnot an instruction\n";
        return RealPlatform().D3DXAssembleShader(kBroken, sizeof kBroken - 1, nullptr, nullptr, 0,
                                                 code, errors);
    }
    return RealPlatform().D3DXAssembleShader(source, length, defines, include, flags, code, errors);
}
}  // namespace

void AssemblerSeam::Install() {
    Reset();
    Platform().D3DXAssembleShader = CountingAssembler;
}

void AssemblerSeam::Reset() {
    calls = 0;
    texts.clear();
    refuseContaining.clear();
}

int InspectableEffectorMgr::NameEntries(const char* name) {
    KrStringT<char> key(name);
    int entries = 0;
    for (int b = 0; b < buckets.Count(); ++b) {
        for (TDListNode<NamedIndex>* node = buckets[b].Head(); node != nullptr; node = node->next) {
            if (node->item.name == key) {
                ++entries;
            }
        }
    }
    return entries;
}

KrD3DEffector* InspectableEffectorMgr::At(unsigned int index) {
    KrEffector** slot = GetEffector(index);
    return slot != nullptr ? static_cast<KrD3DEffector*>(*slot) : nullptr;
}

void ShaderDeviceTest::SetUp() {
    liveBlocksAtStart = krLiveBlocks();
    engine = new krtest::EngineSetUp();
    ASSERT_TRUE(real.Create()) << "no Direct3D device on this adapter";
    dev = new KrD3DRenDev();
    // The device object owns the Direct3D device from here; Exit releases it.
    KrD3DRenDevProbe::SetDevice(*dev, real.device);
    fx = new InspectableEffectorMgr();
    KrD3DRenDevProbe::SetManagers(*dev, nullptr, fx);
    Engine().SetRender(dev);
    AssemblerSeam::Install();
    krtest::ClearLog();
}

void ShaderDeviceTest::TearDown() {
    RestorePlatform();
    AssemblerSeam::Reset();
    if (dev != nullptr && !exited) {
        IDirect3DDevice9* device = real.device;
        device->AddRef();
        dev->Exit();
        EXPECT_EQ(0, KrD3DRenDevProbe::ShaderCount(*dev));
        EXPECT_EQ(0, KrD3DRenDevProbe::SourceCount(*dev));
        EXPECT_EQ(0, KrD3DRenDevProbe::DeclarationCount(*dev));
        // Only our reference is left when the cache released every shader and declaration.
        EXPECT_EQ(0ul, device->Release());
    }
    delete dev;
    dev = nullptr;
    fx = nullptr;  // deleted by Exit
    real.device = nullptr;
    real.Release();
    Engine().SetRender(nullptr);
    delete engine;
    engine = nullptr;
    EXPECT_EQ(liveBlocksAtStart, krLiveBlocks());
}

bool ShaderDeviceTest::Compile(const std::string& text, IDirect3DVertexShader9** shader,
                               IDirect3DVertexDeclaration9** declaration) {
    KrStringT<char> source(text.data(), static_cast<int>(text.size()));
    return dev->CompileShader(source, reinterpret_cast<void**>(shader),
                              reinterpret_cast<void**>(declaration));
}

std::vector<D3DVERTEXELEMENT9> ShaderDeviceTest::Elements(
    IDirect3DVertexDeclaration9* declaration) {
    std::vector<D3DVERTEXELEMENT9> elements;
    if (declaration == nullptr) {
        return elements;
    }
    UINT count = 0;
    if (FAILED(declaration->GetDeclaration(nullptr, &count)) || count == 0) {
        return elements;
    }
    elements.resize(count);
    declaration->GetDeclaration(elements.data(), &count);
    elements.resize(count - 1);  // the end marker
    return elements;
}

void ShaderDeviceTest::ExpectListsInStep() {
    EXPECT_EQ(KrD3DRenDevProbe::SourceCount(*dev), KrD3DRenDevProbe::ShaderCount(*dev));
    EXPECT_EQ(KrD3DRenDevProbe::SourceCount(*dev), KrD3DRenDevProbe::DeclarationCount(*dev));
}

void ExpectElements(const std::vector<D3DVERTEXELEMENT9>& actual,
                    const std::vector<ExpectedElement>& expected, const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(0, actual[i].Stream) << what << " element " << i;
        EXPECT_EQ(expected[i].offset, actual[i].Offset) << what << " element " << i;
        EXPECT_EQ(expected[i].type, actual[i].Type) << what << " element " << i;
        EXPECT_EQ(D3DDECLMETHOD_DEFAULT, actual[i].Method) << what << " element " << i;
        EXPECT_EQ(expected[i].usage, actual[i].Usage) << what << " element " << i;
        EXPECT_EQ(expected[i].usageIndex, actual[i].UsageIndex) << what << " element " << i;
    }
}
