// The threads the software device draws with: a small pool owned by the
// library, whose workers each fill one band of rows of a picture. A pixel's
// fate does not depend on which thread fills it, so the picture is the same
// whatever the number of threads.
#pragma once

#include <cstdint>
#include <functional>

namespace talvex::soft {

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
void RunBands(int32_t bands, const std::function<void(int32_t)>& job);

// Runs work(begin, end) over 0 .. count - 1 cut into one piece per band of a
// picture of this size: the whole-picture fills and copies.
void RunPieces(int32_t width, int32_t height, size_t count, const std::function<void(size_t, size_t)>& work);

}  // namespace talvex::soft
