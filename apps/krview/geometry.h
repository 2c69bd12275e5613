// Vertex layouts of the device's built-in effectors and the shapes the scenes draw with them.
#pragma once

#include <cstdint>
#include <vector>

#include "krngn.h"

namespace krview {

// "ShaderDefault": position, colour, texture coordinates (24 bytes).
struct DefaultVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
const unsigned long kDefaultFvf = 0x142;  // XYZ | DIFFUSE | TEX1

// "Shader3d": position, normal, colour, texture coordinates (36 bytes).
struct LitVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;
    float u, v;
};
const unsigned long kLitFvf = 0x152;  // XYZ | NORMAL | DIFFUSE | TEX1

// "Shader2d": pre-transformed position, colour, texture coordinates (28 bytes).
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
const unsigned long kScreenFvf = 0x144;  // XYZRHW | DIFFUSE | TEX1

static_assert(sizeof(DefaultVertex) == 24, "ShaderDefault vertices are 24 bytes");
static_assert(sizeof(LitVertex) == 36, "Shader3d vertices are 36 bytes");
static_assert(sizeof(ScreenVertex) == 28, "Shader2d vertices are 28 bytes");

const unsigned long kTriangleList = 4;
const unsigned long kTriangleFan = 6;

// A cube of half-size `half` around the origin as a triangle list (36 vertices), faces wound
// clockwise seen from outside, each face a shade of `colour` so the edges read without lighting.
std::vector<DefaultVertex> Cube(float half, uint32_t colour);
std::vector<LitVertex> LitCube(float half, uint32_t colour);

// A square floor at height y spanning [-half, half] in x and z, cut into cells x cells so that
// per-vertex lighting has vertices to work with; the texture repeats `repeat` times across it.
void Floor(int cells, float half, float y, float repeat, std::vector<LitVertex>& vertices,
           std::vector<uint16_t>& indices);

// A screen rectangle as a triangle fan; pixel centres sit at half coordinates.
std::vector<ScreenVertex> ScreenRect(float x, float y, float width, float height, uint32_t colour);

// A frame at `position` turned by `angle` radians about the y axis.
KrCoords TurnedFrame(const KrVector& position, float angle);

}  // namespace krview
