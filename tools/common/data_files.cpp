#include "data_files.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include "scripts.h"

namespace {

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A field of a text row: "" and "nan" are holes; anything else must be a
// number to its end.
bool ParseField(const std::string& field, double& value) {
    if (field.empty() || Lower(field) == "nan") {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    char* end = nullptr;
    value = std::strtod(field.c_str(), &end);
    return end != nullptr && *end == '\0';
}

std::string ReadText(const std::string& path, const std::string& text, DataTable& table) {
    size_t lineStart = 0;
    int line = 0;
    while (lineStart < text.size()) {
        const size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
        std::string row = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        ++line;
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (const size_t hash = row.find('#'); hash != std::string::npos) {
            if (table.rows == 0 && Lower(row.substr(hash)).find("nonuniform matrix") != std::string::npos)
                table.nonuniform = true;
            row.resize(hash);
        }
        if (row.find_first_not_of(" \t\r\f\v") == std::string::npos) continue;
        // Fields: white space separates, and so does one comma (two commas
        // in a row leave an empty field, a hole).
        std::vector<double> values;
        size_t at = 0;
        const bool commas = row.find(',') != std::string::npos;
        while (at <= row.size()) {
            while (at < row.size() && (row[at] == ' ' || row[at] == '\t')) ++at;
            if (!commas && at == row.size()) break;
            size_t end = at;
            while (end < row.size() && row[end] != ',' && (commas || (row[end] != ' ' && row[end] != '\t'))) ++end;
            std::string field = row.substr(at, end - at);
            while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.pop_back();
            double value = 0;
            if (!ParseField(field, value))
                return path + ", line " + std::to_string(line) + ", column " + std::to_string(at + 1) + ": '" + field +
                       "' is not a number";
            values.push_back(value);
            at = end + 1;
            if (end == row.size()) break;
        }
        if (table.rows == 0) {
            table.columns = static_cast<int32_t>(values.size());
        } else if (static_cast<int32_t>(values.size()) != table.columns) {
            return path + ": line " + std::to_string(line) + " has " + std::to_string(values.size()) +
                   " values, the rows above " + std::to_string(table.columns);
        }
        table.values.insert(table.values.end(), values.begin(), values.end());
        ++table.rows;
    }
    if (table.rows == 0) return path + ": no numbers in it";
    return "";
}

// numpy's own format: a magic string, a version, a Python dictionary that
// says the element type, the order and the shape, then the elements.
std::string ReadNpy(const std::string& path, const std::string& bytes, DataTable& table) {
    const std::string bad = path + ": not a .npy file numpy wrote";
    if (bytes.size() < 10 || bytes.compare(0, 6, "\x93NUMPY") != 0) return bad;
    const int major = static_cast<unsigned char>(bytes[6]);
    size_t headerLength = 0, headerStart = 0;
    if (major == 1) {
        headerLength = static_cast<unsigned char>(bytes[8]) | static_cast<size_t>(static_cast<unsigned char>(bytes[9])) << 8;
        headerStart = 10;
    } else if (major == 2 || major == 3) {
        if (bytes.size() < 12) return bad;
        for (int i = 0; i < 4; ++i) headerLength |= static_cast<size_t>(static_cast<unsigned char>(bytes[8 + i])) << (8 * i);
        headerStart = 12;
    } else {
        return bad;
    }
    if (headerStart + headerLength > bytes.size()) return bad;
    const std::string header = bytes.substr(headerStart, headerLength);
    const auto field = [&header](const std::string& key) {
        const size_t at = header.find("'" + key + "'");
        if (at == std::string::npos) return std::string();
        const size_t colon = header.find(':', at);
        return colon == std::string::npos ? std::string() : header.substr(colon + 1);
    };
    std::string fortran = field("fortran_order");
    fortran.erase(0, std::min(fortran.size(), fortran.find_first_not_of(' ')));
    if (fortran.compare(0, 4, "True") == 0) return path + ": a .npy in Fortran order (save it in C order)";
    std::string descr = field("descr");
    const size_t quote = descr.find('\'');
    descr = quote == std::string::npos ? "" : descr.substr(quote + 1, descr.find('\'', quote + 1) - quote - 1);
    std::string shape = field("shape");
    shape = shape.substr(0, shape.find(')'));
    std::vector<long long> sides;
    for (size_t at = shape.find('('); at != std::string::npos && at < shape.size();) {
        ++at;
        while (at < shape.size() && !std::isdigit(static_cast<unsigned char>(shape[at]))) ++at;
        if (at >= shape.size()) break;
        sides.push_back(std::strtoll(shape.c_str() + at, nullptr, 10));
        while (at < shape.size() && std::isdigit(static_cast<unsigned char>(shape[at]))) ++at;
    }
    if (sides.empty() || sides.size() > 2) return path + ": a .npy of " + std::to_string(sides.size()) + " dimensions (1 or 2 are read)";
    if (sides.size() == 1) sides.insert(sides.begin(), 1);
    if (sides[0] < 1 || sides[1] < 1 || sides[0] > (1 << 30) / sides[1]) return path + ": a .npy of no or too many values";
    // The element types numpy writes for real numbers, little-endian.
    const std::string kind = descr.size() >= 3 ? descr.substr(1) : "";
    const char order = descr.empty() ? '?' : descr[0];
    size_t size = 0;
    if (kind == "f8" || kind == "i8" || kind == "u8") size = 8;
    else if (kind == "f4" || kind == "i4" || kind == "u4") size = 4;
    else if (kind == "i2" || kind == "u2") size = 2;
    else if (kind == "i1" || kind == "u1" || kind == "b1") size = 1;
    if (size == 0 || (order != '<' && order != '|')) return path + ": a .npy of '" + descr + "' (float64, float32 or integers are read)";
    const size_t count = static_cast<size_t>(sides[0] * sides[1]);
    const size_t dataStart = headerStart + headerLength;
    if (bytes.size() - dataStart < count * size) return path + ": the .npy ends before its " + std::to_string(count) + " values";
    table.rows = static_cast<int32_t>(sides[0]);
    table.columns = static_cast<int32_t>(sides[1]);
    table.values.resize(count);
    const char* data = bytes.data() + dataStart;
    for (size_t i = 0; i < count; ++i) {
        const char* at = data + i * size;
        double value = 0;
        if (kind == "f8") std::memcpy(&value, at, 8);
        else if (kind == "f4") { float f; std::memcpy(&f, at, 4); value = f; }
        else if (kind == "i8") { int64_t v; std::memcpy(&v, at, 8); value = static_cast<double>(v); }
        else if (kind == "u8") { uint64_t v; std::memcpy(&v, at, 8); value = static_cast<double>(v); }
        else if (kind == "i4") { int32_t v; std::memcpy(&v, at, 4); value = v; }
        else if (kind == "u4") { uint32_t v; std::memcpy(&v, at, 4); value = v; }
        else if (kind == "i2") { int16_t v; std::memcpy(&v, at, 2); value = v; }
        else if (kind == "u2") { uint16_t v; std::memcpy(&v, at, 2); value = v; }
        else if (kind == "i1") value = static_cast<signed char>(*at);
        else value = static_cast<unsigned char>(*at);
        table.values[i] = value;
    }
    return "";
}

}  // namespace

std::string ReadDataTable(const std::string& path, DataTable& table) {
    table = DataTable{};
    std::string bytes, reason;
    if (!ReadTextFile(path, bytes, &reason)) return "cannot read " + path + ": " + reason;
    return EndsWith(Lower(path), ".npy") ? ReadNpy(path, bytes, table) : ReadText(path, bytes, table);
}
