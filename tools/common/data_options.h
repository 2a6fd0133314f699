// The tools' options that fill a slot with data instead of a script
// (--data, --data-x, --data-y, --points, --curve), and putting such a
// source into a chart's slot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scripts.h"

// The options' lines of a tool's --help.
extern const char* const kDataUsage;

// Whether arg is one of the data options (each takes a value).
bool IsDataOption(const std::string& arg);

// Adds what a data option says to the sources: a new source for --data,
// --points and --curve; a coordinate file of the last --data for --data-x
// and --data-y. "" or what is wrong.
std::string ReadDataOption(const std::string& arg, const char* value, std::vector<ScriptSource>& sources);

// A data source into the chart's slot: "" when the slot took it; otherwise
// what is wrong, with unreadable set when a file could not be read as a
// table at all.
std::string SetChartData(int32_t chart, int32_t slot, const ScriptSource& source, bool& unreadable);
