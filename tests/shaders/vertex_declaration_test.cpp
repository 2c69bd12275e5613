// Vertex declarations derived from the dcl_ markers of a shader text, read back from Direct3D.
#include "shader_device.h"

namespace {
const int kPos = D3DDECLUSAGE_POSITION;
const int kPosT = D3DDECLUSAGE_POSITIONT;
const int kNormal = D3DDECLUSAGE_NORMAL;
const int kColour = D3DDECLUSAGE_COLOR;
const int kTex = D3DDECLUSAGE_TEXCOORD;
const int kF2 = D3DDECLTYPE_FLOAT2;
const int kF3 = D3DDECLTYPE_FLOAT3;
const int kF4 = D3DDECLTYPE_FLOAT4;
const int kRGBA = D3DDECLTYPE_D3DCOLOR;

struct MarkerCase {
    const char* what;
    const char* text;
    std::vector<ExpectedElement> elements;
};
}  // namespace

TEST_F(ShaderDeviceTest, VertexDeclarationFollowsTheMarkersOfTheText) {
    const std::vector<MarkerCase> cases = {
        {"pre-transformed position wins over the plain marker",
         "vs.1.1\ndcl_position v1\ndcl_position0 v0\ndcl_color0 v2\nmov oPos, v0\n",
         {{0, kF4, kPosT, 0}, {16, kRGBA, kColour, 0}}},
        {"every marker, in vertex-format order whatever the statement order",
         "vs.1.1\ndcl_texcoord1 v4\ndcl_texcoord0 v3\ndcl_color0 v2\ndcl_normal v1\n"
         "dcl_position v0\nm4x4 oPos, v0, c0\n",
         {{0, kF3, kPos, 0},
          {12, kF3, kNormal, 0},
          {24, kRGBA, kColour, 0},
          {28, kF2, kTex, 0},
          {36, kF2, kTex, 1}}},
        {"position and second texture set only",
         "vs.1.1\ndcl_position v0\ndcl_texcoord1 v1\nm4x4 oPos, v0, c0\nmov oT1, v1\n",
         {{0, kF3, kPos, 0}, {12, kF2, kTex, 1}}},
        {"no position: the first element starts at 0",
         "vs.1.1\ndcl_normal v1\ndcl_texcoord0 v3\nmov oPos, v1\n",
         {{0, kF3, kNormal, 0}, {12, kF2, kTex, 0}}},
        {"markers without their index emit nothing; the normal's index is no obstacle",
         "vs.1.1\ndcl_position v0\ndcl_normal0 v1\ndcl_color v2\ndcl_texcoord v3\n"
         "m4x4 oPos, v0, c0\n",
         {{0, kF3, kPos, 0}, {12, kF3, kNormal, 0}}},
        {"a marker in a comment counts",
         "vs.1.1\n; dcl_color0 is supplied by the caller\ndcl_position v0\nm4x4 oPos, v0, c0\n",
         {{0, kF3, kPos, 0}, {12, kRGBA, kColour, 0}}},
        {"markers are case-sensitive",
         "vs.1.1\nDCL_POSITION v0\ndcl_Color0 v1\ndcl_texcoord0 v2\nmov oPos, v0\n",
         {{0, kF2, kTex, 0}}},
    };
    for (const MarkerCase& c : cases) {
        IDirect3DVertexShader9* shader = nullptr;
        IDirect3DVertexDeclaration9* declaration = nullptr;
        Compile(c.text, &shader, &declaration);
        ASSERT_NE(nullptr, declaration) << c.what;
        ExpectElements(Elements(declaration), c.elements, c.what);
    }
    ExpectListsInStep();
}
