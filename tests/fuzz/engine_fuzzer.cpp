// The differential harness of the engine: each script of the input computed
// block by block and through the evaluator sample by sample, which must give
// the same codes and the same geometry bit for bit (not-a-number being one
// value). Input as the chart harness reads it: the text before the first
// zero byte, scripts separated by form feeds, LF line ends made CR LF.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graph/calculation.h"
#include "script/compiler.h"

namespace {

using talvex::graph::ComputeSlot;
using talvex::graph::Sampling;
using talvex::graph::SlotGeometry;

[[noreturn]] void Fail(const char* what, const std::string& script) {
    std::fprintf(stderr, "engine_fuzzer: %s\n%s\n", what, script.c_str());
    std::abort();
}

bool Same(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Compiles text into script; false when it does not compile.
bool Compile(talvex::script::Script& script, std::string text) {
    talvex::script::ResetScript(script);
    return talvex::script::Compile(script, text.data()) == 0;
}

void Compare(const std::string& text, bool leftHanded) {
    talvex::script::Script blocks, evaluator;
    if (!Compile(blocks, text) || !Compile(evaluator, text)) return;
    SlotGeometry fast, exact;
    const int32_t fastCode = ComputeSlot(blocks, leftHanded, fast);
    const int32_t exactCode = ComputeSlot(evaluator, leftHanded, exact, Sampling::kEvaluator);
    if (fastCode != exactCode) Fail("codes differ", text);
    if (fastCode != 0) return;
    if (fast.kind != exact.kind || fast.samplesU != exact.samplesU || fast.samplesV != exact.samplesV ||
        fast.indices != exact.indices || fast.vertices.size() != exact.vertices.size())
        Fail("shapes differ", text);
    for (size_t i = 0; i < fast.vertices.size(); ++i) {
        const auto &p = fast.vertices[i], &q = exact.vertices[i];
        if (!Same(p.x, q.x) || !Same(p.y, q.y) || !Same(p.z, q.z) || !Same(p.tu, q.tu) || !Same(p.tv, q.tv))
            Fail("vertices differ", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Long scripts are legitimate but slow to sample twice; the chart harness
    // covers them.
    size_t end = 0;
    while (end < size && data[end] != 0) ++end;
    if (end > 4096) return 0;
    std::string script;
    for (size_t i = 0; i <= end; ++i) {
        if (i == end || data[i] == '\f') {
            Compare(script, (size & 1) != 0);
            script.clear();
        } else if (data[i] == '\n') {
            script += "\r\n";
        } else {
            script += static_cast<char>(data[i]);
        }
    }
    return 0;
}
