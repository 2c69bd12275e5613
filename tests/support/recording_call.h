// The machinery shared by the recording proxies: turning arguments into recorded scalars, the one
// path every proxied call takes (record, maybe fail, forward, store the result), and the macros
// that generate the plain forwarding methods from their signatures.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <vector>

#include "recording_d3d.h"

namespace krtest::detail {

template <typename T>
unsigned long long ArgValue(T value) {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<std::uintptr_t>(value);
    } else if constexpr (std::is_floating_point_v<T>) {
        const float narrow = static_cast<float>(value);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &narrow, sizeof bits);
        return bits;
    } else {
        return static_cast<unsigned long long>(value);
    }
}

// On an injected failure the caller must not receive a stale object: every out pointer to a
// pointer is cleared, as Direct3D itself does on failure.
template <typename T>
void ClearOut(T) {}
template <typename T>
void ClearOut(T** out) {
    if (out != nullptr) {
        *out = nullptr;
    }
}

template <typename R>
long ResultValue(R value) {
    if constexpr (std::is_pointer_v<R>) {
        return value != nullptr ? 1 : 0;
    } else if constexpr (std::is_floating_point_v<R>) {
        return static_cast<long>(ArgValue(value));
    } else {
        return static_cast<long>(value);
    }
}

struct NoNote {
    void operator()(RecordedCall&) const {}
};

// Records `method` with `args`, lets `note` add data to the record, then either returns the
// injected failure (the HRESULT when kFailsWithHr, else a zero value) or forwards.
template <bool kFailsWithHr, typename Note, typename Forward, typename... A>
auto Invoke(D3DRecorder* recorder, const char* method, const std::tuple<A...>& args, Note note,
            Forward forward) -> decltype(forward()) {
    using R = decltype(forward());
    bool fail = false;
    long hr = 0;
    const size_t index = recorder->Begin(
        method,
        std::apply([](auto... a) { return std::vector<unsigned long long>{ArgValue(a)...}; }, args),
        &fail, &hr);
    note(recorder->calls[index]);
    if (fail) {
        std::apply([](auto... a) { (ClearOut(a), ...); }, args);
        if constexpr (std::is_void_v<R>) {
            recorder->Finish(index, hr, true);
            return;
        } else {
            R value{};
            if constexpr (kFailsWithHr) {
                value = hr;
            }
            recorder->Finish(index, ResultValue(value), true);
            return value;
        }
    }
    if constexpr (std::is_void_v<R>) {
        forward();
        recorder->Finish(index, 0, false);
    } else {
        R value = forward();
        recorder->Finish(index, ResultValue(value), false);
        return value;
    }
}

// Notes that keep the data behind a pointer argument (`count` elements; nothing for null).
inline auto KeepFloats(const float* data, size_t count) {
    return [data, count](RecordedCall& call) {
        if (data != nullptr) {
            call.floats.assign(data, data + count);
        }
    };
}
inline auto KeepMatrix(const D3DMATRIX* matrix) {
    return KeepFloats(matrix != nullptr ? &matrix->_11 : nullptr, 16);
}
inline auto KeepInts(const int* data, size_t count) {
    return [data, count](RecordedCall& call) {
        if (data != nullptr) {
            call.ints.assign(data, data + count);
        }
    };
}

// Counted without being failable: AddRef/Release keep objects alive, so they only get recorded.
inline void RecordRefCount(D3DRecorder* recorder, const char* method, unsigned long count) {
    if (recorder->recordRefCounting) {
        bool fail = false;
        long hr = 0;
        recorder->Finish(recorder->Begin(method, {}, &fail, &hr), static_cast<long>(count), false);
    }
}

// QueryInterface is recorded (and failable) only with the reference counting, like AddRef/Release.
template <typename Forward>
HRESULT QueryInterfaceThrough(D3DRecorder* recorder, void** object, Forward forward) {
    if (!recorder->recordRefCounting) {
        return forward();
    }
    return Invoke<true>(recorder, "QueryInterface", std::make_tuple(object), NoNote{}, forward);
}

// Links between the two proxies (defined beside the IDirect3D9 proxy): a device proxy keeps the
// IDirect3D9 proxy that made it, because the real device holds the real object alive.
IDirect3DDevice9* WrapDeviceOf(IDirect3DDevice9* real, D3DRecorder* recorder, IDirect3D9* parent);
void AttachDevice(IDirect3D9* parent);
void DetachDevice(IDirect3D9* parent);

}  // namespace krtest::detail

// A method that fails with the injected HRESULT. `Params` is the parenthesised parameter list and
// `Args` the parenthesised argument names, in the interface's order.
#define KR_FORWARD_HR(Name, Params, Args)                                        \
    HRESULT STDMETHODCALLTYPE Name Params override {                             \
        return ::krtest::detail::Invoke<true>(rec_, #Name, std::make_tuple Args, \
                                              ::krtest::detail::NoNote{},        \
                                              [&] { return real_->Name Args; }); \
    }
// The same, with `Note` (a callable taking RecordedCall&) keeping the data behind the pointers.
#define KR_FORWARD_HR_NOTE(Name, Params, Args, Note)                                   \
    HRESULT STDMETHODCALLTYPE Name Params override {                                   \
        return ::krtest::detail::Invoke<true>(rec_, #Name, std::make_tuple Args, Note, \
                                              [&] { return real_->Name Args; });       \
    }
// A method returning something other than an HRESULT (or void): a failure returns zero.
#define KR_FORWARD_VALUE(Type, Name, Params, Args)                                \
    Type STDMETHODCALLTYPE Name Params override {                                 \
        return ::krtest::detail::Invoke<false>(rec_, #Name, std::make_tuple Args, \
                                               ::krtest::detail::NoNote{},        \
                                               [&] { return real_->Name Args; }); \
    }
