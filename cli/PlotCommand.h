#pragma once
// kelvara-cli plot: a quick look at results files as a PNG or SVG picture.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "QuickLook.h"

namespace kelvara::cli {

struct PlotRequest {
    std::vector<std::string> files;
    std::string output;
    std::string sizeText;  // "WxH", empty for the default size
};

// The format the output's extension names (.png or .svg, any case).
std::optional<plot::PictureFormat> PictureFormatOf(const std::string& output);
// "WxH" with both sides within the limits.
std::optional<plot::PictureSize> PictureSizeOf(const std::string& text);

// Reads every file and draws them over one time axis: files that follow
// each other as one line, files of the same half hours as lines of their
// own. The picture goes in place whole, never over one of the files read.
// Problems go to errors; returns the exit status.
int RunPlot(const PlotRequest& request, std::FILE* errors);

}  // namespace kelvara::cli
