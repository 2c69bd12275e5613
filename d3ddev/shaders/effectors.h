// Effectors: ordered render passes, each with a texture, flags and a compiled vertex shader with
// its declaration; and the manager that registers them by name.
#pragma once

#include <d3d9.h>

#include "d3ddev_api.h"
#include "krngn.h"

// Pass flags read at draw time.
const unsigned int kPassSecondStage = 1;
const unsigned int kPassDynamicTexture = 2;
const unsigned int kPassAlpha = 4;

class D3DDEV_API KrD3DRenderPass : public KrRenderPass {
  public:
    KrD3DRenderPass();
    KrD3DRenderPass(const KrD3DRenderPass& other);
    KrD3DRenderPass& operator=(const KrD3DRenderPass& other);
    ~KrD3DRenderPass();
    void Destroy();

    IDirect3DVertexDeclaration9* declaration;
    IDirect3DVertexShader9* shader;
};

class D3DDEV_API KrD3DEffector : public KrEffector {
  public:
    KrD3DEffector();
    KrD3DEffector(const KrD3DEffector& other);
    KrD3DEffector& operator=(const KrD3DEffector& other);
    ~KrD3DEffector() override;

    void Reset() override;
    KrRenderPass* AddPass(const KrStringT<char>& shaderText) override;
    KrRenderPass* GetPass(int index) override;
    bool IsProgrammable() override;
    bool operator==(const KrD3DEffector& other) const;

    int PassCount() const { return passes.Count(); }

  private:
    TDArray<KrD3DRenderPass> passes;
};

class D3DDEV_API KrD3DEffectorMgr : public KrEffectorMgr {
  public:
    KrD3DEffectorMgr();
    ~KrD3DEffectorMgr() override;

    int AddEffector(KrStringT<char>& name, KrEffector* effector) override;
    int AddEffector(KrStringT<char>& name, const KrStringT<char>& script,
                    eFXRep representation) override;
    KrEffector* CreateEffector(const KrStringT<char>& name) override;
    KrEffector* CreateEffector() override;

  protected:
    KrD3DEffector* CloneEffector(int index);
};
