// The script compiler: statements "name = expression" into postfix programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/script.h"
#include "talvex_codes.h"

namespace talvex::script {

enum CompileCode : int32_t {
#define TALVEX_COMPILE_ENUM(name, value, text) name = value,
    TALVEX_COMPILE_CODES(TALVEX_COMPILE_ENUM)
#undef TALVEX_COMPILE_ENUM
};

// The sentence for a compile code, or null for a code that is none.
const char* DescribeCompileCode(int32_t code);

constexpr double kScriptPi = 3.1415926525;  // the script constant, as documented
constexpr double kScriptE = 2.718281828459045;
constexpr double kFullTurn = 6.283185307;

int32_t ResetScript(Script& script);
// Compiles text (lower-cased in place) into the script. 0 or a compile code.
int32_t Compile(Script& script, char* text);
// The 0-based line on which compiling stopped.
int32_t ErrorLine(const Script& script);
// The defined symbol of that name, or null.
const Symbol* FindSymbol(const Script& script, const std::string& name);
// The index of the name in the script's name table, entered undefined when new.
int32_t InternName(Script& script, const std::string& name);
Symbol* DefineSymbol(Script& script, const std::string& name);
int32_t SetConstant(Script& script, const std::string& name, double value);

// The check of a program's balance, which every way of running a program
// relies on: names and built-ins exist, calls have the arguments their
// built-in takes, no step takes more values than are there, and exactly one
// is left (each step moving the stack as EffectOf says).
bool CheckProgram(const Script& script, const std::vector<Instruction>& program);

// The steps of compiling one statement, exposed for tests.
int32_t CompileStatement(Script& script);
int32_t CheckSyntax(const std::vector<Token>& list);
int32_t CheckCall(std::vector<Token>& list);
int32_t ToPostfix(Script& script, std::vector<Token>& list, std::vector<Instruction>& program);

}  // namespace talvex::script
