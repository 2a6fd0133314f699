// Placing the chart look's words: each label is measured in the built-in
// font, pushed outward from its edge by its own extent, and kept only where
// it stays inside the picture and clear of every label placed before it.
#include "render/chart_labels.h"

#include <algorithm>
#include <cmath>

#include "render/chart_vectors.h"
#include "render/ticks.h"

namespace talvex::render {

namespace {

// Pixels kept free between two labels.
constexpr float kPadding = 2.0f;

// A text whose box is centred on a picture position, its origin on whole
// pixels as the layout will put it.
PlacedText Centred(const std::string& text, int32_t pixelSize, float x, float y) {
    const TextBox measured = MeasureText(text, pixelSize);
    PlacedText placed;
    placed.text = text;
    placed.pixelSize = pixelSize;
    placed.x = std::round(x - (measured.left + measured.right) / 2.0f);
    placed.y = std::round(y - (measured.top + measured.bottom) / 2.0f);
    placed.box = {measured.left + placed.x, measured.top + placed.y, measured.right + placed.x, measured.bottom + placed.y};
    return placed;
}

// A text whose box starts at x and is centred on y.
PlacedText LeftAligned(const std::string& text, int32_t pixelSize, float x, float y) {
    PlacedText placed = Centred(text, pixelSize, 0.0f, y);
    const float shift = std::round(x - placed.box.left);
    placed.x += shift;
    placed.box.left += shift;
    placed.box.right += shift;
    return placed;
}

// How far a box of this size reaches from its centre along a unit direction.
float Reach(const TextBox& box, float dx, float dy) {
    return std::abs(dx) * (box.right - box.left) / 2.0f + std::abs(dy) * (box.bottom - box.top) / 2.0f;
}

TextBox Padded(const TextBox& box) {
    return {box.left - kPadding, box.top - kPadding, box.right + kPadding, box.bottom + kPadding};
}

// The labels placed so far: a new one is kept only inside the picture and
// apart from all of them.
class Placer {
public:
    Placer(int32_t width, int32_t height) : width_(static_cast<float>(width)), height_(static_cast<float>(height)) {}
    bool Fits(const TextBox& box) const {
        // Written so that a box of positions that are not numbers fails too.
        if (!(box.left >= 0.0f && box.top >= 0.0f && box.right <= width_ && box.bottom <= height_)) return false;
        return std::none_of(taken_.begin(), taken_.end(), [&](const TextBox& other) { return Overlap(Padded(box), other); });
    }
    // Keeps the text when it fits; whether it did.
    bool Place(PlacedText text, ChartLabels& labels) {
        if (!Fits(text.box)) return false;
        taken_.push_back(text.box);
        labels.texts.push_back(std::move(text));
        return true;
    }

private:
    float width_, height_;
    std::vector<TextBox> taken_;
};

struct PictureEdge {
    float x0, y0, x1, y1;
    float normalX, normalY;  // perpendicular to it, away from the box's centre
    float length;
};

PictureEdge ProjectEdge(const ChartCamera& camera, const Vector3& from, const Vector3& to) {
    PictureEdge edge{};
    camera.ToPicture(from, edge.x0, edge.y0);
    camera.ToPicture(to, edge.x1, edge.y1);
    const float dx = edge.x1 - edge.x0, dy = edge.y1 - edge.y0;
    edge.length = std::hypot(dx, dy);
    if (edge.length > 0.0f) {
        edge.normalX = -dy / edge.length;
        edge.normalY = dx / edge.length;
    }
    const float middleX = (edge.x0 + edge.x1) / 2.0f - camera.centreX, middleY = (edge.y0 + edge.y1) / 2.0f - camera.centreY;
    if (edge.normalX * middleX + edge.normalY * middleY < 0.0f) {
        edge.normalX = -edge.normalX;
        edge.normalY = -edge.normalY;
    }
    return edge;
}

// The numbers of one axis pushed out from its edge: the most ticks (at most
// ten) whose numbers stand apart along the edge.
std::vector<PlacedText> EdgeNumbers(const AxisTicks& ticks, const ChartBox& box, const ChartCamera& camera,
                                    const Vector3& from, const PictureEdge& edge, int axis, int32_t pixelSize,
                                    float gap) {
    std::vector<PlacedText> numbers;
    for (size_t i = 0; i < ticks.values.size(); ++i) {
        Vector3 at = from;
        SetComponent(at, axis, box.ToWorld(axis, ticks.values[i]));
        float x = 0.0f, y = 0.0f;
        camera.ToPicture(at, x, y);
        PlacedText number = Centred(ticks.labels[i], pixelSize, x, y);
        const float reach = gap + Reach(number.box, edge.normalX, edge.normalY);
        number = Centred(ticks.labels[i], pixelSize, x + edge.normalX * reach, y + edge.normalY * reach);
        number.number = true;
        numbers.push_back(std::move(number));
    }
    return numbers;
}

bool AllApart(const std::vector<PlacedText>& texts) {
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = i + 1; j < texts.size(); ++j)
            if (Overlap(Padded(texts[i].box), texts[j].box)) return false;
    return true;
}

const char* const kDefaultNames[3] = {"x", "y", "z"};

}  // namespace

