// The PNG encoder of the Windows Imaging Component, as Windows and Wine ship it.
#include "png_writer.h"

#include <windows.h>
// initguid before wincodec: this file holds the encoder's class and format identifiers.
#include <initguid.h>
#include <wincodec.h>

namespace krview {
namespace {

// Releases a COM object when the writer is done with it, on every return path.
template <typename T>
struct Held {
    T* object = nullptr;
    ~Held() {
        if (object != nullptr)
            object->Release();
    }
    T** operator&() { return &object; }
    T* operator->() const { return object; }
};

bool Encode(IWICImagingFactory* factory, const std::wstring& path, const uint32_t* pixels,
            int width, int height) {
    const UINT w = static_cast<UINT>(width), h = static_cast<UINT>(height);
    const UINT stride = w * 4;
    Held<IWICBitmap> bitmap;
    Held<IWICStream> stream;
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> frame;
    // 0x00RRGGBB in memory is B, G, R, unused: 32-bit BGR; the encoder converts what it needs.
    return SUCCEEDED(factory->CreateBitmapFromMemory(
               w, h, GUID_WICPixelFormat32bppBGR, stride, stride * h,
               reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels)), &bitmap)) &&
           SUCCEEDED(factory->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.object, WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
           SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(w, h)) &&
           SUCCEEDED(frame->WriteSource(bitmap.object, nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

}  // namespace

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height) {
    if (pixels == nullptr || width <= 0 || height <= 0)
        return false;
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return false;
    std::wstring widePath(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &widePath[0], length);
    widePath.resize(static_cast<size_t>(length) - 1);
    // COM may already be up on this thread (S_FALSE) or in another mode: either way it is usable,
    // and only a successful start of our own is balanced by an end.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool written = false;
    {
        Held<IWICImagingFactory> factory;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IWICImagingFactory,
                                       reinterpret_cast<void**>(&factory)))) {
            written = Encode(factory.object, widePath, pixels, width, height);
        }
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    if (!written)
        DeleteFileA(path.c_str());  // no half-written picture left behind
    return written;
}

}  // namespace krview
