// Export control of the plug-in: its classes are exported so the engine (and the tests) can use
// them by name.
#pragma once

#ifdef D3DDEV_BUILD
#define D3DDEV_API __declspec(dllexport)
#else
#define D3DDEV_API __declspec(dllimport)
#endif
