// Small pieces of the tools' command lines.
#pragma once

#include <cctype>
#include <cstdio>
#include <string>

// The chart a tool draws when it is given no script.
inline const char* const kDefaultScript = "# the built-in chart\nz = sin(x)*cos(y)\n";

// Two integers with a separator between them: "640x480", "40,-10".
inline bool ParsePair(const char* text, char separator, int& a, int& b) {
    char extra;
    const std::string format = std::string("%d") + separator + "%d%c";
    return std::sscanf(text, format.c_str(), &a, &b, &extra) == 2;
}

// Whether a file name ends in the (lower-case) extension, in either case.
inline bool EndsWith(const std::string& text, const std::string& ending) {
    if (text.size() < ending.size()) return false;
    for (size_t i = 0; i < ending.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - ending.size() + i])) != ending[i]) return false;
    return true;
}
