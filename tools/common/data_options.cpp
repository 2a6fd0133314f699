#include "data_options.h"

#include <cstddef>
#include <tuple>

#include "data_files.h"
#include "talvex_native.h"

const char* const kDataUsage =
    "  --data FILE           heights over a grid into the next slot: a matrix, one\n"
    "                        row a line (y down the rows, x along them), values\n"
    "                        separated by white space or commas, '#' comments,\n"
    "                        nan or an empty field for a hole; a comment saying\n"
    "                        'nonuniform matrix' makes the first row the columns'\n"
    "                        x (after one unused value) and each row's first\n"
    "                        value its y, as gnuplot reads it; or a 2-D .npy\n"
    "  --data-x FILE, --data-y FILE\n"
    "                        the last --data's column x and row y values\n"
    "  --points FILE         x y z rows (or an n x 3 .npy) as a cloud of points\n"
    "  --curve FILE          x y z rows joined in order\n";

bool IsDataOption(const std::string& arg) {
    return arg == "--data" || arg == "--points" || arg == "--curve" || arg == "--data-x" || arg == "--data-y";
}

std::string ReadDataOption(const std::string& arg, const char* value, std::vector<ScriptSource>& sources) {
    if (arg == "--data-x" || arg == "--data-y") {
        if (sources.empty() || sources.back().data != "grid") return arg + " follows the --data it gives coordinates to";
        (arg == "--data-x" ? sources.back().dataX : sources.back().dataY) = value;
        return "";
    }
    ScriptSource source;
    source.name = value;
    source.file = true;
    source.data = arg == "--data" ? "grid" : arg.substr(2);
    sources.push_back(source);
    return "";
}

std::string SetChartData(int32_t chart, int32_t slot, const ScriptSource& source, bool& unreadable) {
    DataTable table;
    std::string problem = ReadDataTable(source.name, table);
    unreadable = !problem.empty();
    if (unreadable) return problem;
    char why[256] = "";
    int32_t result = 0;
    if (source.data == "grid") {
        std::vector<double> x, y, z = table.values;
        int32_t columns = table.columns, rows = table.rows;
        if (table.nonuniform) {
            if (rows < 2 || columns < 2) return source.name + ": a nonuniform matrix needs a row of x and a column of y";
            columns -= 1;
            rows -= 1;
            x.assign(table.values.begin() + 1, table.values.begin() + 1 + columns);
            z.clear();
            for (int32_t r = 1; r <= rows; ++r) {
                const auto row = table.values.begin() + static_cast<ptrdiff_t>(r) * (columns + 1);
                y.push_back(*row);
                z.insert(z.end(), row + 1, row + 1 + columns);
            }
        }
        for (const auto& [path, out, count, name] :
             {std::tuple{source.dataX, &x, columns, "columns"}, std::tuple{source.dataY, &y, rows, "rows"}}) {
            if (path.empty()) continue;
            DataTable vector;
            problem = ReadDataTable(path, vector);
            unreadable = !problem.empty();
            if (unreadable) return problem;
            if (static_cast<int32_t>(vector.values.size()) != count)
                return path + ": " + std::to_string(vector.values.size()) + " values for the " + std::to_string(count) +
                       " " + name + " of " + source.name;
            *out = vector.values;
        }
        result = talvex_set_grid(chart, slot, columns, rows, z.data(), x.empty() ? nullptr : x.data(),
                                 y.empty() ? nullptr : y.data(), why, sizeof why);
    } else {
        if (table.columns != 3)
            return source.name + ": " + std::to_string(table.columns) + " values a row; x y z rows have 3";
        std::vector<double> x, y, z;
        for (int32_t r = 0; r < table.rows; ++r) {
            x.push_back(table.values[static_cast<size_t>(3 * r)]);
            y.push_back(table.values[static_cast<size_t>(3 * r + 1)]);
            z.push_back(table.values[static_cast<size_t>(3 * r + 2)]);
        }
        const auto set = source.data == "points" ? talvex_set_points : talvex_set_curve;
        result = set(chart, slot, table.rows, x.data(), y.data(), z.data(), why, sizeof why);
    }
    if (result != 0) return source.name + ": " + (why[0] != '\0' ? std::string(why) : "the chart refused the data");
    return "";
}
