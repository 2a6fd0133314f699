#include "scripts.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "line_ends.h"
#include "talvex.h"
#include "talvex_codes.h"

bool ReadTextFile(const std::string& path, std::string& text, std::string* reason) {
    // A folder opens like a file here and only its reads fail.
    std::error_code ignored;
    errno = std::filesystem::is_directory(path, ignored) ? EISDIR : 0;
    std::ifstream in;
    if (errno == 0) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        if (reason != nullptr) *reason = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    text = contents.str();
    return true;
}

std::string AddScriptFile(const std::string& path, std::vector<ScriptSource>& sources) {
    ScriptSource source;
    std::string reason;
    if (!ReadTextFile(path, source.text, &reason)) return "cannot read " + path + ": " + reason;
    source.name = path;
    source.file = true;
    sources.push_back(source);
    return "";
}

void AddScriptText(const std::string& text, std::vector<ScriptSource>& sources) {
    sources.push_back(ScriptSource{"-e", text, false, "", "", ""});
}

const char* CompileSentence(int32_t code) {
    switch (code) {
#define TALVEX_TOOL_SENTENCE(name, value, text) \
    case value:                                 \
        return text;
        TALVEX_COMPILE_CODES(TALVEX_TOOL_SENTENCE)
#undef TALVEX_TOOL_SENTENCE
    default:
        return "the script was rejected";
    }
}

std::string SetChartScript(int32_t chart, size_t slot, const std::string& text) {
    // The chart lower-cases the text in place: it gets a copy.
    std::string copy = WithCrLf(text);
    const auto index = static_cast<int32_t>(slot);
    const int32_t result = TALVEX_ControlSetScript(chart, index, copy.data());
    if (result == 0) return "";
    const int32_t line = TALVEX_ControlScriptGetErrorLine(chart, index);
    return "script " + std::to_string(slot + 1) + ", line " + std::to_string(line + 1) + ": " +
           CompileSentence(result);
}
