// Where the chart look puts its panes and words, over a sweep of views: the
// panes behind the graph are the faces away from the eye, and the numbers
// stay inside the picture, apart from each other and off the box.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "render/chart_labels.h"
#include "render/chart_vectors.h"

namespace talvex::render {
namespace {

struct Point {
    float x, y;
};

// The convex hull of the picture positions (Andrew's monotone chain),
// counter-clockwise on the picture as y grows downwards.
std::vector<Point> Hull(std::vector<Point> points) {
    std::sort(points.begin(), points.end(), [](Point a, Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    const auto turn = [](Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); };
    std::vector<Point> hull(2 * points.size());
    size_t k = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && turn(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    for (size_t i = points.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && turn(hull[k - 2], hull[k - 1], points[i - 1]) <= 0) --k;
        hull[k++] = points[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

// Whether a text box and a convex polygon share an inside point: no
// separating axis among the box's two and the polygon's edge normals.
bool Intersects(const TextBox& box, const std::vector<Point>& polygon) {
    const std::array<Point, 4> corners{{{box.left, box.top}, {box.right, box.top}, {box.right, box.bottom}, {box.left, box.bottom}}};
    std::vector<Point> axes{{1, 0}, {0, 1}};
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Point a = polygon[i], b = polygon[(i + 1) % polygon.size()];
        axes.push_back({b.y - a.y, a.x - b.x});
    }
    for (const Point axis : axes) {
        float lowBox = 1e30f, highBox = -1e30f, lowPolygon = 1e30f, highPolygon = -1e30f;
        for (const Point p : corners) {
            const float d = p.x * axis.x + p.y * axis.y;
            lowBox = std::min(lowBox, d);
            highBox = std::max(highBox, d);
        }
        for (const Point p : polygon) {
            const float d = p.x * axis.x + p.y * axis.y;
            lowPolygon = std::min(lowPolygon, d);
            highPolygon = std::max(highPolygon, d);
        }
        if (highBox <= lowPolygon || highPolygon <= lowBox) return false;
    }
    return true;
}

TEST(ChartLabels, OverASweepOfViewsThePanesAreBehindAndTheNumbersApartInsideAndOffTheBox) {
    constexpr int32_t kWidth = 640, kHeight = 480;
    View view;
    view.style.look = Look::Chart;
    view.style.title = "A title";
    ChartBox box;
    box.low = {-3.0, -3.0, -1.0};
    box.high = {3.0, 3.0, 1.0};
    int numbered = 0;
    for (int azimuth = -180; azimuth < 180; azimuth += 10)
        for (float elevation : {-60.0f, -20.0f, 10.0f, 30.0f, 75.0f}) {
            view.azimuth = static_cast<float>(azimuth);
            view.elevation = elevation;
            const ChartCamera camera = MakeChartCamera(view, box, kWidth, kHeight);
            std::vector<Point> corners;
            for (int c = 0; c < 8; ++c) {
                Vector3 corner{};
                for (int axis = 0; axis < 3; ++axis)
                    SetComponent(corner, axis, ((c >> axis) & 1 ? 1.0f : -1.0f) * box.extent[static_cast<size_t>(axis)]);
                Point p;
                camera.ToPicture(corner, p.x, p.y);
                corners.push_back(p);
            }
            const std::vector<Point> outline = Hull(corners);
            for (int axis = 0; axis < 3; ++axis) {
                // The back face's middle lies on the far side of the box (or
                // level with its centre when the face is seen edge on).
                Vector3 middle{0.0f, 0.0f, 0.0f};
                SetComponent(middle, axis, BackSide(box, camera, axis));
                EXPECT_LE(Dot(middle, camera.toEye), 0.0f) << azimuth << ", " << elevation << ", axis " << axis;
            }
            const ChartLabels labels = PlaceChartLabels(view.style, box, camera, kWidth, kHeight, true);
            int numbers = 0;
            for (size_t i = 0; i < labels.texts.size(); ++i) {
                const PlacedText& text = labels.texts[i];
                const std::string where = std::to_string(azimuth) + ", " + std::to_string(elevation) + ": '" + text.text + "'";
                EXPECT_GE(text.box.left, 0.0f) << where;
                EXPECT_GE(text.box.top, 0.0f) << where;
                EXPECT_LE(text.box.right, kWidth) << where;
                EXPECT_LE(text.box.bottom, kHeight) << where;
                EXPECT_FALSE(Intersects(text.box, outline)) << where << " covers the box";
                for (size_t j = i + 1; j < labels.texts.size(); ++j)
                    EXPECT_FALSE(Overlap(text.box, labels.texts[j].box)) << where << " and '" << labels.texts[j].text << "'";
                numbers += text.number ? 1 : 0;
            }
            // Two edges at least are seen side on from every one of these views.
            EXPECT_GE(numbers, 6) << azimuth << ", " << elevation;
            numbered += numbers;
        }
    EXPECT_GT(numbered, 36 * 5 * 10);
}

}  // namespace
}  // namespace talvex::render
