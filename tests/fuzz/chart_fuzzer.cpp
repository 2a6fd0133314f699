// The libFuzzer harness: one chart control in a host window, driven from the
// input bytes through the exported functions and the window system's
// messages, as a hostile host would drive it.
//
// Input: the text before the first zero byte (all of it when there is none)
// holds up to three scripts for slots 0, 1 and 2, separated by form feeds;
// LF line ends become CR LF, as a host converts them. The bytes after the
// zero are actions, one opcode byte and its argument bytes each (missing
// argument bytes read as 0). Without actions the chart is calculated,
// painted and saved.
//
// Actions also set the native interface's style (any bytes in its texts,
// any numbers), view angles and data in place of scripts (any shapes and
// values).
//
// Checked: every result is one the interface documents, every error line lies
// within its script, and each run starts from an empty registry.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "talvex.h"
#include "talvex_native.h"
#include "talvex_window.h"
#include "../../tools/common/chart_messages.h"

namespace {

constexpr int32_t kId = 7;
constexpr int32_t kFail = TALVEX_E_FAIL;
constexpr int32_t kOutOfMemory = static_cast<int32_t>(0x8007000Eu);
constexpr int32_t kCannotWriteFile = static_cast<int32_t>(0x80070005u);
constexpr int32_t kNotAFile = TALVEX_E_NOT_A_FILE;
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057u);

[[noreturn]] void Fail(const char* what, int64_t value) {
    std::fprintf(stderr, "chart_fuzzer: %s (%lld)\n", what, static_cast<long long>(value));
    std::abort();
}

void Expect(bool condition, const char* what, int64_t value) {
    if (!condition) Fail(what, value);
}

bool In(int32_t value, std::initializer_list<int32_t> allowed) {
    for (int32_t a : allowed)
        if (a == value) return true;
    return false;
}

