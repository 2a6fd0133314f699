// A program as text, to make compiler tests one line each and their failures
// readable.
#pragma once

#include <string>

#include "script/script.h"

namespace talvex::script {

// One entry per instruction: «x, sin, y, cos, *»; a variadic call shows its
// count of further arguments before its name, as the stack sees it.
std::string Disassemble(const Script& script, const Symbol& symbol);

}  // namespace talvex::script
