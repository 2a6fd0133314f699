// The threads the software device draws with: a small pool owned by the
// library, whose workers each fill one band of rows of a picture. A pixel's
// fate does not depend on which thread fills it, so the picture is the same
// whatever the number of threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

namespace talvex::soft {

// A call to a callable that outlives it, made without allocating: the jobs
// run inside device methods, which must not throw, and std::function may
// allocate (and throw) for a lambda that holds a few references.
template <typename Signature>
class FunctionRef;

template <typename Result, typename... Arguments>
class FunctionRef<Result(Arguments...)> {
public:
    template <typename Callable,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, FunctionRef>>>
    FunctionRef(Callable&& callable)  // NOLINT: converts like std::function
        : object_(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          call_([](void* object, Arguments... arguments) -> Result {
              return (*static_cast<std::remove_reference_t<Callable>*>(object))(std::forward<Arguments>(arguments)...);
          }) {}

    Result operator()(Arguments... arguments) const { return call_(object_, std::forward<Arguments>(arguments)...); }

private:
    void* object_;
    Result (*call_)(void*, Arguments...);
};

constexpr int32_t kMaximumRenderThreads = 64;

// 0 lets the device choose (one thread for small pictures, otherwise one per
// core, at most 8); 1 .. kMaximumRenderThreads fixes the number for every
// picture drawn from now on. Process-wide.
void SetRenderThreads(int32_t count);

// The number of bands a picture of this size is drawn in.
int32_t BandsFor(int32_t width, int32_t height);

// Runs job(band) for every band 0 .. bands - 1, on the pool's workers and the
// calling thread, and returns when every band has run. While another thread's
// picture has the pool, the calling thread runs every band itself.
void RunBands(int32_t bands, FunctionRef<void(int32_t)> job);

// Runs work(begin, end) over 0 .. count - 1 cut into one piece per band of a
// picture of this size: the whole-picture fills and copies.
void RunPieces(int32_t width, int32_t height, size_t count, FunctionRef<void(size_t, size_t)> work);

}  // namespace talvex::soft
