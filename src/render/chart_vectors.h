// The few operations on 3-vectors that the chart look's placing needs.
#pragma once

#include <cmath>

#include "common/matrix.h"

namespace talvex::render {

inline Vector3 Add(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 Subtract(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 Scale(const Vector3& a, float factor) { return {a.x * factor, a.y * factor, a.z * factor}; }
inline float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// The unit vector along a; the zero vector when a has no length.
inline Vector3 Normalized(const Vector3& a) {
    const float length = std::sqrt(Dot(a, a));
    return length > 0.0f && std::isfinite(length) ? Scale(a, 1.0f / length) : Vector3{0.0f, 0.0f, 0.0f};
}
inline bool Finite(const Vector3& a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }
// Coordinate 0, 1 or 2 (x, y, z).
inline float Component(const Vector3& a, int axis) { return axis == 0 ? a.x : axis == 1 ? a.y : a.z; }
inline void SetComponent(Vector3& a, int axis, float value) { (axis == 0 ? a.x : axis == 1 ? a.y : a.z) = value; }

}  // namespace talvex::render
