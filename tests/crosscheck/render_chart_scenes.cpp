// Draws every chart-look scene of the cross-check with the device of the
// library's objects it is linked to (the software device natively,
// Direct3D on Windows) and saves each as DIRECTORY/NAME.bmp. The 33
// functions do not set the look nor data: both are given to the control
// directly.
#include <cmath>
#include <string>
#include <utility>

#include "api/control_call.h"
#include "control/chart_control.h"
#include "graph/slot_data.h"
#include "render/chart_style.h"
#include "scene_drawing.h"
#include "scenes.h"

int main(int argc, char** argv) {
    return DrawScenes(argc, argv, kChartScenes, [](int32_t chart, const ChartScene& scene) {
        return talvex::api::Act(chart, [&](talvex::ChartControl& control) {
            talvex::render::ChartStyle style;
            style.look = talvex::render::Look::Chart;
            style.samples = scene.samples;
            style.colorMap = scene.colorMap;
            style.lighting = scene.lighting;
            style.title = scene.title;
            std::string why;
            int32_t result = control.SetStyle(style, why);
            if (result == 0 && scene.dataSide > 0) {
                talvex::graph::SlotData data;
                data.columns = data.rows = scene.dataSide;
                for (int32_t row = 0; row < scene.dataSide; ++row)
                    for (int32_t column = 0; column < scene.dataSide; ++column)
                        data.z.push_back(std::sin(column / 40.0) * std::cos(row / 30.0));
                result = control.SetData(2, std::move(data), why);
            }
            if (result != 0) std::fprintf(stderr, "%s: %s\n", scene.name, why.c_str());
            return result;
        });
    });
}
