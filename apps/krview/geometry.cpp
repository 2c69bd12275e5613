// Shapes for the scenes.
#include "geometry.h"

#include <cmath>

namespace krview {
namespace {

// One face: its outward normal and two in-plane axes chosen so that corners a, b, c, d run
// clockwise when seen from outside in a left-handed, y-up world.
struct Face {
    KrVector normal, right, up;
};
const Face kFaces[6] = {
    {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
    {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
};
const float kShade[6] = {1.0f, 0.8f, 0.9f, 0.7f, 1.0f, 0.6f};

uint32_t Shaded(uint32_t colour, float shade) {
    uint32_t r = static_cast<uint32_t>(((colour >> 16) & 0xFF) * shade);
    uint32_t g = static_cast<uint32_t>(((colour >> 8) & 0xFF) * shade);
    uint32_t b = static_cast<uint32_t>((colour & 0xFF) * shade);
    return (colour & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

template <typename Emit>
void CubeCorners(float half, Emit emit) {
    // Two triangles per face from the corners bottom-left, top-left, top-right, bottom-right.
    const float corner[6][2] = {{-1, -1}, {-1, 1}, {1, 1}, {-1, -1}, {1, 1}, {1, -1}};
    for (int f = 0; f < 6; ++f) {
        const Face& face = kFaces[f];
        for (int k = 0; k < 6; ++k) {
            float s = corner[k][0];
            float t = corner[k][1];
            KrVector p = (face.normal + face.right * s + face.up * t) * half;
            emit(f, p, (s + 1.0f) * 0.5f, (1.0f - t) * 0.5f);
        }
    }
}

}  // namespace

std::vector<DefaultVertex> Cube(float half, uint32_t colour) {
    std::vector<DefaultVertex> out;
    CubeCorners(half, [&](int f, const KrVector& p, float u, float v) {
        out.push_back(DefaultVertex{p.x, p.y, p.z, Shaded(colour, kShade[f]), u, v});
    });
    return out;
}

std::vector<LitVertex> LitCube(float half, uint32_t colour) {
    std::vector<LitVertex> out;
    CubeCorners(half, [&](int f, const KrVector& p, float u, float v) {
        const KrVector& n = kFaces[f].normal;
        out.push_back(LitVertex{p.x, p.y, p.z, n.x, n.y, n.z, colour, u, v});
    });
    return out;
}

void Floor(int cells, float half, float y, float repeat, std::vector<LitVertex>& vertices,
           std::vector<uint16_t>& indices) {
    vertices.clear();
    indices.clear();
    float step = 2.0f * half / static_cast<float>(cells);
    for (int row = 0; row <= cells; ++row) {
        for (int col = 0; col <= cells; ++col) {
            float u = repeat * static_cast<float>(col) / static_cast<float>(cells);
            float v = repeat * static_cast<float>(row) / static_cast<float>(cells);
            vertices.push_back(LitVertex{-half + step * static_cast<float>(col), y,
                                         -half + step * static_cast<float>(row), 0.0f, 1.0f, 0.0f,
                                         0xFFFFFFFFu, u, v});
        }
    }
    int stride = cells + 1;
    for (int row = 0; row < cells; ++row) {
        for (int col = 0; col < cells; ++col) {
            uint16_t a = static_cast<uint16_t>(row * stride + col);  // near left
            uint16_t b = static_cast<uint16_t>(a + stride);          // far left
            uint16_t c = static_cast<uint16_t>(b + 1);               // far right
            uint16_t d = static_cast<uint16_t>(a + 1);               // near right
            const uint16_t quad[6] = {a, b, c, a, c, d};
            indices.insert(indices.end(), quad, quad + 6);
        }
    }
}

std::vector<ScreenVertex> ScreenRect(float x, float y, float width, float height, uint32_t colour) {
    float l = x - 0.5f, t = y - 0.5f, r = x + width - 0.5f, b = y + height - 0.5f;
    return {ScreenVertex{l, t, 0.0f, 1.0f, colour, 0.0f, 0.0f},
            ScreenVertex{r, t, 0.0f, 1.0f, colour, 1.0f, 0.0f},
            ScreenVertex{r, b, 0.0f, 1.0f, colour, 1.0f, 1.0f},
            ScreenVertex{l, b, 0.0f, 1.0f, colour, 0.0f, 1.0f}};
}

KrCoords TurnedFrame(const KrVector& position, float angle) {
    KrCoords frame;
    float c = std::cos(angle), s = std::sin(angle);
    frame.X = KrVector(c, 0.0f, -s);
    frame.Y = KrVector(0.0f, 1.0f, 0.0f);
    frame.Z = KrVector(s, 0.0f, c);
    frame.P = position;
    return frame;
}

}  // namespace krview
