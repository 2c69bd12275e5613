// The vertex declaration of a shader text, derived from its dcl_ statements. Elements always come
// in the order and sizes of the flexible vertex format (position, normal, colour, texture sets),
// so a buffer laid out by the FVF code of the same components matches it byte for byte.
#include "d3d_ren_dev.h"

namespace {
struct DeclarationMarker {
    const char* marker;  // searched as a plain substring, comments included
    BYTE type;
    BYTE usage;
    BYTE usageIndex;
    WORD size;
};

// "dcl_position0" names a pre-transformed position (x, y, z, rhw); only without it does the plain
// marker, which is also a substring of it, name an untransformed one.
const DeclarationMarker kTransformedPosition = {"dcl_position0", D3DDECLTYPE_FLOAT4,
                                                D3DDECLUSAGE_POSITIONT, 0, 16};
const DeclarationMarker kPosition = {"dcl_position", D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0,
                                     12};
const DeclarationMarker kFollowing[] = {
    {"dcl_normal", D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12},
    {"dcl_color0", D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4},
    {"dcl_texcoord0", D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0, 8},
    {"dcl_texcoord1", D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 1, 8},
};

bool Mentions(const KrStringT<char>& source, const DeclarationMarker& marker) {
    return Find(source, KrStringT<char>(marker.marker), 0) >= 0;
}

void Emit(TDArray<D3DVERTEXELEMENT9>& elements, const DeclarationMarker& marker, WORD& offset) {
    D3DVERTEXELEMENT9 element = {
        0, offset, marker.type, D3DDECLMETHOD_DEFAULT, marker.usage, marker.usageIndex};
    elements.Add(element);
    offset = static_cast<WORD>(offset + marker.size);
}
}  // namespace

bool KrD3DRenDev::CreateVertexDecl(const KrStringT<char>& source) {
    TDArray<D3DVERTEXELEMENT9> elements;
    WORD offset = 0;
    if (Mentions(source, kTransformedPosition)) {
        Emit(elements, kTransformedPosition, offset);
    } else if (Mentions(source, kPosition)) {
        Emit(elements, kPosition, offset);
    }
    for (const DeclarationMarker& marker : kFollowing) {
        if (Mentions(source, marker)) {
            Emit(elements, marker, offset);
        }
    }
    const D3DVERTEXELEMENT9 end = D3DDECL_END();
    elements.Add(end);

    IDirect3DVertexDeclaration9* created = nullptr;
    if (device == nullptr || device->CreateVertexDeclaration(&elements[0], &created) != D3D_OK) {
        GLog.DebugWriteLine("ERROR: CreateVertexDeclaration failed");
        declarations.Add(nullptr);
        return false;
    }
    declarations.Add(created);
    return true;
}
