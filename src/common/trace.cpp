#include "common/trace.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace talvex {

TraceLog& TraceLog::Instance() {
    static TraceLog log;
    return log;
}

void TraceLog::Output(const char* format, ...) {
    // Formatting costs something, so it happens only when a sink listens.
    if (!sink_ || format == nullptr) return;
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string message;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
        message.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(arguments);
    sink_(indentation_, message);
}

}  // namespace talvex
