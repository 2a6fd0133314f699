// Exports the slot geometry of the frame last presented to a chart window:
// Wavefront OBJ (surfaces, curves and points, one object per slot) or binary
// STL (surfaces only).
#pragma once

#include <string>

#include "talvex.h"

// Writes the file named by path, choosing the format by its extension (.obj
// or .stl). Returns an empty string, or what went wrong.
std::string ExportMesh(TalvexWindow chartWindow, const std::string& path);
