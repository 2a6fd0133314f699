// The style record's fields, one by one, both ways.
#include "api/style_record.h"

#include <algorithm>
#include <cstring>

namespace talvex::api {

namespace {

template <size_t Size>
void CopyText(const std::string& text, char (&out)[Size]) {
    const size_t length = std::min(text.size(), Size - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

// The text of a record's array up to its closing 0; false when it has none.
template <size_t Size>
bool ReadText(const char (&in)[Size], std::string& text) {
    const void* end = std::memchr(in, '\0', Size);
    if (end == nullptr) return false;
    text.assign(in, static_cast<const char*>(end));
    return true;
}

}  // namespace

TalvexStyle StyleRecord(const render::ChartStyle& style) {
    TalvexStyle record{};
    record.size = TALVEX_STYLE_SIZE;
    record.look = static_cast<int32_t>(style.look);
    CopyText(style.colorMap, record.colorMap);
    record.colorBy = static_cast<int32_t>(style.colorBy);
    record.lighting = style.lighting ? 1 : 0;
    record.samples = style.samples;
    record.axes = style.axes ? 1 : 0;
    record.colorBar = style.colorBar ? 1 : 0;
    record.equalAspect = style.equalAspect ? 1 : 0;
    record.textSize = style.textSize;
    CopyText(style.title, record.title);
    for (size_t axis = 0; axis < 3; ++axis) CopyText(style.axisNames[axis], record.axisNames[axis]);
    return record;
}

bool StyleFromRecord(const TalvexStyle& record, render::ChartStyle& style, std::string& why) {
    if (record.size != TALVEX_STYLE_SIZE) {
        why = "the style's size is not one this library knows (set it to TALVEX_STYLE_SIZE)";
        return false;
    }
    render::ChartStyle read;
    read.look = static_cast<render::Look>(record.look);
    if (!ReadText(record.colorMap, read.colorMap)) {
        why = "the colour map's name has no closing 0 byte";
        return false;
    }
    read.colorBy = static_cast<render::ColorCoordinate>(record.colorBy);
    read.lighting = record.lighting != 0;
    read.samples = record.samples;
    read.axes = record.axes != 0;
    read.colorBar = record.colorBar != 0;
    read.equalAspect = record.equalAspect != 0;
    read.textSize = record.textSize;
    if (!ReadText(record.title, read.title)) {
        why = "the title has no closing 0 byte";
        return false;
    }
    static const char* const kAxes[3] = {"x", "y", "z"};
    for (size_t axis = 0; axis < 3; ++axis)
        if (!ReadText(record.axisNames[axis], read.axisNames[axis])) {
            why = std::string("the name of axis ") + kAxes[axis] + " has no closing 0 byte";
            return false;
        }
    style = std::move(read);
    return true;
}

}  // namespace talvex::api
