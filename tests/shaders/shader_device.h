// A rendering device on a real Wine Direct3D device, with its shader cache open to the tests, an
// effector manager of its own, and an assembler seam that counts calls and can refuse texts.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d_ren_dev.h"
#include "effectors.h"
#include "kr_test_support.h"

// White-box access to the device's shader cache and start-up steps.
class KrD3DRenDevProbe {
  public:
    static void SetDevice(KrD3DRenDev& dev, IDirect3DDevice9* device) { dev.device = device; }
    static void SetManagers(KrD3DRenDev& dev, KrTextureMgrBase* textures, KrEffectorMgr* fx) {
        dev.textureMgr = textures;
        dev.fxMgr = fx;
    }
    static bool CreateDefaultShaders(KrD3DRenDev& dev) { return dev.CreateDefaultShaders(); }
    static void ReleaseShaderCache(KrD3DRenDev& dev) { dev.ReleaseShaderCache(); }
    static void SetCurrentEffector(KrD3DRenDev& dev, int index) { dev.currentEffector = index; }
    static int ShaderCount(const KrD3DRenDev& dev) { return dev.shaders.Count(); }
    static int SourceCount(const KrD3DRenDev& dev) { return dev.sources.Count(); }
    static int DeclarationCount(const KrD3DRenDev& dev) { return dev.declarations.Count(); }
    static std::string Source(KrD3DRenDev& dev, int index) {
        const KrStringT<char>& text = dev.sources[index];
        return std::string(text.Text() != nullptr ? text.Text() : "", text.Length());
    }
};

// The assembler seam: counts every call, remembers the texts, and refuses those that contain a
// chosen fragment (as a failing assembler would: a non-zero result and an error message).
struct AssemblerSeam {
    static int calls;
    static std::vector<std::string> texts;
    static std::string refuseContaining;
    static void Install();
    static void Reset();
};

// The effector manager with its registry open to the tests.
class InspectableEffectorMgr : public KrD3DEffectorMgr {
  public:
    int Capacity() const { return effectors.Capacity(); }
    int NameEntries(const char* name);
    KrD3DEffector* At(unsigned int index);
    KrD3DEffector* Clone(int index) { return CloneEffector(index); }
};

// One real windowed device per test, handed to a KrD3DRenDev that the engine knows as its
// renderer. TearDown empties the cache through Exit and checks that the Direct3D device's last
// reference goes with it (every shader and declaration holds one) and that no block leaked.
class ShaderDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // CompileShader on a std::string; the slots start as given.
    bool Compile(const std::string& text, IDirect3DVertexShader9** shader,
                 IDirect3DVertexDeclaration9** declaration);
    // The elements of a declaration up to and without the end marker.
    static std::vector<D3DVERTEXELEMENT9> Elements(IDirect3DVertexDeclaration9* declaration);
    void ExpectListsInStep();

    int liveBlocksAtStart = 0;
    bool exited = false;  // the test ran Exit and checked the device's release itself
    krtest::EngineSetUp* engine = nullptr;
    krtest::RealDevice real;
    KrD3DRenDev* dev = nullptr;
    InspectableEffectorMgr* fx = nullptr;
};

// One expected declaration element: offset, type, usage, usage index (stream 0, default method).
struct ExpectedElement {
    int offset;
    int type;
    int usage;
    int usageIndex;
};
void ExpectElements(const std::vector<D3DVERTEXELEMENT9>& actual,
                    const std::vector<ExpectedElement>& expected, const std::string& what);
