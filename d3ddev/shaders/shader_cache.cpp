// The shader cache: every vertex-shader text the device was given, with the shader and the vertex
// declaration made from it. Each distinct text is assembled once per device lifetime; a text that
// failed is remembered too, so it is not assembled again.
#include <d3dx9.h>

#include "d3d_ren_dev.h"
#include "platform.h"
#include "release_fully.h"

namespace {
// The text of a string for a "%s" argument: an empty engine string holds no block at all.
const char* Printable(const KrStringT<char>& text) {
    return text.Text() != nullptr ? text.Text() : "";
}

// The assembler's message, held in a string of its own so that a buffer without a terminator
// cannot run the log past its end.
KrStringT<char> AssemblerMessage(ID3DXBuffer* errors) {
    if (errors == nullptr || errors->GetBufferPointer() == nullptr ||
        errors->GetBufferSize() == 0) {
        return KrStringT<char>("(the assembler gave no message)");
    }
    return KrStringT<char>(static_cast<const char*>(errors->GetBufferPointer()),
                           static_cast<int>(errors->GetBufferSize()));
}

}  // namespace

bool KrD3DRenDev::CompileShader(KrStringT<char>& source, void** shader, void** declaration) {
    bool result = true;
    auto textAt = [this](int i) -> const KrStringT<char>& { return sources[i]; };
    int cached = sourceIndex.Find(source, textAt);
    if (cached >= 0) {
        *shader = shaders[cached];
        *declaration = declarations[cached];
        return true;
    }

    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    IDirect3DVertexShader9* created = nullptr;
    HRESULT assembled = Platform().D3DXAssembleShader(
        Printable(source), static_cast<UINT>(source.Length()), nullptr, nullptr, 0, &code, &errors);
    if (assembled != D3D_OK) {
        GLog.DebugPrintf("ERROR: Failed to assemble shader:\n\t%s", Printable(source));
        GLog.DebugPrintf("ERROR: Failed - %s", Printable(AssemblerMessage(errors)));
        result = false;
    } else {
        bool made = device != nullptr && code != nullptr &&
                    device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()),
                                               &created) == D3D_OK;
        if (made) {
            *shader = created;
        } else {
            created = nullptr;
            GLog.DebugPrintf("ERROR: Failed to compile shader:\n\t%s", Printable(source));
            result = false;
        }
    }
    if (code != nullptr) {
        code->Release();
    }
    if (errors != nullptr) {
        errors->Release();
    }

    // Recorded whatever happened above, so the three lists stay parallel and a failed text is
    // answered from here next time.
    shaders.Add(created);
    sources.Add(source);
    sourceIndex.Add(sources.Count() - 1, textAt);
    CreateVertexDecl(source);
    *declaration = declarations[declarations.Count() - 1];
    return result;
}

void KrD3DRenDev::ReleaseShaderCache() {
    for (int i = 0; i < shaders.Count(); ++i) {
        ReleaseFully(shaders[i]);
        ReleaseFully(declarations[i]);
    }
    shaders.Clear();
    sources.Clear();
    sourceIndex.Clear();
    declarations.Clear();
    GLog.DebugPrintf("Cached shader binaries safely released");
}
