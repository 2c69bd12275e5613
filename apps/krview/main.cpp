// krview: the engine's main program. Loads the rendering device plug-in by name and drives it.
#include <windows.h>

#include <cstdio>

#include "krngn.h"

int main() {
    HMODULE module = LoadLibraryA("D3DDev.dll");
    if (module == nullptr) {
        std::fprintf(stderr, "krview: cannot load D3DDev.dll\n");
        return 2;
    }
    FreeLibrary(module);
    return 0;
}
