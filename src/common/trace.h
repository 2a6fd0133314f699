// The Trace log: one process-wide diagnostic sink with an indentation level.
// Its output emits nothing by default; tests attach a sink to read what the
// control operations traced.
//
// Safe for use from several threads at once: each thread has its own
// indentation (the nesting of its own operations), and the sink receives one
// message at a time. A sink must not call back into the log.
#pragma once
#include <atomic>
#include <functional>
#include <mutex>
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
    void Indent();
    // Never below 0: unbalanced lowering must not shift later messages.
    void Unindent();
    // The calling thread's level.
    int Indentation() const;
    // Back to a level read before: a call that ended early (by an exception)
    // must not shift the messages of later calls.
    void SetIndentation(int level);

    void AttachSink(Sink sink);
    void DetachSink();

private:
    mutable std::mutex sinkLock_;
    // Read without the lock, so that a log nobody listens to costs one load.
    std::atomic<bool> listening_{false};
    Sink sink_;
};

inline TraceLog& Trace() { return TraceLog::Instance(); }

}  // namespace talvex
