// The camera and object transforms. The device renders only through vertex shaders, so view,
// projection and world matrices travel as shader constants (transposed: the shaders multiply row
// vectors by columns), never as fixed-function transform states.
#include <d3dx9.h>

#include "d3d_ren_dev.h"

namespace {
const UINT kViewProjectionRegister = 0;
const UINT kWorldRegister = 4;
const float kDefaultFovDegrees = 90.0f;
const KrCoords kIdentityFrame;  // the object's frame when the engine gives none

void ClearMatrix(D3DXMATRIX& m) {
    krMemset(&m, 0, sizeof m);
}
}  // namespace

void KrD3DRenDev::SetView(KrCoords* camera) {
    const KrVector& X = camera->X;
    const KrVector& Y = camera->Y;
    const KrVector& Z = camera->Z;
    const KrVector& P = camera->P;

    D3DXMATRIX viewMatrix;
    ClearMatrix(viewMatrix);
    viewMatrix._11 = X.x;
    viewMatrix._12 = Y.x;
    viewMatrix._13 = Z.x;
    viewMatrix._21 = X.y;
    viewMatrix._22 = Y.y;
    viewMatrix._23 = Z.y;
    viewMatrix._31 = X.z;
    viewMatrix._32 = Y.z;
    viewMatrix._33 = Z.z;
    viewMatrix._41 = -(P | X);
    viewMatrix._42 = -(P | Y);
    viewMatrix._43 = -(P | Z);
    viewMatrix._44 = 1.0f;

    // The camera's field of view is horizontal, in degrees; without an application the engine's
    // usual 90 degrees is assumed.
    KrApplication* app = Engine().App();
    float fov = app != nullptr ? app->Camera()->FOV() : kDefaultFovDegrees;
    float t = static_cast<float>(krTAN(fov / 2.0 / 360.0 * 6.2831855));
    float nearDistance = nearZ;
    float farDistance = farZ;
    float viewWidth = 2.0f * nearDistance * t;
    float height = static_cast<float>(GetHeight());
    float width = static_cast<float>(GetWidth());
    float viewHeight = (height / width) * viewWidth;

    D3DXMATRIX projection;
    ClearMatrix(projection);
    float q = farDistance / (farDistance - nearDistance);
    projection._11 = 2.0f * nearDistance / viewWidth;
    projection._22 = 2.0f * nearDistance / viewHeight;
    projection._33 = q;
    projection._34 = 1.0f;
    projection._43 = -(q * nearDistance);

    if (device == nullptr) {
        return;
    }
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &viewMatrix, &projection);
    D3DXMatrixTranspose(&viewProjection, &viewProjection);
    device->SetVertexShaderConstantF(kViewProjectionRegister, viewProjection, 4);

    view.nearZ = nearDistance;
    view.farZ = farDistance;
    view.fov = fov;
    view.viewWidth = viewWidth;
    view.viewHeight = viewHeight;
    view.verticalFov = static_cast<float>(2.0 * krATAN((viewHeight / 2.0) / nearDistance) /
                                          6.2831854820251465 * 360.0);
    view.position = P;
    view.orientation = KrMatrix3(X, Y, Z);
}

void KrD3DRenDev::SetTransform(KrCoords* object) {
    // Read in place rather than copied, and the matrix filled whole instead of cleared first:
    // this runs once per object drawn.
    const KrCoords& frame = object != nullptr ? *object : kIdentityFrame;
    D3DXMATRIX world(frame.X.x, frame.X.y, frame.X.z, 0.0f,  //
                     frame.Y.x, frame.Y.y, frame.Y.z, 0.0f,  //
                     frame.Z.x, frame.Z.y, frame.Z.z, 0.0f,  //
                     frame.P.x, frame.P.y, frame.P.z, 1.0f);
    if (device == nullptr) {
        return;
    }
    D3DXMatrixTranspose(&world, &world);
    device->SetVertexShaderConstantF(kWorldRegister, world, 4);
}

unsigned int KrD3DRenDev::GetWidth() {
    if (Windowed()) {
        return static_cast<unsigned int>(clientRect.right - clientRect.left);
    }
    return backBufferDesc.Width;
}

unsigned int KrD3DRenDev::GetHeight() {
    if (Windowed()) {
        return static_cast<unsigned int>(clientRect.bottom - clientRect.top);
    }
    return backBufferDesc.Height;
}

float KrD3DRenDev::GetAspectRatio() {
    if (Windowed()) {
        return static_cast<float>(clientRect.right - clientRect.left) /
               static_cast<float>(clientRect.bottom - clientRect.top);
    }
    return static_cast<float>(backBufferDesc.Width) / static_cast<float>(backBufferDesc.Height);
}

float& KrD3DRenDev::NearZ() {
    return nearZ;
}

float& KrD3DRenDev::FarZ() {
    return farZ;
}
