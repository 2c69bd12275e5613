// The texture-file loader seen from the tests: every call's path is recorded, and chosen calls fail
// the way a corrupt file does, while the rest load through the real D3DX loader.
#pragma once

#include <string>
#include <vector>

#include "platform.h"

struct LoaderSeam {
    static std::vector<std::string>& Paths() {
        static std::vector<std::string> paths;
        return paths;
    }
    // Calls still to come (1 = the next) that fail; 0 for none.
    static int& FailAt() {
        static int failAt = 0;
        return failAt;
    }
    static HRESULT WINAPI Load(LPDIRECT3DDEVICE9 device, LPCSTR path, LPDIRECT3DTEXTURE9* texture) {
        Paths().push_back(path);
        if (FailAt() > 0 && --FailAt() == 0) {
            *texture = nullptr;
            return D3DXERR_INVALIDDATA;
        }
        return RealPlatform().D3DXCreateTextureFromFileA(device, path, texture);
    }
    static void Install() {
        Paths().clear();
        FailAt() = 0;
        Platform().D3DXCreateTextureFromFileA = &Load;
    }
};
