"""The sentences of the library's result codes.

The compile codes are those of include/talvex_codes.h, word for word (a test
holds the two together); the calculation codes are those of talvex.h.
"""

from typing import Dict

E_FAIL = 0x80004005 - (1 << 32)
E_POINTER = 0x80004003 - (1 << 32)
E_INVALIDARG = 0x80070057 - (1 << 32)
E_OUTOFMEMORY = 0x8007000E - (1 << 32)
BAD_SLOT = 21

COMPILE_SENTENCES: Dict[int, str] = {
    0: "accepted",
    2: "an invalid character, a malformed number or a name longer than 32 characters",
    6: "the name is not followed by '='",
    7: "')' after '(' or an operator, or without an open '('",
    8: "'(' directly after ')'",
    9: "more '(' than ')'",
    10: "an unknown function, or a statement that starts with a call",
    11: "'=' inside an expression",
    12: "an operator without an operand or ')' before it",
    13: "a misplaced operand or comma, an empty expression, or a statement that does not start with a name",
    20: "the wrong number of arguments in a function call",
}

CALCULATION_SENTENCES: Dict[int, str] = {
    2: "an evaluation failed",
    15: "an unknown symbol",
    16: "the evaluation went too deep",
    17: "an undefined name",
    18: "more than two free variables",
    19: "a circular definition",
    E_FAIL: "no script could be calculated",
}

OTHER_SENTENCES: Dict[int, str] = {
    BAD_SLOT: "the script slot is outside 0 ... 2",
    22: "the graphics device cannot be created",
    E_FAIL: "the chart failed",
    E_POINTER: "a required pointer was null",
    E_INVALIDARG: "a size above the device's limit",
    E_OUTOFMEMORY: "the device cannot make room for the size",
}


def compile_sentence(code: int) -> str:
    return COMPILE_SENTENCES.get(code, "the script was rejected")


def describe(code: int, table: Dict[int, str] = OTHER_SENTENCES) -> str:
    """The sentence of a code: the package's own where it says more in its
    context, else the library's (talvex_error_text), else its number as an
    HRESULT."""
    if code in table:
        return table[code]
    from ._library import library  # the library is loaded once, on first use

    lib = library()
    if lib.has("talvex_error_text"):
        text = lib.talvex_error_text(code)
        if text:
            return "%s (code %d)" % (text.decode("utf-8", "replace"), code)
    return "code 0x%08X" % (code & 0xFFFFFFFF)