// A directory of this process for the pictures, made once and removed when
// the process ends.
const std::string& PictureDirectory() {
    static const std::string directory = [] {
        char pattern[] = "/tmp/talvex-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) Fail("cannot make a directory for pictures", 0);
        std::atexit([] { rmdir(PictureDirectory().c_str()); });
        return std::string(pattern);
    }();
    return directory;
}

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
    uint32_t Long() { return Word() | (static_cast<uint32_t>(Word()) << 16); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

struct Run {
    int32_t handle = 0;
    TalvexWindow host = nullptr;
    std::string scripts[3];  // as given, before the control lower-cases them
    bool hasScript[3] = {};
    // Data a slot took in place of a script: a Calculate computes it too.
    bool hasData[3] = {};
};

int32_t Lines(const std::string& text) {
    int32_t lines = 1;
    for (char c : text) lines += c == '\r';
    return lines;
}

void SetScript(Run& run, int slot, const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    const int32_t result = TALVEX_ControlSetScript(run.handle, slot, buffer.data());
    Expect(In(result, {0, 2, 6, 7, 8, 9, 10, 11, 12, 13, 20, kOutOfMemory}), "SetScript result", result);
    const int32_t line = TALVEX_ControlScriptGetErrorLine(run.handle, slot);
    Expect(line >= 0 && line < Lines(text), "error line outside the script", line);
    run.scripts[slot] = text;
    run.hasScript[slot] = result == 0 && !text.empty();
    if (slot >= 0 && slot < 3) run.hasData[slot] = false;  // a script, or its failure, drops the data
}

void Calculate(Run& run) {
    const int32_t result = TALVEX_ControlCalculate(run.handle);
    Expect(In(result, {0, 2, 15, 16, 17, 18, 19, kFail, kOutOfMemory}), "Calculate result", result);
    bool any = false;
    for (int slot = 0; slot < 3; ++slot) any = any || run.hasScript[slot] || run.hasData[slot];
    if (!any) Expect(result == kFail, "Calculate without scripts", result);
}

void Save(Run& run, uint8_t which) {
    const std::string& directory = PictureDirectory();
    std::string path;
    switch (which % 4) {
    case 0: path = directory + "/picture.bmp"; break;
    case 1: path = directory; break;  // a directory is not a picture
    case 2: path = directory + "/missing/picture.bmp"; break;
    default: path = directory + "/" + std::string(300, 'p') + ".bmp"; break;  // name too long
    }
    const int32_t result = TALVEX_SaveBMP(run.handle, path.c_str());
    Expect(In(result, {0, kCannotWriteFile, kNotAFile, kOutOfMemory}), "SaveBMP result", result);
}

void Paint(Run& run) {
    Expect(In(TALVEX_ControlInvalidate(run.handle, nullptr, 0), {0, 1}), "Invalidate result", 0);
    talvex_window_run_paints();
}

void Drag(Run& run, Bytes& bytes) {
    const TalvexWindow child = talvex_window_find_child(run.host, kId);
    const uint8_t buttons = bytes.Byte();
    const auto from = static_cast<TalvexLParam>(bytes.Long()), to = static_cast<TalvexLParam>(bytes.Long());
    const bool right = (buttons & 1) != 0;
    talvex_window_set_key_state(0x02, right ? 1 : 0);
    talvex_window_send(child, right ? kRightButtonDown : kLeftButtonDown, 0, from);
    talvex_window_send(child, kMouseMove, 0, to);
    if ((buttons & 2) == 0) talvex_window_send(child, right ? kRightButtonUp : kLeftButtonUp, 0, to);
    if ((buttons & 4) != 0) talvex_window_send(child, kMiddleButtonUp, 0, to);  // middle click resets the view
    talvex_window_set_key_state(0x02, 0);
}

// Up to `most` bytes of the input into a text array, closed by a 0 unless
// the input asks for the array to be filled to its end.
template <size_t Size>
void FillText(Bytes& bytes, char (&text)[Size], size_t most, bool unclosed) {
    const size_t length = unclosed ? Size : std::min<size_t>(bytes.Byte() % (most + 1), Size - 1);
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>(bytes.Byte());
    if (length < Size) text[length] = '\0';
}

// A style from the input: mostly one the chart takes, with any bytes in its
// texts and any numbers where the input asks for them.
void SetStyle(Run& run, Bytes& bytes) {
    static const char* const kMaps[] = {"viridis", "magma", "cividis", "grey", "slot", "jet"};
    TalvexStyle style;
    talvex_default_style(&style);
    const uint8_t flags = bytes.Byte();
    style.look = (flags & 2) != 0 ? static_cast<int32_t>(bytes.Long()) : (flags & 1) != 0 ? TALVEX_LOOK_CHART : TALVEX_LOOK_CLASSIC;
    if ((flags & 4) != 0) FillText(bytes, style.colorMap, sizeof style.colorMap, (bytes.Byte() & 1) != 0);
    else std::strcpy(style.colorMap, kMaps[bytes.Byte() % 6]);
    style.colorBy = bytes.Byte() % 4;
    style.lighting = bytes.Byte() & 1;
    style.samples = (flags & 8) != 0 ? static_cast<int32_t>(bytes.Long()) : 1;
    const uint8_t switches = bytes.Byte();
    style.axes = switches & 1;
    style.colorBar = (switches >> 1) & 1;
    style.equalAspect = (switches >> 2) & 1;
    if ((flags & 16) != 0) {
        const uint64_t bits = bytes.Long() | (static_cast<uint64_t>(bytes.Long()) << 32);
        std::memcpy(&style.textSize, &bits, sizeof style.textSize);
    } else {
        style.textSize = 6 + bytes.Byte() % 91;
    }
    FillText(bytes, style.title, 255, (flags & 32) != 0);
    for (auto& name : style.axisNames) FillText(bytes, name, 63, false);
    if ((flags & 64) != 0) style.size = bytes.Long();
    char why[64];
    const int32_t result = talvex_set_style(run.handle, &style, why, sizeof why);
    // A device that cannot be reset to the samples asked for gives its code.
    constexpr int32_t kInvalidCall = static_cast<int32_t>(0x8876086Cu);
    Expect(In(result, {0, kInvalidArgument, kFail, kInvalidCall, kOutOfMemory}), "set_style result", result);
    Expect(std::memchr(why, '\0', sizeof why) != nullptr, "set_style's reason unclosed", result);
    Expect((result == 0) == (why[0] == '\0'), "set_style's reason and result disagree", result);
}

void SetViewAngles(Run& run, Bytes& bytes) {
    double angles[3];
    for (double& angle : angles) {
        const uint64_t bits = bytes.Long() | (static_cast<uint64_t>(bytes.Long()) << 32);
        std::memcpy(&angle, &bits, sizeof angle);
    }
    const int32_t result = talvex_set_view_angles(run.handle, angles[0], angles[1], angles[2]);
    Expect(In(result, {0, kInvalidArgument}), "set_view_angles result", result);
}

// Data from the input into a slot: a shape, sizes (mostly small, any
// number when the input asks), and values mostly drawn from the awkward
// ones (not a number, the infinities, the largest double, a denormal,
// zero), otherwise any bits.
void SetData(Run& run, Bytes& bytes) {
    static const double kAwkward[] = {NAN, HUGE_VAL, -HUGE_VAL, 1.7976931348623157e308, -1.7976931348623157e308,
                                      4.9e-324, 0.0, -0.0, 1.0, -1e-300};
    const uint8_t flags = bytes.Byte();
    const int32_t slot = static_cast<int8_t>(bytes.Byte()) % 4;
    int32_t columns = (flags & 8) != 0 ? static_cast<int32_t>(bytes.Long()) : bytes.Byte() % 12;
    const int32_t rows = (flags & 16) != 0 ? static_cast<int32_t>(bytes.Long()) : bytes.Byte() % 12;
    // Room for whatever the sizes say up to kRoom values: beyond what 16-bit
    // indices name, so that large data's own buffers are exercised. Sizes
    // the library would take and read past that room are cut to fit it;
    // sizes beyond a slot's capacity stay, as the sizes alone refuse them.
    constexpr int64_t kRoom = 70000, kCapacity = int64_t{4096} * 4096;
    const int64_t asked = static_cast<int64_t>(std::max(columns, 0)) * std::max(rows, 1);
    if (asked > kRoom && asked <= kCapacity) columns = static_cast<int32_t>(kRoom / std::max(rows, 1));
    const int64_t wanted = static_cast<int64_t>(std::max(columns, 0)) * std::max(rows, 1);
    const size_t count = static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(wanted, 1), kRoom));
    std::vector<double> values[3];
    for (auto& array : values) {
        array.resize(count);
        for (double& value : array) {
            const uint8_t pick = bytes.Byte();
            if (pick < 160) {
                value = kAwkward[pick % 10] * (pick >= 80 ? static_cast<double>(bytes.Byte()) : 1.0);
            } else {
                const uint64_t bits = bytes.Long() | (static_cast<uint64_t>(bytes.Long()) << 32);
                std::memcpy(&value, &bits, sizeof value);
            }
        }
    }
    char why[96];
    int32_t result = 0;
    // A grid's vectors, when given, are read for columns and rows values:
    // given only where the arrays hold that many.
    const bool vectors = (flags & 32) == 0 && columns >= 1 && rows >= 1 && wanted <= static_cast<int64_t>(count);
    switch (flags % 4) {
    case 0:
        result = talvex_set_grid(run.handle, slot, columns, rows, values[2].data(), vectors ? values[0].data() : nullptr,
                                 vectors ? values[1].data() : nullptr, why, sizeof why);
        break;
    case 1: result = talvex_set_surface(run.handle, slot, columns, rows, values[0].data(), values[1].data(), values[2].data(), why, sizeof why); break;
    case 2: result = talvex_set_curve(run.handle, slot, columns, values[0].data(), values[1].data(), values[2].data(), why, sizeof why); break;
    default: result = talvex_set_points(run.handle, slot, columns, values[0].data(), values[1].data(), values[2].data(), why, sizeof why); break;
    }
    Expect(In(result, {0, kInvalidArgument, 21, kOutOfMemory}), "set data result", result);
    if (result != 21) {
        Expect(std::memchr(why, '\0', sizeof why) != nullptr, "set data's reason unclosed", result);
        Expect((result == 0) == (why[0] == '\0'), "set data's reason and result disagree", result);
    }
    // The slot holds no script now: its error line is 0.
    if (result == 0) {
        run.scripts[static_cast<size_t>(slot)].clear();
        run.hasScript[slot] = false;
        run.hasData[slot] = true;
    }
}