bool Overlap(const TextBox& a, const TextBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void NumberedEdge(const ChartBox& box, const ChartCamera& camera, int axis, Vector3& from, Vector3& to) {
    const float backX = BackSide(box, camera, 0), backY = BackSide(box, camera, 1), backZ = BackSide(box, camera, 2);
    if (axis == 0) {
        from = {-box.extent[0], -backY, backZ};
        to = {box.extent[0], -backY, backZ};
        return;
    }
    if (axis == 1) {
        from = {-backX, -box.extent[1], backZ};
        to = {-backX, box.extent[1], backZ};
        return;
    }
    // The two vertical edges between a face behind and one in front; the
    // one further left on the picture.
    const Vector3 first{-backX, backY, 0.0f}, second{backX, -backY, 0.0f};
    float firstX = 0.0f, secondX = 0.0f, y = 0.0f;
    camera.ToPicture(first, firstX, y);
    camera.ToPicture(second, secondX, y);
    const Vector3& corner = firstX <= secondX ? first : second;
    from = {corner.x, corner.y, -box.extent[2]};
    to = {corner.x, corner.y, box.extent[2]};
}

ChartLabels PlaceChartLabels(const ChartStyle& style, const ChartBox& box, const ChartCamera& camera, int32_t width,
                             int32_t height, bool colorBar) {
    ChartLabels labels;
    Placer placer(width, height);
    const int32_t size = FontPixelSize(style.textSize);
    const auto text = static_cast<float>(style.textSize);
    const float markLength = 0.4f * text;
    const float gap = markLength + 0.3f * text;

    if (!style.title.empty())
        placer.Place(Centred(style.title, FontPixelSize(style.textSize * 1.34), width / 2.0f, camera.areaTop / 2.0f),
                     labels);

    for (int axis = 0; axis < (style.axes ? 3 : 0); ++axis) {
        Vector3 from{}, to{};
        NumberedEdge(box, camera, axis, from, to);
        const PictureEdge edge = ProjectEdge(camera, from, to);
        // An edge seen end on has no room for numbers (nor one whose length
        // is no number, from a box no double can span).
        if (!(edge.length >= 2.0f * text && edge.length < 1e6f)) continue;
        labels.edges.push_back({edge.x0, edge.y0, edge.x1, edge.y1});
        AxisTicks ticks;
        std::vector<PlacedText> numbers;
        const int most = static_cast<int>(std::clamp(edge.length / (1.2f * text), 2.0f, 10.0f));
        for (int count = most; count >= 2; --count) {
            ticks = MakeTicks(box.low[static_cast<size_t>(axis)], box.high[static_cast<size_t>(axis)], count);
            numbers = EdgeNumbers(ticks, box, camera, from, edge, axis, size, gap);
            if (AllApart(numbers)) break;
        }
        float reach = 0.0f;
        for (size_t i = 0; i < numbers.size(); ++i) {
            const float tickX = (numbers[i].box.left + numbers[i].box.right) / 2.0f;
            const float tickY = (numbers[i].box.top + numbers[i].box.bottom) / 2.0f;
            const float along = gap + Reach(numbers[i].box, edge.normalX, edge.normalY);
            reach = std::max(reach, 2.0f * Reach(numbers[i].box, edge.normalX, edge.normalY));
            if (!placer.Place(numbers[i], labels)) continue;
            const float baseX = tickX - edge.normalX * along, baseY = tickY - edge.normalY * along;
            labels.marks.push_back({baseX, baseY, baseX + edge.normalX * markLength, baseY + edge.normalY * markLength});
        }
        std::string name = style.axisNames[static_cast<size_t>(axis)];
        if (name.empty() && !ticks.factor.empty()) name = kDefaultNames[axis];
        if (!ticks.factor.empty()) name += "  " + ticks.factor;
        if (name.empty()) continue;
        PlacedText placed = Centred(name, size, 0.0f, 0.0f);
        const float away = gap + reach + 0.4f * text + Reach(placed.box, edge.normalX, edge.normalY);
        placed = Centred(name, size, (edge.x0 + edge.x1) / 2.0f + edge.normalX * away,
                         (edge.y0 + edge.y1) / 2.0f + edge.normalY * away);
        placer.Place(placed, labels);
    }

    if (colorBar) {
        const int colorAxis = static_cast<int>(style.colorBy);
        const float barHeight = 0.8f * (camera.areaBottom - camera.areaTop);
        // Beside the box, past the room of the numbers at its right.
        labels.barLeft = std::round(std::min(camera.areaRight, camera.centreX + camera.halfWidth) + 4.0f * text);
        labels.barRight = labels.barLeft + std::round(0.9f * text);
        labels.barTop = std::round((camera.areaTop + camera.areaBottom - barHeight) / 2.0f);
        labels.barBottom = labels.barTop + std::round(barHeight);
        labels.colorBar = labels.barBottom - labels.barTop >= 2.0f * text && labels.barRight <= static_cast<float>(width);
        if (labels.colorBar) {
            const double low = box.low[static_cast<size_t>(colorAxis)], high = box.high[static_cast<size_t>(colorAxis)];
            const AxisTicks ticks =
                MakeTicks(low, high, static_cast<int>(std::clamp((labels.barBottom - labels.barTop) / (2.2f * text), 2.0f, 10.0f)));
            for (size_t i = 0; i < ticks.values.size(); ++i) {
                const auto y = static_cast<float>(labels.barBottom - (ticks.values[i] - low) / (high - low) * (labels.barBottom - labels.barTop));
                PlacedText number = LeftAligned(ticks.labels[i], size, labels.barRight + gap, y);
                number.number = true;
                if (placer.Place(number, labels))
                    labels.marks.push_back({labels.barRight, y, labels.barRight + markLength, y});
            }
            std::string name = style.axisNames[static_cast<size_t>(colorAxis)];
            if (!ticks.factor.empty()) name += (name.empty() ? "" : "  ") + ticks.factor;
            if (!name.empty())
                placer.Place(Centred(name, size, (labels.barLeft + labels.barRight) / 2.0f, labels.barTop - 0.9f * text),
                             labels);
        }
    }
    return labels;
}

}  // namespace talvex::render
