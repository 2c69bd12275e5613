// The recording proxy of IDirect3DDevice9: every method, in the interface's order, forwarded to
// the real device. Only GetDirect3D, Reset and the reference counting need more than forwarding.
#include "recording_call.h"

namespace krtest {
namespace {

using detail::KeepFloats;
using detail::KeepInts;
using detail::KeepMatrix;

class RecordingDevice final : public IDirect3DDevice9 {
  public:
    RecordingDevice(IDirect3DDevice9* real, D3DRecorder* recorder, IDirect3D9* parent)
        : real_(real), rec_(recorder), parent_(parent) {
        if (parent_ != nullptr) {
            detail::AttachDevice(parent_);
        }
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return detail::QueryInterfaceThrough(rec_, object, [&]() -> HRESULT {
            if (object == nullptr) {
                return E_POINTER;
            }
            if (riid == __uuidof(IUnknown) || riid == __uuidof(IDirect3DDevice9)) {
                AddRef();
                *object = static_cast<IDirect3DDevice9*>(this);
                return S_OK;
            }
            return real_->QueryInterface(riid, object);
        });
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        const ULONG count = real_->AddRef();
        detail::RecordRefCount(rec_, "AddRef", count);
        return count;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = real_->Release();
        detail::RecordRefCount(rec_, "Release", count);
        if (count == 0) {
            // The real device has let go of the real IDirect3D9 object too.
            if (parent_ != nullptr) {
                detail::DetachDevice(parent_);
            }
            delete this;
        }
        return count;
    }

    KR_FORWARD_HR(TestCooperativeLevel, (), ())
    KR_FORWARD_VALUE(UINT, GetAvailableTextureMem, (), ())
    KR_FORWARD_HR(EvictManagedResources, (), ())

    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** d3d) override {
        return detail::Invoke<true>(rec_, "GetDirect3D", std::make_tuple(d3d), detail::NoNote{},
                                    [&] {
                                        const HRESULT hr = real_->GetDirect3D(d3d);
                                        if (SUCCEEDED(hr) && d3d != nullptr && *d3d != nullptr) {
                                            *d3d = ProxyOf(*d3d);
                                        }
                                        return hr;
                                    });
    }

    KR_FORWARD_HR(GetDeviceCaps, (D3DCAPS9 * caps), (caps))
    KR_FORWARD_HR(GetDisplayMode, (UINT swapChain, D3DDISPLAYMODE* mode), (swapChain, mode))
    KR_FORWARD_HR(GetCreationParameters, (D3DDEVICE_CREATION_PARAMETERS * parameters), (parameters))
    KR_FORWARD_HR(SetCursorProperties, (UINT x, UINT y, IDirect3DSurface9* bitmap), (x, y, bitmap))
    KR_FORWARD_VALUE(void, SetCursorPosition, (int x, int y, DWORD flags), (x, y, flags))
    KR_FORWARD_VALUE(WINBOOL, ShowCursor, (WINBOOL show), (show))
    KR_FORWARD_HR(CreateAdditionalSwapChain,
                  (D3DPRESENT_PARAMETERS * parameters, IDirect3DSwapChain9** swapChain),
                  (parameters, swapChain))
    KR_FORWARD_HR(GetSwapChain, (UINT index, IDirect3DSwapChain9** swapChain), (index, swapChain))
    KR_FORWARD_VALUE(UINT, GetNumberOfSwapChains, (), ())

    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* parameters) override {
        const auto note = [&](RecordedCall&) {
            if (parameters != nullptr) {
                rec_->lastPresentParameters = *parameters;
            }
        };
        return detail::Invoke<true>(rec_, "Reset", std::make_tuple(parameters), note,
                                    [&] { return real_->Reset(parameters); });
    }

