// Names of Direct3D values for the log: surface formats, device-creation flags, device types.
#pragma once

#include <d3d9.h>

#include "d3ddev_api.h"
#include "krngn.h"

D3DDEV_API KrStringT<char> FormatName(D3DFORMAT format);
D3DDEV_API KrStringT<char> BehaviorFlagsText(unsigned long flags);
D3DDEV_API KrStringT<char> DeviceTypeName(D3DDEVTYPE type);
