// A recording proxy of Direct3D 9 for tests: IDirect3D9 and IDirect3DDevice9 objects that forward
// every method to Wine's real objects, record each call, and can make a chosen call fail without
// forwarding it. The same recorder can stand behind the device's platform seam.
//
// What an injected failure returns (the call is recorded and never forwarded):
// - HRESULT methods: the injected HRESULT; every out pointer to a pointer (T**) is set null.
// - Other results (UINT, BOOL, float, HMONITOR, the seam's Win32 entries): zero or null.
// - void methods: nothing happens.
// - AddRef/Release/QueryInterface are neither recorded nor failed.
#pragma once

#include <d3d9.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace krtest {

struct RecordedCall {
    const char* method;  // e.g. "SetRenderState", "CreateDevice", "Direct3DCreate9"
    // What the caller got: the HRESULT, the ULONG count, a BOOL/UINT value, 1/0 for a
    // non-null/null pointer; for a void method 0, or the injected HRESULT.
    long result = 0;
    bool injected = false;  // made to fail by FailCall/FailNthCall, not forwarded
};

struct RecordingProxy;

class D3DRecorder {
  public:
    D3DRecorder();
    ~D3DRecorder();
    D3DRecorder(const D3DRecorder&) = delete;
    D3DRecorder& operator=(const D3DRecorder&) = delete;

    std::vector<RecordedCall> calls;  // in order, both interfaces and the seam calls
    size_t Count(const char* method) const;
    // Forgets the calls and restarts the overall count of FailNthCall; failure rules stay.
    void Clear();
    // Make the `occurrence`-th future call of `method` fail (1 = next; 0 = every call) with `hr`.
    // Several rules may be pending at once.
    void FailCall(const char* method, long hr, int occurrence = 1);
    // Make the n-th recorded call overall (counting from the last Clear, 1-based) fail with `hr`.
    void FailNthCall(long n, long hr);
    void StopFailing();
    // Called before each Present of a proxied device is recorded, with the real device behind
    // the proxy: the device harness audits each frame there.
    std::function<void(IDirect3DDevice9*)> beforePresent;

    // Used by the proxies: appends a call and decides whether it fails (and with what), and later
    // stores its result. Nested calls (D3DX calling back into the device) get their own records.
    size_t Begin(const char* method, bool* fail, long* hr);
    void Finish(size_t index, long result, bool injected);
    // Every proxy handed out for this recorder; they live as long as it does.
    std::vector<std::unique_ptr<RecordingProxy>> proxies_;

  private:
    struct Rule {
        std::string method;
        long hr;
        int remaining;  // calls to let through before failing; -1 fails every call
    };
    std::vector<Rule> rules_;
    long nthCall_ = 0;
    long nthHr_ = 0;
    long sequence_ = 0;  // calls recorded since the last Clear
};

// A proxy of a real object, recording into `recorder`, which must outlive it; null for null.
// Reference counts pass straight through to the real object. CreateDevice on the proxy returns a
// proxied device, and that device's GetDirect3D returns the IDirect3D9 proxy.
IDirect3D9* WrapDirect3D(IDirect3D9* real, D3DRecorder* recorder);
IDirect3DDevice9* WrapDevice(IDirect3DDevice9* real, D3DRecorder* recorder);

// Point the device's platform seam at the recorder: Direct3DCreate9 creates Wine's real object
// and wraps it; the D3DX and Win32 entries forward to the real functions and are recorded, so
// that each can be made to fail. RestorePlatform() from platform.h undoes it.
void InstallRecordingPlatform(D3DRecorder* recorder);

// InstallRecordingPlatform for the lifetime of a scope, RestorePlatform() at its end, so that a
// failing assertion never leaves the seam pointing at a recorder that is gone.
class RecordingPlatformScope {
  public:
    explicit RecordingPlatformScope(D3DRecorder* recorder) { InstallRecordingPlatform(recorder); }
    ~RecordingPlatformScope();
    RecordingPlatformScope(const RecordingPlatformScope&) = delete;
    RecordingPlatformScope& operator=(const RecordingPlatformScope&) = delete;
};

}  // namespace krtest