    KR_FORWARD_HR(Present,
                  (const RECT* source, const RECT* dest, HWND window, const RGNDATA* dirty),
                  (source, dest, window, dirty))
    KR_FORWARD_HR(GetBackBuffer,
                  (UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** buffer),
                  (swapChain, index, type, buffer))
    KR_FORWARD_HR(GetRasterStatus, (UINT swapChain, D3DRASTER_STATUS* status), (swapChain, status))
    KR_FORWARD_HR(SetDialogBoxMode, (WINBOOL enable), (enable))
    KR_FORWARD_VALUE(void, SetGammaRamp, (UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp),
                     (swapChain, flags, ramp))
    KR_FORWARD_VALUE(void, GetGammaRamp, (UINT swapChain, D3DGAMMARAMP* ramp), (swapChain, ramp))
    KR_FORWARD_HR(CreateTexture,
                  (UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                   D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared),
                  (width, height, levels, usage, format, pool, texture, shared))
    KR_FORWARD_HR(CreateVolumeTexture,
                  (UINT width, UINT height, UINT depth, UINT levels, DWORD usage, D3DFORMAT format,
                   D3DPOOL pool, IDirect3DVolumeTexture9** texture, HANDLE* shared),
                  (width, height, depth, levels, usage, format, pool, texture, shared))
    KR_FORWARD_HR(CreateCubeTexture,
                  (UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                   IDirect3DCubeTexture9** texture, HANDLE* shared),
                  (edge, levels, usage, format, pool, texture, shared))
    KR_FORWARD_HR(CreateVertexBuffer,
                  (UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                   IDirect3DVertexBuffer9** buffer, HANDLE* shared),
                  (length, usage, fvf, pool, buffer, shared))
    KR_FORWARD_HR(CreateIndexBuffer,
                  (UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                   IDirect3DIndexBuffer9** buffer, HANDLE* shared),
                  (length, usage, format, pool, buffer, shared))
    KR_FORWARD_HR(CreateRenderTarget,
                  (UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                   DWORD quality, WINBOOL lockable, IDirect3DSurface9** surface, HANDLE* shared),
                  (width, height, format, multiSample, quality, lockable, surface, shared))
    KR_FORWARD_HR(CreateDepthStencilSurface,
                  (UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                   DWORD quality, WINBOOL discard, IDirect3DSurface9** surface, HANDLE* shared),
                  (width, height, format, multiSample, quality, discard, surface, shared))
    KR_FORWARD_HR(UpdateSurface,
                  (IDirect3DSurface9 * source, const RECT* sourceRect, IDirect3DSurface9* dest,
                   const POINT* destPoint),
                  (source, sourceRect, dest, destPoint))
    KR_FORWARD_HR(UpdateTexture, (IDirect3DBaseTexture9 * source, IDirect3DBaseTexture9* dest),
                  (source, dest))
    KR_FORWARD_HR(GetRenderTargetData, (IDirect3DSurface9 * target, IDirect3DSurface9* dest),
                  (target, dest))
    KR_FORWARD_HR(GetFrontBufferData, (UINT swapChain, IDirect3DSurface9* dest), (swapChain, dest))
    KR_FORWARD_HR(StretchRect,
                  (IDirect3DSurface9 * source, const RECT* sourceRect, IDirect3DSurface9* dest,
                   const RECT* destRect, D3DTEXTUREFILTERTYPE filter),
                  (source, sourceRect, dest, destRect, filter))
    KR_FORWARD_HR(ColorFill, (IDirect3DSurface9 * surface, const RECT* rect, D3DCOLOR colour),
                  (surface, rect, colour))
    KR_FORWARD_HR(CreateOffscreenPlainSurface,
                  (UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                   IDirect3DSurface9** surface, HANDLE* shared),
                  (width, height, format, pool, surface, shared))
    KR_FORWARD_HR(SetRenderTarget, (DWORD index, IDirect3DSurface9* target), (index, target))
    KR_FORWARD_HR(GetRenderTarget, (DWORD index, IDirect3DSurface9** target), (index, target))
    KR_FORWARD_HR(SetDepthStencilSurface, (IDirect3DSurface9 * surface), (surface))
    KR_FORWARD_HR(GetDepthStencilSurface, (IDirect3DSurface9 * *surface), (surface))
    KR_FORWARD_HR(BeginScene, (), ())
    KR_FORWARD_HR(EndScene, (), ())
    KR_FORWARD_HR(Clear,
                  (DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                   DWORD stencil),
                  (count, rects, flags, colour, z, stencil))
    KR_FORWARD_HR_NOTE(SetTransform, (D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix),
                       (state, matrix), KeepMatrix(matrix))
    KR_FORWARD_HR(GetTransform, (D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix), (state, matrix))
    KR_FORWARD_HR_NOTE(MultiplyTransform, (D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix),
                       (state, matrix), KeepMatrix(matrix))
    KR_FORWARD_HR(SetViewport, (const D3DVIEWPORT9* viewport), (viewport))
    KR_FORWARD_HR(GetViewport, (D3DVIEWPORT9 * viewport), (viewport))
    KR_FORWARD_HR(SetMaterial, (const D3DMATERIAL9* material), (material))
    KR_FORWARD_HR(GetMaterial, (D3DMATERIAL9 * material), (material))
    KR_FORWARD_HR(SetLight, (DWORD index, const D3DLIGHT9* light), (index, light))
    KR_FORWARD_HR(GetLight, (DWORD index, D3DLIGHT9* light), (index, light))
    KR_FORWARD_HR(LightEnable, (DWORD index, WINBOOL enable), (index, enable))
    KR_FORWARD_HR(GetLightEnable, (DWORD index, WINBOOL* enable), (index, enable))
    KR_FORWARD_HR_NOTE(SetClipPlane, (DWORD index, const float* plane), (index, plane),
                       KeepFloats(plane, 4))
    KR_FORWARD_HR(GetClipPlane, (DWORD index, float* plane), (index, plane))
    KR_FORWARD_HR(SetRenderState, (D3DRENDERSTATETYPE state, DWORD value), (state, value))
    KR_FORWARD_HR(GetRenderState, (D3DRENDERSTATETYPE state, DWORD* value), (state, value))
    KR_FORWARD_HR(CreateStateBlock, (D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block),
                  (type, block))
    KR_FORWARD_HR(BeginStateBlock, (), ())
    KR_FORWARD_HR(EndStateBlock, (IDirect3DStateBlock9 * *block), (block))
    KR_FORWARD_HR(SetClipStatus, (const D3DCLIPSTATUS9* status), (status))
    KR_FORWARD_HR(GetClipStatus, (D3DCLIPSTATUS9 * status), (status))
    KR_FORWARD_HR(GetTexture, (DWORD stage, IDirect3DBaseTexture9** texture), (stage, texture))
    KR_FORWARD_HR(SetTexture, (DWORD stage, IDirect3DBaseTexture9* texture), (stage, texture))
    KR_FORWARD_HR(GetTextureStageState, (DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value),
                  (stage, type, value))
    KR_FORWARD_HR(SetTextureStageState, (DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value),
                  (stage, type, value))
    KR_FORWARD_HR(GetSamplerState, (DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value),
                  (sampler, type, value))
    KR_FORWARD_HR(SetSamplerState, (DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value),
                  (sampler, type, value))
    KR_FORWARD_HR(ValidateDevice, (DWORD * passes), (passes))
    KR_FORWARD_HR(SetPaletteEntries, (UINT palette, const PALETTEENTRY* entries),
                  (palette, entries))
    KR_FORWARD_HR(GetPaletteEntries, (UINT palette, PALETTEENTRY* entries), (palette, entries))
    KR_FORWARD_HR(SetCurrentTexturePalette, (UINT palette), (palette))
    KR_FORWARD_HR(GetCurrentTexturePalette, (UINT * palette), (palette))
    KR_FORWARD_HR(SetScissorRect, (const RECT* rect), (rect))
    KR_FORWARD_HR(GetScissorRect, (RECT * rect), (rect))
    KR_FORWARD_HR(SetSoftwareVertexProcessing, (WINBOOL software), (software))
    KR_FORWARD_VALUE(WINBOOL, GetSoftwareVertexProcessing, (), ())
    KR_FORWARD_HR(SetNPatchMode, (float segments), (segments))
    KR_FORWARD_VALUE(float, GetNPatchMode, (), ())
    KR_FORWARD_HR(DrawPrimitive, (D3DPRIMITIVETYPE type, UINT start, UINT count),
                  (type, start, count))
    KR_FORWARD_HR(DrawIndexedPrimitive,
                  (D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertices,
                   UINT startIndex, UINT count),
                  (type, baseVertex, minIndex, vertices, startIndex, count))
    KR_FORWARD_HR(DrawPrimitiveUP,
                  (D3DPRIMITIVETYPE type, UINT count, const void* data, UINT stride),
                  (type, count, data, stride))
    KR_FORWARD_HR(DrawIndexedPrimitiveUP,
                  (D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT count,
                   const void* indices, D3DFORMAT indexFormat, const void* data, UINT stride),
                  (type, minIndex, vertices, count, indices, indexFormat, data, stride))
    KR_FORWARD_HR(ProcessVertices,
                  (UINT source, UINT dest, UINT count, IDirect3DVertexBuffer9* buffer,
                   IDirect3DVertexDeclaration9* declaration, DWORD flags),
                  (source, dest, count, buffer, declaration, flags))
    KR_FORWARD_HR(CreateVertexDeclaration,
                  (const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration),
                  (elements, declaration))
    KR_FORWARD_HR(SetVertexDeclaration, (IDirect3DVertexDeclaration9 * declaration), (declaration))
    KR_FORWARD_HR(GetVertexDeclaration, (IDirect3DVertexDeclaration9 * *declaration), (declaration))
    KR_FORWARD_HR(SetFVF, (DWORD fvf), (fvf))
    KR_FORWARD_HR(GetFVF, (DWORD * fvf), (fvf))
    KR_FORWARD_HR(CreateVertexShader, (const DWORD* code, IDirect3DVertexShader9** shader),
                  (code, shader))
    KR_FORWARD_HR(SetVertexShader, (IDirect3DVertexShader9 * shader), (shader))
    KR_FORWARD_HR(GetVertexShader, (IDirect3DVertexShader9 * *shader), (shader))
    KR_FORWARD_HR_NOTE(SetVertexShaderConstantF, (UINT start, const float* data, UINT count),
                       (start, data, count), KeepFloats(data, 4 * size_t{count}))
    KR_FORWARD_HR(GetVertexShaderConstantF, (UINT start, float* data, UINT count),
                  (start, data, count))
    KR_FORWARD_HR_NOTE(SetVertexShaderConstantI, (UINT start, const int* data, UINT count),
                       (start, data, count), KeepInts(data, 4 * size_t{count}))
    KR_FORWARD_HR(GetVertexShaderConstantI, (UINT start, int* data, UINT count),
                  (start, data, count))
    KR_FORWARD_HR_NOTE(SetVertexShaderConstantB, (UINT start, const WINBOOL* data, UINT count),
                       (start, data, count), KeepInts(data, count))
    KR_FORWARD_HR(GetVertexShaderConstantB, (UINT start, WINBOOL* data, UINT count),
                  (start, data, count))
    KR_FORWARD_HR(SetStreamSource,
                  (UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride),
                  (stream, buffer, offset, stride))
    KR_FORWARD_HR(GetStreamSource,
                  (UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride),
                  (stream, buffer, offset, stride))
    KR_FORWARD_HR(SetStreamSourceFreq, (UINT stream, UINT divider), (stream, divider))
    KR_FORWARD_HR(GetStreamSourceFreq, (UINT stream, UINT* divider), (stream, divider))
    KR_FORWARD_HR(SetIndices, (IDirect3DIndexBuffer9 * buffer), (buffer))
    KR_FORWARD_HR(GetIndices, (IDirect3DIndexBuffer9 * *buffer), (buffer))
    KR_FORWARD_HR(CreatePixelShader, (const DWORD* code, IDirect3DPixelShader9** shader),
                  (code, shader))
    KR_FORWARD_HR(SetPixelShader, (IDirect3DPixelShader9 * shader), (shader))
    KR_FORWARD_HR(GetPixelShader, (IDirect3DPixelShader9 * *shader), (shader))
    KR_FORWARD_HR_NOTE(SetPixelShaderConstantF, (UINT start, const float* data, UINT count),
                       (start, data, count), KeepFloats(data, 4 * size_t{count}))
    KR_FORWARD_HR(GetPixelShaderConstantF, (UINT start, float* data, UINT count),
                  (start, data, count))
    KR_FORWARD_HR_NOTE(SetPixelShaderConstantI, (UINT start, const int* data, UINT count),
                       (start, data, count), KeepInts(data, 4 * size_t{count}))
    KR_FORWARD_HR(GetPixelShaderConstantI, (UINT start, int* data, UINT count),
                  (start, data, count))
    KR_FORWARD_HR_NOTE(SetPixelShaderConstantB, (UINT start, const WINBOOL* data, UINT count),
                       (start, data, count), KeepInts(data, count))
    KR_FORWARD_HR(GetPixelShaderConstantB, (UINT start, WINBOOL* data, UINT count),
                  (start, data, count))
    KR_FORWARD_HR(DrawRectPatch,
                  (UINT handle, const float* segments, const D3DRECTPATCH_INFO* info),
                  (handle, segments, info))
    KR_FORWARD_HR(DrawTriPatch, (UINT handle, const float* segments, const D3DTRIPATCH_INFO* info),
                  (handle, segments, info))
    KR_FORWARD_HR(DeletePatch, (UINT handle), (handle))
    KR_FORWARD_HR(CreateQuery, (D3DQUERYTYPE type, IDirect3DQuery9** query), (type, query))

  private:
    ~RecordingDevice() = default;

    // Hands out the IDirect3D9 proxy for the real object `realD3D` (one reference, which the
    // proxy now owns). A device wrapped on its own gets its proxy made on first demand.
    IDirect3D9* ProxyOf(IDirect3D9* realD3D) {
        if (parent_ == nullptr) {
            parent_ = WrapDirect3D(realD3D, rec_);
            detail::AttachDevice(parent_);
            return parent_;
        }
        parent_->AddRef();
        realD3D->Release();
        return parent_;
    }

    IDirect3DDevice9* real_;
    D3DRecorder* rec_;
    IDirect3D9* parent_;
};

}  // namespace

IDirect3DDevice9* WrapDevice(IDirect3DDevice9* real, D3DRecorder* recorder) {
    return real != nullptr ? new RecordingDevice(real, recorder, nullptr) : nullptr;
}

namespace detail {

IDirect3DDevice9* WrapDeviceOf(IDirect3DDevice9* real, D3DRecorder* recorder, IDirect3D9* parent) {
    return new RecordingDevice(real, recorder, parent);
}

}  // namespace detail
}  // namespace krtest
