// The motor plot: both motors' strength over the run as step lines, with the
// scenario's steps marked, drawn with cairo as SVG or PNG.
#pragma once

#include <string>
#include <vector>

#include "profiles/device_model_profile.h"
#include "tools/lab/report_decoding.h"

namespace lab {

enum class PlotFormat { Svg, Png, Unknown };

// By the file name's extension (.svg, .png, any case).
PlotFormat PlotFormatOf(const std::string& path);

struct PlotMarker {
    long long timeMs;
    std::string label;
};

struct PlotInput {
    std::string title;
    const DeviceModelProfile* profile = nullptr;
    std::vector<MotorPoint> course;
    // The time axis runs from 0 to here.
    long long endMs = 0;
    std::vector<PlotMarker> markers;
};

// False with a message when the file cannot be written.
bool WriteMotorPlot(const std::string& path, const PlotInput& input, std::string* error);

}  // namespace lab
