// Scripts as the tools take them from their command lines (files or -e
// texts, at most three, into slots 0, 1, 2) and the report of one that does
// not compile: "script N, line L: what is wrong", N and L counted from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kMaxScripts = 3;

struct ScriptSource {
    std::string name;  // the file's path, or "-e"
    std::string text;  // as read: LF or CR LF line ends
    bool file = false;
    // Data in place of a script (talvex-plot's --data, --points, --curve):
    // "grid", "points" or "curve", read from the file name; "" for a script.
    std::string data;
    std::string dataX, dataY;  // a grid's coordinate files (--data-x, --data-y), when given
};

// The whole file; false when it cannot be read, and then reason (when given)
// says why in the system's words.
bool ReadTextFile(const std::string& path, std::string& text, std::string* reason = nullptr);

// Adds a script file (an error message with the system's reason when it
// cannot be read) or a text.
std::string AddScriptFile(const std::string& path, std::vector<ScriptSource>& sources);
void AddScriptText(const std::string& text, std::vector<ScriptSource>& sources);

// The sentence of a compile code (talvex_codes.h).
const char* CompileSentence(int32_t code);

// Compiles text (LF or CR LF) into the chart's slot: "" when it compiles,
// otherwise the report of where and why it does not.
std::string SetChartScript(int32_t chart, size_t slot, const std::string& text);
