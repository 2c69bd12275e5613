// The experimental paths' quad: four corners in fan order, each with the components its vertex
// format names, in the order of the format (position, normal, colour, texture sets).
#include "path_state.h"

namespace {
struct Corner {
    float x, y;  // in units of the half size
    unsigned int colour;
    float s, t;
};
const Corner kCorners[4] = {{-1.0f, -1.0f, 0xFFFF0000u, 0.0f, 1.0f},
                            {1.0f, -1.0f, 0xFF00FF00u, 1.0f, 1.0f},
                            {1.0f, 1.0f, 0xFF0000FFu, 1.0f, 0.0f},
                            {-1.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f}};

unsigned char* PutFloat(unsigned char* out, float value) {
    krMemCopy(out, &value, sizeof value);
    return out + sizeof value;
}
}  // namespace

unsigned int BuildExperimentalQuad(const ExperimentalQuad& quad, unsigned char* out) {
    unsigned char* start = out;
    for (int i = 0; i < 4; ++i) {
        const Corner& c = kCorners[i];
        out = PutFloat(out, c.x * quad.halfSize);
        out = PutFloat(out, c.y * quad.halfSize);
        out = PutFloat(out, i < 2 ? quad.nearEdgeZ : quad.farEdgeZ);
        if ((quad.fvf & D3DFVF_NORMAL) != 0) {
            out = PutFloat(out, quad.normal.x);
            out = PutFloat(out, quad.normal.y);
            out = PutFloat(out, quad.normal.z);
        }
        if ((quad.fvf & D3DFVF_DIFFUSE) != 0) {
            unsigned int colour = quad.colourOverride != 0 ? quad.colourOverride : c.colour;
            krMemCopy(out, &colour, sizeof colour);
            out += sizeof colour;
        }
        int sets = (quad.fvf & D3DFVF_TEX2) != 0 ? 2 : ((quad.fvf & D3DFVF_TEX1) != 0 ? 1 : 0);
        for (int set = 0; set < sets; ++set) {
            out = PutFloat(out, c.s);
            out = PutFloat(out, c.t);
        }
    }
    return static_cast<unsigned int>(out - start) / 4;
}
