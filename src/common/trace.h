// The Trace log: one process-wide diagnostic sink with an indentation level.
// Its output emits nothing by default; tests attach a sink to read what the
// control operations traced.
#pragma once
#include <functional>
#include <string>

namespace talvex {

class TraceLog {
public:
    // Receives each formatted message with the indentation level at the time.
    using Sink = std::function<void(int indentation, const std::string& message)>;

    static TraceLog& Instance();

    void Output(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void Indent() { ++indentation_; }
    // Never below 0: unbalanced lowering must not shift later messages.
    void Unindent() {
        if (indentation_ > 0) --indentation_;
    }
    int Indentation() const { return indentation_; }

    void AttachSink(Sink sink) { sink_ = std::move(sink); }
    void DetachSink() { sink_ = nullptr; }

private:
    int indentation_ = 0;
    Sink sink_;
};

inline TraceLog& Trace() { return TraceLog::Instance(); }

}  // namespace talvex
