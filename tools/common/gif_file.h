// Animated GIF files: frames of one size under one palette chosen from all
// of them, dithered so that colour maps show no bands, looping forever.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture_files.h"

// The 256 colours (0x00RRGGBB) that stand for the frames' pixels: the colour
// space cut at the median of its widest side until there are as many boxes,
// each box's mean a colour.
std::vector<uint32_t> ChoosePalette(const std::vector<Picture>& frames);

// A frame as indices into the palette, with Floyd-Steinberg dithering.
std::vector<uint8_t> DitherFrame(const Picture& frame, const std::vector<uint32_t>& palette);

// Writes the frames (at least one, all of the first's size) as a GIF that
// loops forever, delayHundredths between frames, through giflib; false on
// failure, and then no file is left behind and reason (when given) says why.
bool WriteAnimatedGif(const std::string& path, const std::vector<Picture>& frames, int delayHundredths,
                      std::string* reason = nullptr);
