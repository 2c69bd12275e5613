#include "bench_support.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "kr_test_support.h"

namespace krbench {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0.0;
    }
    auto seconds = [](const FILETIME& t) {
        ULARGE_INTEGER v;
        v.LowPart = t.dwLowDateTime;
        v.HighPart = t.dwHighDateTime;
        return static_cast<double>(v.QuadPart) * 1e-7;  // 100 ns units
    };
    return seconds(kernel) + seconds(user);
}

Figure Summarise(std::vector<double> values) {
    Figure figure;
    if (values.empty()) {
        return figure;
    }
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    figure.median = n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
    figure.min = values.front();
    figure.max = values.back();
    return figure;
}

Figure PairedRatio(const std::vector<double>& module, const std::vector<double>& raw) {
    std::vector<double> ratios;
    for (size_t i = 0; i < module.size() && i < raw.size(); ++i) {
        if (raw[i] > 0.0) {
            ratios.push_back(module[i] / raw[i]);
        }
    }
    Figure figure = Summarise(ratios);
    const size_t n = ratios.size();
    if (n == 0) {
        return figure;
    }
    std::sort(ratios.begin(), ratios.end());
    // The interval runs from the k-th smallest to the k-th largest ratio, k the largest rank with
    // P(Binomial(n, 1/2) < k) <= 2.5 %: the median lies below the k-th smallest with at most that
    // chance, and above the k-th largest likewise.
    double below = 0.0;
    double term = std::pow(0.5, static_cast<double>(n));  // P(B = 0)
    size_t k = 1;
    for (size_t j = 0; j < n; ++j) {
        below += term;  // P(B <= j)
        if (below > 0.025) {
            break;
        }
        k = j + 1;
        term *= static_cast<double>(n - j) / static_cast<double>(j + 1);
    }
    k = std::min(k, (n + 1) / 2);
    figure.min = ratios[k - 1];
    figure.max = ratios[n - k];
    return figure;
}

void Alternate(int runs, const std::function<double()>& module, const std::function<double()>& raw,
               std::vector<double>& moduleValues, std::vector<double>& rawValues) {
    for (int run = 0; run < runs; ++run) {
        // Who goes first changes every run, so that neither side always follows the other.
        if (run % 2 == 0) {
            moduleValues.push_back(module());
            rawValues.push_back(raw());
        } else {
            rawValues.push_back(raw());
            moduleValues.push_back(module());
        }
    }
}

std::string& ReportTag() {
    static std::string tag;
    return tag;
}

void ReportRow(const char* scenario, const std::string& label, const char* unit,
               const Figure& module, const Figure& raw) {
    std::printf("row|%s%s|%s|%s|%.6g|%.6g|%.6g|%.6g|%.6g|%.6g\n", scenario, ReportTag().c_str(),
                label.c_str(), unit, module.median, module.min, module.max, raw.median, raw.min,
                raw.max);
    std::fflush(stdout);
}

void ReportNote(const char* scenario, const std::string& text) {
    std::printf("note|%s%s|%s\n", scenario, ReportTag().c_str(), text.c_str());
    std::fflush(stdout);
}

void Progress(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

int DifferingPixels(const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
                    int tolerance) {
    if (a.size() != b.size()) {
        return static_cast<int>(std::max(a.size(), b.size()));
    }
    int differing = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!krtest::ColourNear(a[i] & 0xFFFFFFu, b[i] & 0xFFFFFFu, tolerance)) {
            ++differing;
        }
    }
    return differing;
}

}  // namespace krbench
