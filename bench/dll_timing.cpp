// Calculate through talvex.dll, timed with the clock, next to a plain loop
// computing the same samples into the same 32-byte records: Google
// Benchmark is not built for Windows, and this is the one figure wanted
// there. Run under wine: talvex_dll_timing.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "talvex.h"

namespace {

struct Vertex {
    float x, y, z, nx, ny, nz, tu, tv;
};

double Clamp(double v, double low, double high) {
    if (v > high) v = high;
    if (v < low) v = low;
    return v;
}

template <typename Function>
void PlainSurface(std::vector<Vertex>& vertices, std::vector<uint16_t>& indices, Function f) {
    double y = -5;
    for (int r = 0; r <= 100; ++r, y += 0.1) {
        double x = -5;
        for (int c = 0; c <= 100; ++c, x += 0.1) {
            Vertex& v = vertices[static_cast<size_t>(r * 101 + c)];
            v = Vertex{static_cast<float>(Clamp(x, -10, 10) * 10), static_cast<float>(Clamp(y, -10, 10) * 10),
                       static_cast<float>(-Clamp(f(x, y), -10, 10) * 10), 0, 0, 0, static_cast<float>(r * 0.5),
                       static_cast<float>(c * 0.5)};
        }
    }
    indices.clear();
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 100; ++c) {
            const int a = r * 101 + c, cc = a + 102;
            const Vertex &p = vertices[static_cast<size_t>(a)], &q = vertices[static_cast<size_t>(cc)];
            if (std::fabs(p.z - q.z) < 100 && std::fabs(p.z + q.z) < 199) {
                const int cell[6] = {a, a + 1, a + 101, a + 1, cc, a + 101};
                for (int k : cell) indices.push_back(static_cast<uint16_t>(k));
            }
        }
}

// The median of five runs of count calls, in milliseconds per call.
template <typename Work>
double Median(int count, Work work) {
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i) work();
        runs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / count);
    }
    std::sort(runs.begin(), runs.end());
    return runs[2];
}

}  // namespace

int main() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "timing host";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowExA(0, "timing host", "timing", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    const int32_t chart = TALVEX_ControlCreate();
    if (TALVEX_ControlInit(chart, reinterpret_cast<TalvexWindow>(host), nullptr, 1) != 0) {
        std::printf("no device\n");
        return 1;
    }
    const char* const surfaces[] = {
        "z = sin(x)*cos(y)\r\nxgrid = 100\r\nygrid = 100",
        "z = sqrt(x^2 + y^2)\r\nxgrid = 100\r\nygrid = 100",
        "z = exp((x*x + y*y)/(0-8))*cos(x*y)*3\r\nxgrid = 100\r\nygrid = 100",
    };
    for (int i = 0; i < 3; ++i) {
        std::string text = surfaces[i];
        TALVEX_ControlSetScript(chart, i, text.data());
    }
    const double calculate = Median(100, [&] { TALVEX_ControlCalculate(chart); });
    // The same geometry from a formula that costs nothing: what is left is
    // sampling, mapping, the index lists and the upload into the device.
    const int32_t flat = TALVEX_ControlCreate();
    TALVEX_ControlInit(flat, reinterpret_cast<TalvexWindow>(host), nullptr, 2);
    for (int i = 0; i < 3; ++i) {
        std::string text = "z = x\r\nxgrid = 100\r\nygrid = 100";
        TALVEX_ControlSetScript(flat, i, text.data());
    }
    const double geometryOnly = Median(100, [&] { TALVEX_ControlCalculate(flat); });
    TALVEX_ControlDestroy(flat);

    std::vector<Vertex> vertices(10201);
    std::vector<uint16_t> indices;
    indices.reserve(60000);
    volatile double hiddenTwo = 2.0;
    const double two = hiddenTwo;  // pow as the script computes it, not x*x
    const double plain = Median(100, [&] {
        PlainSurface(vertices, indices, [](double x, double y) { return std::sin(x) * std::cos(y); });
        PlainSurface(vertices, indices, [two](double x, double y) { return std::sqrt(std::pow(x, two) + std::pow(y, two)); });
        PlainSurface(vertices, indices, [](double x, double y) { return std::exp((x * x + y * y) / (0 - 8)) * std::cos(x * y) * 3; });
    });
    std::printf("three 100 x 100 surfaces: Calculate %.3f ms, plain C++ %.3f ms, ratio %.2f\n", calculate, plain,
                calculate / plain);
    std::printf("the same with z = x (no arithmetic to speak of): Calculate %.3f ms\n", geometryOnly);
    TALVEX_ControlDestroy(chart);
    DestroyWindow(host);
    return 0;
}
