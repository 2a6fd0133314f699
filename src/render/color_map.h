// The colour maps of the chart style: a value's place in its range turned
// into a colour from one of four tables of 256 entries. viridis, magma and
// cividis rise evenly in lightness, so the eye reads a surface's heights from
// its colours without a legend's help; grey is the plain ramp for print.
#pragma once

#include <cstdint>
#include <string_view>

namespace talvex::render {

enum class ColorMapName : int32_t { Viridis = 0, Magma = 1, Cividis = 2, Grey = 3 };

// Finds the map that users call name ("viridis", "magma", "cividis", "grey",
// or "gray" for grey; in any case of letters) and answers true, or answers
// false and leaves out alone for a name no map has.
bool ColorMapFromName(std::string_view name, ColorMapName& out);

// The map's name as ColorMapFromName reads it ("grey" for grey); "" for a
// value outside the enum.
const char* ColorMapNameText(ColorMapName map);

// The colour at t as 0x00RRGGBB: t runs from the table's first entry at 0 to
// its last at 1, each channel linearly interpolated between the two nearest
// entries and rounded. t is clamped into 0 … 1; NaN gives the first entry. A
// value outside the enum draws with viridis.
uint32_t MapColor(ColorMapName map, double t);

}  // namespace talvex::render
