// Tables of numbers for a chart's data, from files as the tools take them:
// text (values separated by white space or commas, one row a line, '#'
// comments, "nan" or an empty field for a hole) or numpy's .npy (float64,
// float32 or integers, C order).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DataTable {
    int32_t rows = 0, columns = 0;
    std::vector<double> values;  // row by row
    // A text file whose comment says "nonuniform matrix" (gnuplot's name
    // for it): its first row holds the columns' x (after one value that is
    // not used) and each later row starts with its y.
    bool nonuniform = false;
};

// Reads path into table: "" or what is wrong, naming the file and, for a
// text file, the line and column ("heights.txt, line 3, column 7: 'x1' is
// not a number"; "heights.txt: line 4 has 3 values, the rows above 5").
std::string ReadDataTable(const std::string& path, DataTable& table);
