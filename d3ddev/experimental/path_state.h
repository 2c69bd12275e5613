// What each experimental shading path keeps between calls: its quad, its shader and declaration
// (entries of the shader cache), the device that built them, and its animation values.
#pragma once

#include <d3d9.h>

#include "krngn.h"

class KrD3DRenDev;

struct ExperimentalPathState {
    KrVertexBufferBase* buffer;
    void* shader;
    void* declaration;
    // The device object and Direct3D device the objects above belong to: a path called on another
    // device, or after its device shut down, builds them again instead of using released ones.
    const KrD3DRenDev* owner;
    IDirect3DDevice9* device;
    // Animation values: they grow by fixed steps on every call, for the life of the module.
    float angle;
    float u;
    float v;
    float e;
};

// The quad of one path, laid out in the order of its vertex format.
struct ExperimentalQuad {
    float halfSize;
    float nearEdgeZ;  // vertices 0 and 1
    float farEdgeZ;   // vertices 2 and 3
    KrVector normal;
    unsigned int colourOverride;  // 0 keeps the corner colours
    unsigned long fvf;
};

// Fills `out` (room for four vertices of the format) and returns the bytes of one vertex.
unsigned int BuildExperimentalQuad(const ExperimentalQuad& quad, unsigned char* out);

// Called when a device shuts down: the paths it built give back their buffers and forget their
// shaders (the shader cache releases those), so a later device builds its own.
void ReleaseExperimentalPaths(const KrD3DRenDev* owner);
