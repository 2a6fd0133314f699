#include "script/compiler.h"

#include "script/builtins.h"
#include "script/evaluator.h"

namespace talvex::script {

namespace {

constexpr uint32_t kStart = 0xFFFFFFFFu;  // the "previous token" before the first

bool IsInfixOperator(uint32_t kind) {
    return kind == kTokenAdd || kind == kTokenSubtract || kind == kTokenMultiply || kind == kTokenDivide ||
           kind == kTokenPower;
}

bool EndsOperand(uint32_t kind) { return kind == kTokenClose || kind == kTokenNumber || kind == kTokenName; }

bool MayPrecedeOperand(uint32_t kind) {
    return kind == kStart || kind == kTokenOpen || kind == kTokenComma || IsInfixOperator(kind);
}

int Precedence(uint32_t kind) {
    switch (kind) {
    case kTokenAdd:
    case kTokenSubtract:
        return 1;
    case kTokenMultiply:
    case kTokenDivide:
        return 2;
    case kTokenPower:
        return 3;
    default:
        return 0;  // "(" and functions are never popped by an operator
    }
}

Token MakeNumber(double value) {
    Token token;
    token.kind = kTokenNumber;
    token.value = value;
    return token;
}

Instruction ToInstruction(const Token& token) {
    Instruction instruction;
    switch (token.kind) {
    case kTokenName:
        instruction.kind = kOpSymbol;
        instruction.name = token.name;
        break;
    case kTokenNumber:
        instruction.kind = kOpNumber;
        instruction.number = token.value;
        break;
    case kTokenFunction:
        instruction.kind = kOpCall;
        instruction.name = token.name;
        instruction.builtin = FindBuiltin(token.name.c_str());
        break;
    default:
        instruction.kind = token.kind;  // an operator is its own opcode
        break;
    }
    return instruction;
}

// Follows the program's stack depth: it must never take more values than are
// there and must leave exactly one. The evaluator relies on this.
bool LeavesExactlyOneValue(const std::vector<Instruction>& program) {
    long depth = 0;
    for (size_t i = 0; i < program.size(); ++i) {
        const Instruction& instruction = program[i];
        switch (instruction.kind) {
        case kOpSymbol:
        case kOpNumber:
            ++depth;
            break;
        case kOpCall: {
            if (instruction.builtin < 0) return false;
            const BuiltinFunction& f = kBuiltins[instruction.builtin];
            if (f.kind == kBuiltinUnary) {
                if (depth < 1) return false;
            } else if (f.kind == kBuiltinBinary) {
                if (depth < 2) return false;
                --depth;
            } else {
                // The count of further arguments is the number just before the call.
                if (i == 0 || program[i - 1].kind != kOpNumber) return false;
                const int32_t n = TruncateToInt32(program[i - 1].number);
                if (n < f.argumentCount - 1 || depth < n + 2) return false;
                depth -= n + 1;
            }
            break;
        }
        default:
            if (depth < 2) return false;
            --depth;
            break;
        }
    }
    return depth == 1;
}

}  // namespace

const char* DescribeCompileCode(int32_t code) {
    switch (code) {
#define TALVEX_COMPILE_TEXT(name, value, text) \
    case value:                                \
        return text;
        TALVEX_COMPILE_CODES(TALVEX_COMPILE_TEXT)
#undef TALVEX_COMPILE_TEXT
    default:
        return nullptr;
    }
}

int32_t ResetScript(Script& script) {
    script.freeVariables.fill(false);
    script.symbols.clear();
    script.symbolIndex.clear();
    struct Default {
        const char* name;
        double value;
    };
    static const Default kDefaults[] = {
        {"pi", kScriptPi}, {"e", kScriptE},           {"xcenter", 0},      {"ycenter", 0},
        {"zcenter", 0},    {"scale", 10},             {"pmin", 0},         {"pmax", kFullTurn},
        {"qmin", 0},       {"qmax", kFullTurn},       {"tmin", 0},         {"tmax", kFullTurn},
        {"xgrid", -1},     {"ygrid", -1},             {"zgrid", -1},       {"pgrid", -1},
        {"qgrid", -1},     {"tgrid", -1},
    };
    for (const Default& d : kDefaults) SetConstant(script, d.name, d.value);
    return 0;
}

int32_t ErrorLine(const Script& script) { return script.lexer.line - 1; }

Symbol* FindSymbol(const Script& script, const std::string& name) {
    if (name.empty()) return nullptr;
    const auto found = script.symbolIndex.find(name);
    return found == script.symbolIndex.end() ? nullptr : found->second;
}

Symbol* DefineSymbol(Script& script, const std::string& name) {
    if (Symbol* existing = FindSymbol(script, name)) {
        existing->program.clear();
        return existing;
    }
    auto symbol = std::make_unique<Symbol>();
    symbol->name = name;
    Symbol* raw = symbol.get();
    script.symbols.push_back(std::move(symbol));
    script.symbolIndex.emplace(name, raw);
    return raw;
}

int32_t SetConstant(Script& script, const std::string& name, double value) {
    Symbol* symbol = DefineSymbol(script, name);
    Instruction push;
    push.kind = kOpNumber;
    push.number = value;
    symbol->program.push_back(push);
    return 0;
}

int32_t Compile(Script& script, char* text) {
    LexerState& lexer = script.lexer;
    lexer.cursor = text;
    lexer.line = 1;
    for (char* p = text; *p != '\0'; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p + ('a' - 'A'));

    int32_t result = kCompileOk;
    while (*lexer.cursor != '\0') {
        if (NextToken(lexer) != kLexOk) {
            result = kCompileLexical;
            break;
        }
        const uint32_t kind = lexer.token.kind;
        if (kind == kTokenEnd) break;
        if (kind == kTokenSeparator) continue;
        if (kind == kTokenFunction) {
            result = kCompileUnknownFunction;
            break;
        }
        if (kind != kTokenName) {
            result = kCompileMisplaced;
            break;
        }
        result = CompileStatement(script);
        if (result != kCompileOk) break;
    }
    // The separator that ended the failing statement has been counted already.
    if (result != kCompileOk && lexer.token.kind == kTokenSeparator) --lexer.line;
    return result;
}

int32_t CompileStatement(Script& script) {
    LexerState& lexer = script.lexer;
    Symbol* symbol = DefineSymbol(script, lexer.token.name);
    if (NextToken(lexer) != kLexOk || lexer.token.kind != kTokenAssign) return kCompileNoAssign;

    std::vector<Token> list;
    for (;;) {
        // A lexing failure inside the expression rejects the statement: the
        // offending text is never compiled.
        if (NextToken(lexer) != kLexOk) return kCompileLexical;
        const Token& token = lexer.token;
        if (token.kind == kTokenSeparator || token.kind == kTokenEnd) break;
        const bool sign = token.kind == kTokenAdd || token.kind == kTokenSubtract;
        if (sign && (list.empty() || list.back().kind == kTokenOpen || list.back().kind == kTokenComma))
            list.push_back(MakeNumber(0.0));  // a unary sign is 0 + x or 0 - x
        list.push_back(token);
    }
    int32_t result = CheckSyntax(list);
    if (result != kCompileOk) return result;
    result = CheckCall(list);
    if (result != kCompileOk) return result;
    std::vector<Instruction> program;
    result = ToPostfix(list, program);
    if (result != kCompileOk) return result;
    symbol->program = std::move(program);
    return kCompileOk;
}

int32_t CheckSyntax(const std::vector<Token>& list) {
    uint32_t previous = kStart;
    // For each open "(": whether it opens a call's argument list.
    std::vector<bool> openIsCall;
    for (const Token& token : list) {
        const uint32_t kind = token.kind;
        switch (kind) {
        case kTokenFunction:
            if (FindBuiltin(token.name.c_str()) < 0) return kCompileUnknownFunction;
            [[fallthrough]];
        case kTokenName:
        case kTokenNumber:
            if (!MayPrecedeOperand(previous)) return kCompileMisplaced;
            break;
        case kTokenOpen:
            if (previous == kTokenClose) return kCompileOpenAfterClose;
            if (previous == kTokenNumber || previous == kTokenName) return kCompileMisplaced;  // «2(x)»
            openIsCall.push_back(previous == kTokenFunction);
            break;
        case kTokenClose:
            if (previous == kTokenOpen || IsInfixOperator(previous) || openIsCall.empty())
                return kCompileMisplacedClose;
            if (previous == kTokenComma) return kCompileMisplaced;
            openIsCall.pop_back();
            break;
        case kTokenComma:
            // Commas separate the arguments of a call and nothing else.
            if (!EndsOperand(previous) || openIsCall.empty() || !openIsCall.back()) return kCompileMisplaced;
            break;
        case kTokenAssign:
            return kCompileAssignInExpression;
        default:
            if (!IsInfixOperator(kind)) return kCompileMisplaced;
            if (!EndsOperand(previous)) return kCompileMissingOperand;
            break;
        }
        previous = kind;
    }
    if (!openIsCall.empty()) return kCompileUnclosed;
    if (IsInfixOperator(previous)) return kCompileMisplaced;
    return kCompileOk;
}

int32_t CheckCall(std::vector<Token>& list) {
    struct OpenGroup {
        int builtin;  // -1 for a parenthesised group
        int commas;
    };
    std::vector<OpenGroup> open;
    std::vector<Token> checked;
    checked.reserve(list.size());
    int pendingBuiltin = -1;
    // Calls are checked as they close, so a call nested in another is checked
    // before the call around it.
    for (Token& token : list) {
        switch (token.kind) {
        case kTokenFunction:
            pendingBuiltin = FindBuiltin(token.name.c_str());
            break;
        case kTokenOpen:
            open.push_back({pendingBuiltin, 0});
            pendingBuiltin = -1;
            break;
        case kTokenComma:
            if (!open.empty()) ++open.back().commas;
            break;
        case kTokenClose: {
            if (open.empty()) break;
            const OpenGroup group = open.back();
            open.pop_back();
            if (group.builtin < 0) break;
            const BuiltinFunction& f = kBuiltins[group.builtin];
            const int arguments = group.commas + 1;
            if (f.kind != kBuiltinVariadic) {
                if (arguments != f.kind) return kCompileArgumentCount;
            } else {
                if (arguments < f.argumentCount) return kCompileArgumentCount;
                // The count of further arguments travels as a hidden last one.
                Token comma;
                comma.kind = kTokenComma;
                checked.push_back(comma);
                checked.push_back(MakeNumber(arguments - 1));
            }
            break;
        }
        default:
            break;
        }
        checked.push_back(std::move(token));
    }
    list = std::move(checked);
    return kCompileOk;
}

int32_t ToPostfix(std::vector<Token>& list, std::vector<Instruction>& program) {
    std::vector<const Token*> operators;
    auto popToOutput = [&]() {
        program.push_back(ToInstruction(*operators.back()));
        operators.pop_back();
    };
    for (const Token& token : list) {
        switch (token.kind) {
        case kTokenName:
        case kTokenNumber:
            program.push_back(ToInstruction(token));
            break;
        case kTokenFunction:
        case kTokenOpen:
            operators.push_back(&token);
            break;
        case kTokenComma:
            while (!operators.empty() && operators.back()->kind != kTokenOpen) popToOutput();
            break;
        case kTokenClose:
            while (!operators.empty() && operators.back()->kind != kTokenOpen) popToOutput();
            if (!operators.empty()) operators.pop_back();
            if (!operators.empty() && operators.back()->kind == kTokenFunction) popToOutput();
            break;
        default:
            while (!operators.empty() && Precedence(operators.back()->kind) >= Precedence(token.kind))
                popToOutput();
            operators.push_back(&token);
            break;
        }
    }
    while (!operators.empty()) {
        if (operators.back()->kind == kTokenOpen) {
            operators.pop_back();
            continue;
        }
        popToOutput();
    }
    list.clear();
    if (program.empty() || !LeavesExactlyOneValue(program)) {
        program.clear();
        return kCompileMisplaced;
    }
    return kCompileOk;
}

}  // namespace talvex::script
