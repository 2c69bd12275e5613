// The recorder: the call list and the failure rules that the proxies consult on every call.
#include "recording_d3d.h"

#include <cstring>
#include <utility>

namespace krtest {

size_t D3DRecorder::Count(const char* method) const {
    size_t count = 0;
    for (const RecordedCall& call : calls)
        count += std::strcmp(call.method, method) == 0 ? 1 : 0;
    return count;
}

void D3DRecorder::Clear() {
    calls.clear();
    sequence_ = 0;
}

void D3DRecorder::FailCall(const char* method, long hr, int occurrence) {
    rules_.push_back(Rule{method, hr, occurrence <= 0 ? -1 : occurrence - 1});
}

void D3DRecorder::FailNthCall(long n, long hr) {
    nthCall_ = n;
    nthHr_ = hr;
}

void D3DRecorder::StopFailing() {
    rules_.clear();
    nthCall_ = 0;
}

size_t D3DRecorder::Begin(const char* method, bool* fail, long* hr) {
    ++sequence_;
    *fail = nthCall_ > 0 && sequence_ == nthCall_;
    *hr = nthHr_;
    nthCall_ = *fail ? 0 : nthCall_;
    // Every matching rule counts this call, even when an earlier rule already fails it, so that
    // "the n-th call of X" keeps meaning the n-th call however the rules overlap.
    for (size_t i = 0; i < rules_.size();) {
        Rule& rule = rules_[i];
        const bool matches = rule.method == method, fails = matches && rule.remaining <= 0;
        *hr = fails && !*fail ? rule.hr : *hr;
        *fail = *fail || fails;
        rule.remaining -= matches && rule.remaining > 0 ? 1 : 0;
        if (fails && rule.remaining == 0)
            rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    RecordedCall call;
    call.method = method;
    calls.push_back(std::move(call));
    return calls.size() - 1;
}

void D3DRecorder::Finish(size_t index, long result, bool injected) {
    // A Clear inside a nested call (a test hook) may have dropped the record.
    if (index < calls.size()) {
        calls[index].result = result;
        calls[index].injected = injected;
    }
}

}  // namespace krtest
