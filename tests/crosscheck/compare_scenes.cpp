// Compares the scenes drawn by the software device and by Direct3D 8 pixel
// by pixel: the share of pixels whose channels all agree within 2.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../api/bmp_picture.h"
#include "scenes.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: compare_scenes SOFTWARE_DIRECTORY DIRECT3D_DIRECTORY [MINIMUM_PERCENT]\n");
        return 2;
    }
    const double minimum = argc > 3 ? std::atof(argv[3]) : 99.5;
    int below = 0;
    std::printf("%-24s %10s\n", "scene", "agreement");
    for (const Scene& scene : kScenes) {
        const BmpPicture a = BmpPicture::Load(std::string(argv[1]) + "/" + scene.name + ".bmp");
        const BmpPicture b = BmpPicture::Load(std::string(argv[2]) + "/" + scene.name + ".bmp");
        if (a.pixels.empty() || b.pixels.empty() || a.width != b.width || a.height != b.height) {
            std::printf("%-24s %10s\n", scene.name, "missing");
            ++below;
            continue;
        }
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
        const double percent = 100.0 * static_cast<double>(agree) / static_cast<double>(a.pixels.size());
        std::printf("%-24s %9.3f%%%s\n", scene.name, percent, percent < minimum ? "  below target" : "");
        if (percent < minimum) ++below;
    }
    return below == 0 ? 0 : 1;
}
