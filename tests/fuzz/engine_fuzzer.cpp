// The differential harness of the engine: each script of the input computed
// by the library and by the reference evaluator of the tests, which must give
// the same codes, the same ranges and the same geometry bit for bit
// (not-a-number being one value). Input as the chart harness reads it: the
// text before the first zero byte, scripts separated by form feeds, LF line
// ends made CR LF.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "reference_evaluator.h"
#include "script/compiler.h"

namespace {

// Scripts whose names are shared many times over take the reference,
// which follows every use, exponential time; past this many steps a script
// is left uncompared.
constexpr int64_t kReferenceSteps = 50'000'000;

[[noreturn]] void Fail(const std::string& what, const std::string& script) {
    std::fprintf(stderr, "engine_fuzzer: %s\n%s\n", what.c_str(), script.c_str());
    std::abort();
}

void Compare(std::string text, bool leftHanded) {
    talvex::script::Script script;
    talvex::script::ResetScript(script);
    if (talvex::script::Compile(script, text.data()) != 0) return;
    const talvex::reference::SlotComparison comparison = talvex::reference::CompareSlot(script, leftHanded, kReferenceSteps);
    if (!comparison.difference.empty()) Fail(comparison.difference, text);
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
