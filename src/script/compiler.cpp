#include "script/compiler.h"

#include "script/builtins.h"
#include "script/stack_effect.h"

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

Instruction ToInstruction(Script& script, const Token& token) {
    Instruction instruction;
    switch (token.kind) {
    case kTokenName:
        instruction.kind = kOpSymbol;
        instruction.operand = InternName(script, token.name);
        break;
    case kTokenNumber:
        instruction.kind = kOpNumber;
        instruction.number = token.value;
        break;
    case kTokenFunction:
        instruction.kind = kOpCall;
        instruction.operand = FindBuiltin(token.name.c_str());
        // CheckCall counted the arguments into the token.
        instruction.argumentCount = TruncateToInt32(token.value);
        break;
    default:
        instruction.kind = token.kind;  // an operator is its own opcode
        break;
    }
    return instruction;
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

bool CheckProgram(const Script& script, const std::vector<Instruction>& program) {
    int32_t depth = 0;
    for (const Instruction& instruction : program) {
        const StackEffect effect = EffectOf(instruction);
        if (!effect.known || depth < effect.taken) return false;
        if (instruction.kind == kOpSymbol &&
            (instruction.operand < 0 || static_cast<size_t>(instruction.operand) >= script.names.size()))
            return false;
        depth += effect.given - effect.taken;
    }
    return depth == 1;
}

int32_t ResetScript(Script& script) {
    script.names.clear();
    script.nameIndex.clear();
    script.symbols.clear();
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

const Symbol* FindSymbol(const Script& script, const std::string& name) {
    if (name.empty()) return nullptr;
    const auto found = script.nameIndex.find(name);
    if (found == script.nameIndex.end()) return nullptr;
    const Symbol* symbol = script.names[static_cast<size_t>(found->second)].get();
    return symbol->defined ? symbol : nullptr;
}

int32_t InternName(Script& script, const std::string& name) {
    const auto found = script.nameIndex.find(name);
    if (found != script.nameIndex.end()) return found->second;
    const auto index = static_cast<int32_t>(script.names.size());
    auto symbol = std::make_unique<Symbol>();
    symbol->name = name;
    symbol->index = index;
    script.names.push_back(std::move(symbol));
    script.nameIndex.emplace(name, index);
    return index;
}

Symbol* DefineSymbol(Script& script, const std::string& name) {
    Symbol* symbol = script.names[static_cast<size_t>(InternName(script, name))].get();
    if (!symbol->defined) {
        symbol->defined = true;
        script.symbols.push_back(symbol);
    }
    symbol->program.clear();
    return symbol;
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
        // A statement ends at the first separator, so it stands on one line:
        // the line where it began is the line that failed, whatever the
        // lexer read past its end.
        const int32_t statementLine = lexer.line;
        result = CompileStatement(script);
        if (result != kCompileOk) {
            lexer.line = statementLine;
            break;
        }
    }
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
    result = ToPostfix(script, list, program);
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
        int builtin;      // -1 for a parenthesised group
        size_t function;  // the call's Function token
        int commas;
    };
    std::vector<OpenGroup> open;
    int pendingBuiltin = -1;
    size_t pendingFunction = 0;
    // Calls are checked as they close, so a call nested in another is checked
    // before the call around it.
    for (size_t i = 0; i < list.size(); ++i) {
        switch (list[i].kind) {
        case kTokenFunction:
            pendingBuiltin = FindBuiltin(list[i].name.c_str());
            pendingFunction = i;
            break;
        case kTokenOpen:
            open.push_back({pendingBuiltin, pendingFunction, 0});
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
            if (f.kind != kBuiltinVariadic ? arguments != f.kind : arguments < f.argumentCount)
                return kCompileArgumentCount;
            // The call carries its argument count into its instruction.
            list[group.function].value = arguments;
            break;
        }
        default:
            break;
        }
    }
    return kCompileOk;
}

int32_t ToPostfix(Script& script, std::vector<Token>& list, std::vector<Instruction>& program) {
    std::vector<const Token*> operators;
    auto popToOutput = [&]() {
        program.push_back(ToInstruction(script, *operators.back()));
        operators.pop_back();
    };
    for (const Token& token : list) {
        switch (token.kind) {
        case kTokenName:
        case kTokenNumber:
            program.push_back(ToInstruction(script, token));
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
    if (program.empty() || !CheckProgram(script, program)) {
        program.clear();
        return kCompileMisplaced;
    }
    return kCompileOk;
}

}  // namespace talvex::script
