// What every benchmark shares: the clock, the figures of repeated runs and the report lines that
// tools/bench turns into a table. The engine around a rendering device comes from the tests' own
// support (RunningDevice).
#pragma once

#include <d3d9.h>

#include <functional>
#include <string>
#include <vector>

#include "d3d_ren_dev.h"
#include "krngn.h"

// The device's white-box door: the benchmarks swap the Direct3D device behind a running
// rendering device for the null device, and back.
class KrD3DRenDevProbe {
  public:
    static IDirect3DDevice9*& Device(KrD3DRenDev* render) { return render->device; }
    // The texts of the shader cache, in the order they were first compiled.
    static const TDArray<KrStringT<char>>& ShaderTexts(KrD3DRenDev* render) {
        return render->sources;
    }
    // Where the time of the device's last Init went, part by part.
    static const KrStartupProfile& StartupProfile(KrD3DRenDev* render) {
        return render->startupProfile;
    }
};

namespace krbench {

// Seconds on the performance counter.
double Now();
// CPU seconds used by every thread of this process so far (user and kernel).
double ProcessCpuSeconds();

// Median, lowest and highest of a set of runs.
struct Figure {
    double median = 0.0;
    double min = 0.0;
    double max = 0.0;
};
Figure Summarise(std::vector<double> values);
// The median of the ratios module[i] / raw[i] of runs made one after the other by Alternate, with
// a 95 % confidence interval for that median from the order statistics (in min and max). A drift
// of the machine's speed during the benchmark moves both runs of a pair alike, which the ratio of
// the two sides' medians does not allow for.
Figure PairedRatio(const std::vector<double>& module, const std::vector<double>& raw);

// Runs `module` and `raw` alternately, `runs` times each, so that both see the same load of the
// machine; each returns its figure for one run.
void Alternate(int runs, const std::function<double()>& module, const std::function<double()>& raw,
               std::vector<double>& moduleValues, std::vector<double>& rawValues);

// One row of the results: module and raw figures in the same unit. A raw figure with a median of
// 0 means the raw program has no counterpart.
void ReportRow(const char* scenario, const std::string& label, const char* unit,
               const Figure& module, const Figure& raw);
// Appended to the benchmark's name in every row and note ("draw" becomes "draw.csmt"), so that
// runs under another configuration of Wine stay apart in one output.
std::string& ReportTag();
// A free line of text under a benchmark's table.
void ReportNote(const char* scenario, const std::string& text);
// Progress on stderr, so that a long run shows where it is.
void Progress(const char* format, ...);

// Pixels whose channels differ by more than `tolerance`.
int DifferingPixels(const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
                    int tolerance);

// The presentation interval both sides of a comparison present with: a windowed device of the
// rendering device always asks for the default interval, and the raw programs ask for the same.
const UINT kPresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

}  // namespace krbench
