// Exports the geometry the chart's slots keep from their last calculation
// (talvex_native.h): Wavefront OBJ (surfaces, curves and points, one object
// per slot) or binary STL (surfaces only).
#pragma once

#include <cstdint>
#include <string>

// Writes the file named by path, choosing the format by its extension (.obj
// or .stl), from slots 0 .. slotCount - 1 of the chart. Returns an empty
// string, or what went wrong.
std::string ExportMesh(int32_t chart, int slotCount, const std::string& path);
