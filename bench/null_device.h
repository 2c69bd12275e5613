// A Direct3D 9 device that answers every call at once with success and does nothing: handed to
// the rendering device in place of Wine's, it leaves only the device's own work and the cost of
// dispatching each call through the interface. Out parameters are left as the caller set them.
#pragma once

#include <d3d9.h>

namespace krbench {

// A new device; the caller deletes it with DeleteNullDevice. Made in its own file, so calls on
// it always go through the interface, as calls on a real device do.
IDirect3DDevice9* NewNullDevice();
void DeleteNullDevice(IDirect3DDevice9* device);

}  // namespace krbench
