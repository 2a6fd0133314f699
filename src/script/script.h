// A compiled script: its symbols with their postfix programs.
#pragma once

namespace talvex::script {

class Script {};

}  // namespace talvex::script
