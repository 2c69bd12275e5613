// Index streaming: blocks of 64 16-bit indices appended to a 64 KiB dynamic index buffer in the
// default pool, through KrD3DIndexBuffer::Populate and through a raw program that locks with the
// same flags (no-overwrite while the block fits, discard from the start when it does not).
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "scenarios.h"

namespace krbench {
namespace {

const unsigned int kBufferBytes = 64 * 1024;
const unsigned int kBlockIndices = 64;
const unsigned int kBlockBytes = kBlockIndices * 2;

class RawIndexStream {
  public:
    explicit RawIndexStream(IDirect3DDevice9* device) {
        device->CreateIndexBuffer(kBufferBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                  D3DFMT_INDEX16, D3DPOOL_DEFAULT, &buffer_, nullptr);
    }
    ~RawIndexStream() {
        if (buffer_ != nullptr) {
            buffer_->Release();
        }
    }
    bool Ready() const { return buffer_ != nullptr; }

    bool Append(const unsigned short* indices) {
        DWORD flags = D3DLOCK_NOOVERWRITE;
        if (offset_ + kBlockBytes > kBufferBytes) {
            offset_ = 0;
            flags = D3DLOCK_DISCARD;
        }
        void* data = nullptr;
        if (FAILED(buffer_->Lock(offset_, kBlockBytes, &data, flags))) {
            return false;
        }
        std::memcpy(data, indices, kBlockBytes);
        buffer_->Unlock();
        offset_ += kBlockBytes;
        return true;
    }

  private:
    IDirect3DIndexBuffer9* buffer_ = nullptr;
    unsigned int offset_ = 0;
};

}  // namespace

void IndexStreaming(krtest::RunningDevice& running, const Options& options) {
    KrIndexBufferBase* module = nullptr;
    if (!running.Render()->CreateIndexBuffer(&module, kBufferBytes, eIDX16, eMemDefault)) {
        ReportNote("index", "the rendering device could not make the index buffer");
        return;
    }
    RawIndexStream raw(running.Direct3DDevice());
    if (!raw.Ready()) {
        ReportNote("index", "the raw program could not make its index buffer");
        module->Release();
        delete module;
        return;
    }
    std::vector<unsigned short> block(kBlockIndices);
    for (unsigned int i = 0; i < kBlockIndices; ++i) {
        block[i] = static_cast<unsigned short>(i);
    }
    unsigned char* bytes = reinterpret_cast<unsigned char*>(block.data());

    // Blocks per run from a first timing of the module.
    const int kCalibration = 4096;
    double start = Now();
    for (int b = 0; b < kCalibration; ++b) {
        module->Populate(bytes, kBlockBytes, false);
    }
    double perBlock = (Now() - start) / kCalibration;
    // The raw buffer gets the same first appends, so that neither side meets Wine's buffer fresh.
    for (int b = 0; b < kCalibration; ++b) {
        raw.Append(block.data());
    }
    long long blocks = static_cast<long long>(options.secondsPerRun / 2.0 / perBlock) + 1;

    int failures = 0;
    std::vector<double> moduleRate, rawRate;
    Alternate(
        options.runs,
        [&] {
            double t0 = Now();
            for (long long b = 0; b < blocks; ++b) {
                failures += module->Populate(bytes, kBlockBytes, false) == eLockFailed ? 1 : 0;
            }
            return static_cast<double>(blocks * kBlockIndices) / (Now() - t0);
        },
        [&] {
            double t0 = Now();
            for (long long b = 0; b < blocks; ++b) {
                failures += raw.Append(block.data()) ? 0 : 1;
            }
            return static_cast<double>(blocks * kBlockIndices) / (Now() - t0);
        },
        moduleRate, rawRate);
    ReportRow("index", "64-index blocks into 64 KiB", "indices/s", Summarise(moduleRate),
              Summarise(rawRate));
    if (failures != 0) {
        ReportNote("index", std::to_string(failures) + " appends failed");
    }
    module->Release();
    delete module;
    Progress("index streaming done");
}

}  // namespace krbench