// The box's fit for data: a range on an axis (any numbers, in order or
// not), or a shared box.
void SetFit(Run& run, Bytes& bytes) {
    static const double kEnds[] = {NAN, -HUGE_VAL, HUGE_VAL, -1e308, -1.0, 0.0, 4.9e-324, 1.0, 1e308, 2.0};
    const uint8_t what = bytes.Byte();
    if (what % 4 == 0) {
        Expect(talvex_set_shared_box(run.handle, bytes.Byte() % 2) == 0, "shared box result", 0);
        return;
    }
    const int32_t axis = static_cast<int8_t>(bytes.Byte()) % 4;
    const double low = kEnds[bytes.Byte() % 10], high = kEnds[bytes.Byte() % 10];
    char why[160];
    const int32_t result = talvex_set_axis_range(run.handle, axis, low, high, why, sizeof why);
    Expect(In(result, {0, kInvalidArgument}), "axis range result", result);
    Expect((result == 0) == (why[0] == '\0'), "axis range's reason and result disagree", result);
}

void Act(Run& run, Bytes& bytes) {
    const int32_t h = run.handle;
    int32_t result = 0;
    switch (bytes.Byte() % 24) {
    case 0: result = TALVEX_ControlSetScale(h, static_cast<int32_t>(bytes.Long())); break;
    case 1: result = TALVEX_ControlMouseWheel(h, static_cast<TalvexWParam>(bytes.Long()), 0); break;
    case 2: {
        // Within the sizes a screen has: the library itself sets no limit.
        const int32_t width = bytes.Word() % 1025, height = bytes.Word() % 1025;
        result = TALVEX_ControlSize(h, (bytes.Byte() & 1) != 0 ? -width : width, height);
        break;
    }
    case 3: Drag(run, bytes); break;
    case 4: Paint(run); break;
    case 5: Save(run, bytes.Byte()); break;
    case 6: Calculate(run); break;
    case 7: result = (bytes.Byte() & 1) != 0 ? TALVEX_ControlSetIsometricView(h) : TALVEX_ControlSetDefaultView(h); break;
    case 8: result = TALVEX_ControlSetSolid(h, static_cast<int32_t>(bytes.Long())); break;
    case 9: result = TALVEX_ControlSetPointVisible(h, static_cast<int32_t>(bytes.Long())); break;
    case 10: result = TALVEX_ControlSetAxisVisible(h, static_cast<int32_t>(bytes.Long())); break;
    case 11: result = (bytes.Byte() & 1) != 0 ? TALVEX_ControlSetLeftHand(h) : TALVEX_ControlSetRightHand(h); break;
    case 12: {
        const int32_t slot = static_cast<int8_t>(bytes.Byte()) % 4;
        result = TALVEX_ControlDelScript(h, slot);
        Expect(result == (slot >= 0 && slot < 3 ? 0 : 21), "DelScript result", result);
        if (result == 0) run.hasScript[slot] = run.hasData[slot] = false;
        result = 0;
        break;
    }
    case 13: {
        const uint32_t bits = bytes.Long();
        float distance;
        std::memcpy(&distance, &bits, sizeof distance);
        result = TALVEX_ControlSetZDistance(h, distance);
        break;
    }
    case 14: result = TALVEX_ControlSetBackgroundColor(h, bytes.Long()); break;
    case 15: result = TALVEX_ControlSetPointColor(h, bytes.Long()); break;
    case 16: {
        const int32_t x = static_cast<int16_t>(bytes.Word()), y = static_cast<int16_t>(bytes.Word());
        const int32_t width = bytes.Word() % 1025, height = bytes.Word() % 1025;
        Expect(In(TALVEX_ControlMove(h, x, y, width, height, bytes.Byte()), {0, 1}), "Move result", 0);
        break;
    }
    case 17: Expect(In(TALVEX_ControlShow(h, bytes.Byte() % 6), {0, 1}), "Show result", 0); break;
    case 18: {
        // The scripts again, into other slots.
        const uint8_t from = bytes.Byte() % 3, to = bytes.Byte() % 3;
        SetScript(run, to, run.scripts[from]);
        break;
    }
    case 20: SetStyle(run, bytes); break;
    case 21: SetViewAngles(run, bytes); break;
    case 22: SetData(run, bytes); break;
    case 23: SetFit(run, bytes); break;
    default: {
        const int32_t slot = static_cast<int8_t>(bytes.Byte());
        const int32_t line = TALVEX_ControlScriptGetErrorLine(h, slot);
        if (slot < 0 || slot > 2) Expect(line == 0, "error line of a slot outside 0..2", line);
        else Expect(line >= 0 && line < Lines(run.scripts[slot]), "error line outside the script", line);
        break;
    }
    }
    Expect(result == 0, "setter result", result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t textSize = zero != nullptr ? static_cast<size_t>(zero - data) : size;

    Run run;
    run.host = talvex_window_create(800, 600);
    run.handle = TALVEX_ControlCreate();
    Expect(run.handle == 1, "a run starts from an empty registry", run.handle);
    const int32_t init = TALVEX_ControlInit(run.handle, run.host, nullptr, kId);
    Expect(init == 0, "Init result", init);

    std::string scripts[3];
    int slot = 0;
    for (size_t i = 0; i < textSize; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\f') {
            if (++slot == 3) break;
        } else if (c == '\n' && (i == 0 || data[i - 1] != '\r')) {
            scripts[slot] += "\r\n";
        } else {
            scripts[slot] += c;
        }
    }
    for (int s = 0; s < 3; ++s)
        if (!scripts[s].empty()) SetScript(run, s, scripts[s]);

    if (zero == nullptr) {
        Calculate(run);
        Paint(run);
        Save(run, 0);
    } else {
        Bytes actions(zero + 1, size - textSize - 1);
        for (int step = 0; step < 64 && !actions.Empty(); ++step) Act(run, actions);
    }

    const int32_t width = TALVEX_ControlDestroy(run.handle);
    Expect(width >= 0, "Destroy result", width);
    talvex_window_destroy(run.host);
    std::remove((PictureDirectory() + "/picture.bmp").c_str());
    return 0;
}
