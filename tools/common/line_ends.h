// Script files may end their lines with LF or CR LF; the chart reads CR LF.
#pragma once

#include <string>

// Each bare LF becomes CR LF; CR LF stays as it is.
inline std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}
