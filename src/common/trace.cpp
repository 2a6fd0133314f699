#include "common/trace.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace talvex {

namespace {

// Each thread nests its own operations.
thread_local int indentation = 0;

}  // namespace

TraceLog& TraceLog::Instance() {
    static TraceLog log;
    return log;
}

void TraceLog::Indent() { ++indentation; }

void TraceLog::Unindent() {
    if (indentation > 0) --indentation;
}

int TraceLog::Indentation() const { return indentation; }

void TraceLog::SetIndentation(int level) { indentation = level < 0 ? 0 : level; }

void TraceLog::AttachSink(Sink sink) {
    std::lock_guard<std::mutex> lock(sinkLock_);
    sink_ = std::move(sink);
    listening_ = sink_ != nullptr;
}

void TraceLog::DetachSink() {
    std::lock_guard<std::mutex> lock(sinkLock_);
    sink_ = nullptr;
    listening_ = false;
}

void TraceLog::Output(const char* format, ...) {
    // Formatting costs something, so it happens only when a sink listens.
    if (!listening_ || format == nullptr) return;
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
    std::lock_guard<std::mutex> lock(sinkLock_);
    if (sink_) sink_(indentation, message);
}

}  // namespace talvex
