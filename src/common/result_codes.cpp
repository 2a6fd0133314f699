#include "common/result_codes.h"

namespace talvex {

namespace {

struct CodeText {
    Result code;
    const char* text;
};

#define TALVEX_CODE_ROW(name, value, text) {value, text},
// Searched in this order: a code in two lists reads as its first row here.
constexpr CodeText kCodeTexts[] = {TALVEX_RESULT_CODES(TALVEX_CODE_ROW) TALVEX_CALCULATION_CODES(TALVEX_CODE_ROW)
                                       TALVEX_COMPILE_CODES(TALVEX_CODE_ROW)};
#undef TALVEX_CODE_ROW

}  // namespace

const char* ResultText(Result code) {
    // Code 2 is a compile code and a calculation code: a host that only has
    // the number learns both.
    if (code == kCalculationFailedName)
        return "when compiling: an invalid character, a malformed number or a name longer than 32 characters; "
               "when calculating: a name that a setting uses cannot be evaluated";
    for (const CodeText& row : kCodeTexts)
        if (row.code == code) return row.text;
    return nullptr;
}

}  // namespace talvex
