// Compares the scenes drawn by the software device and by Direct3D pixel by
// pixel: the share of pixels whose channels all agree within 2, against the
// minimum (99.5 %, or as given; a chart-look scene's own).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../api/bmp_picture.h"
#include "scenes.h"

namespace {

// The share of pixels, in percent, whose channels all agree within 2; below
// zero when either picture is missing or they differ in size.
double Agreement(const std::string& first, const std::string& second) {
    const BmpPicture a = BmpPicture::Load(first);
    const BmpPicture b = BmpPicture::Load(second);
    if (a.pixels.empty() || b.pixels.empty() || a.width != b.width || a.height != b.height) return -1.0;
    size_t agree = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        bool close = true;
        for (int shift = 0; shift < 24; shift += 8) {
            const int ca = static_cast<int>((a.pixels[i] >> shift) & 0xFF);
            const int cb = static_cast<int>((b.pixels[i] >> shift) & 0xFF);
            if (std::abs(ca - cb) > 2) close = false;
        }
        agree += close;
    }
    return 100.0 * static_cast<double>(agree) / static_cast<double>(a.pixels.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: compare_scenes SOFTWARE_DIRECTORY DIRECT3D_DIRECTORY [MINIMUM_PERCENT]\n");
        return 2;
    }
    const double minimum = argc > 3 ? std::atof(argv[3]) : 99.5;
    int below = 0;
    std::printf("%-24s %10s %8s\n", "scene", "agreement", "minimum");
    const auto compare = [&](const char* name, double least) {
        const std::string file = std::string("/") + name + ".bmp";
        const double percent = Agreement(argv[1] + file, argv[2] + file);
        if (percent < 0) {
            std::printf("%-24s %10s\n", name, "missing");
            ++below;
            return;
        }
        std::printf("%-24s %9.3f%% %7.1f%%%s\n", name, percent, least, percent < least ? "  below target" : "");
        if (percent < least) ++below;
    };
    for (const Scene& scene : kScenes) compare(scene.name, minimum);
    for (const ChartScene& scene : kChartScenes) compare(scene.name, scene.minimumPercent);
    return below == 0 ? 0 : 1;
}
