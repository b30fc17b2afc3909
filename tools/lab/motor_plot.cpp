#include "tools/lab/motor_plot.h"

#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace lab {

namespace {

constexpr double kWidth = 1200;
constexpr double kHeight = 640;
constexpr double kLeft = 80;
constexpr double kRight = 30;
// Room above the plot for the step labels.
constexpr double kTop = 170;
constexpr double kBottom = 60;
constexpr size_t kMaxLabelLength = 22;

struct Colour {
    double r, g, b;
};
constexpr Colour kLeftColour = {0.12, 0.40, 0.75};
constexpr Colour kRightColour = {0.90, 0.45, 0.05};

class Plot {
  public:
    Plot(cairo_t* cr, const PlotInput& input) : cr_(cr), input_(input) {
        endMs_ = std::max<long long>(input.endMs, 1);
    }

    void Draw() {
        cairo_set_source_rgb(cr_, 1, 1, 1);
        cairo_paint(cr_);
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                               CAIRO_FONT_WEIGHT_NORMAL);
        DrawTitle();
        DrawMarkers();
        DrawAxes();
        DrawMotor(kLeftColour, 2.5, false, [](const MotorPoint& p) { return p.left; });
        DrawMotor(kRightColour, 1.5, true, [](const MotorPoint& p) { return p.right; });
        DrawLegend();
    }

  private:
    double X(long long ms) const {
        return kLeft + (kWidth - kLeft - kRight) * static_cast<double>(ms) / endMs_;
    }
    double Y(double percent) const {
        return kHeight - kBottom - (kHeight - kTop - kBottom) * percent / 100.0;
    }

    void Text(double x, double y, const std::string& text, double size, double alignX) {
        cairo_set_font_size(cr_, size);
        cairo_text_extents_t extents;
        cairo_text_extents(cr_, text.c_str(), &extents);
        cairo_move_to(cr_, x - extents.x_advance * alignX, y);
        cairo_show_text(cr_, text.c_str());
    }

    void DrawTitle() {
        cairo_set_source_rgb(cr_, 0, 0, 0);
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        Text(kWidth / 2, 32, input_.title, 18, 0.5);
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                               CAIRO_FONT_WEIGHT_NORMAL);
    }

    // The scenario's steps: a faint line through the plot and the step's
    // label standing upright above it.
    void DrawMarkers() {
        const double dash[] = {3, 3};
        for (const PlotMarker& marker : input_.markers) {
            const double x = X(marker.timeMs);
            cairo_set_source_rgb(cr_, 0.75, 0.75, 0.75);
            cairo_set_line_width(cr_, 1);
            cairo_set_dash(cr_, dash, 2, 0);
            cairo_move_to(cr_, x, Y(0));
            cairo_line_to(cr_, x, Y(100) - 4);
            cairo_stroke(cr_);
            cairo_set_dash(cr_, nullptr, 0, 0);

            std::string label = marker.label;
            if (label.size() > kMaxLabelLength) {
                label = label.substr(0, kMaxLabelLength - 1) + ".";
            }
            cairo_save(cr_);
            cairo_translate(cr_, x + 3.5, Y(100) - 8);
            cairo_rotate(cr_, -1.5707963267948966);
            cairo_set_source_rgb(cr_, 0.35, 0.35, 0.35);
            Text(0, 0, label, 10, 0);
            cairo_restore(cr_);
        }
    }

    long long TimeTickMs() const {
        const long long steps[] = {10,   20,    50,    100,   200,   250,    500,    1000,  2000,
                                   5000, 10000, 20000, 30000, 60000, 120000, 300000, 600000};
        for (long long step : steps) {
            if (endMs_ / step <= 14) {
                return step;
            }
        }
        return 600000;
    }

    void DrawAxes() {
        cairo_set_line_width(cr_, 1);
        for (int percent = 0; percent <= 100; percent += 25) {
            cairo_set_source_rgb(cr_, 0.88, 0.88, 0.88);
            cairo_move_to(cr_, kLeft, Y(percent));
            cairo_line_to(cr_, kWidth - kRight, Y(percent));
            cairo_stroke(cr_);
            cairo_set_source_rgb(cr_, 0, 0, 0);
            Text(kLeft - 8, Y(percent) + 4, std::to_string(percent), 12, 1.0);
        }
        const long long tick = TimeTickMs();
        char label[32];
        for (long long ms = 0; ms <= endMs_; ms += tick) {
            cairo_set_source_rgb(cr_, 0, 0, 0);
            cairo_move_to(cr_, X(ms), Y(0));
            cairo_line_to(cr_, X(ms), Y(0) + 5);
            cairo_stroke(cr_);
            std::snprintf(label, sizeof label,
                          tick % 1000 == 0  ? "%.0f"
                          : tick % 100 == 0 ? "%.1f"
                                            : "%.2f",
                          static_cast<double>(ms) / 1000.0);
            Text(X(ms), Y(0) + 20, label, 12, 0.5);
        }
        cairo_set_source_rgb(cr_, 0, 0, 0);
        cairo_rectangle(cr_, kLeft, Y(100), kWidth - kLeft - kRight, Y(0) - Y(100));
        cairo_stroke(cr_);
        Text((kLeft + kWidth - kRight) / 2, kHeight - 14, "time (s)", 13, 0.5);
        cairo_save(cr_);
        cairo_translate(cr_, 26, (Y(0) + Y(100)) / 2);
        cairo_rotate(cr_, -1.5707963267948966);
        Text(0, 0, "motor strength (%)", 13, 0.5);
        cairo_restore(cr_);
    }

    template <typename Pick>
    void DrawMotor(Colour colour, double width, bool dashed, Pick pick) {
        const std::vector<MotorPoint>& course = input_.course;
        if (course.empty()) {
            return;
        }
        const DeviceModelProfile& model = *input_.profile;
        cairo_save(cr_);
        cairo_rectangle(cr_, kLeft, Y(100) - 2, kWidth - kLeft - kRight, Y(0) - Y(100) + 4);
        cairo_clip(cr_);
        cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
        cairo_set_line_width(cr_, width);
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
        const double dash[] = {7, 4};
        cairo_set_dash(cr_, dashed ? dash : nullptr, dashed ? 2 : 0, 0);
        double level = MotorPercent(model, pick(course.front()));
        cairo_move_to(cr_, X(course.front().timeMs), Y(level));
        for (size_t i = 1; i < course.size(); ++i) {
            cairo_line_to(cr_, X(course[i].timeMs), Y(level));
            level = MotorPercent(model, pick(course[i]));
            cairo_line_to(cr_, X(course[i].timeMs), Y(level));
        }
        cairo_line_to(cr_, X(endMs_), Y(level));
        cairo_stroke(cr_);
        cairo_restore(cr_);
    }

    void DrawLegend() {
        const double x = kWidth - kRight - 150;
        const double y = Y(100) + 12;
        cairo_set_source_rgba(cr_, 1, 1, 1, 0.9);
        cairo_rectangle(cr_, x, y, 140, 52);
        cairo_fill_preserve(cr_);
        cairo_set_source_rgb(cr_, 0.5, 0.5, 0.5);
        cairo_set_line_width(cr_, 1);
        cairo_stroke(cr_);
        const struct {
            Colour colour;
            double width;
            bool dashed;
            const char* name;
        } entries[] = {{kLeftColour, 2.5, false, "left motor"},
                       {kRightColour, 1.5, true, "right motor"}};
        const double dash[] = {7, 4};
        for (int i = 0; i < 2; ++i) {
            const double rowY = y + 18 + i * 20;
            cairo_set_source_rgb(cr_, entries[i].colour.r, entries[i].colour.g,
                                 entries[i].colour.b);
            cairo_set_line_width(cr_, entries[i].width);
            cairo_set_dash(cr_, entries[i].dashed ? dash : nullptr, entries[i].dashed ? 2 : 0, 0);
            cairo_move_to(cr_, x + 10, rowY - 4);
            cairo_line_to(cr_, x + 45, rowY - 4);
            cairo_stroke(cr_);
            cairo_set_dash(cr_, nullptr, 0, 0);
            cairo_set_source_rgb(cr_, 0, 0, 0);
            Text(x + 55, rowY, entries[i].name, 12, 0);
        }
    }

    cairo_t* cr_;
    const PlotInput& input_;
    long long endMs_;
};

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

PlotFormat PlotFormatOf(const std::string& path) {
    const std::string lower = Lower(path);
    if (EndsWith(lower, ".svg")) {
        return PlotFormat::Svg;
    }
    if (EndsWith(lower, ".png")) {
        return PlotFormat::Png;
    }
    return PlotFormat::Unknown;
}

bool WriteMotorPlot(const std::string& path, const PlotInput& input, std::string* error) {
    const PlotFormat format = PlotFormatOf(path);
    if (format == PlotFormat::Unknown) {
        *error = "the plot file must end in .svg or .png: " + path;
        return false;
    }
    cairo_surface_t* surface =
        format == PlotFormat::Svg
            ? cairo_svg_surface_create(path.c_str(), kWidth, kHeight)
            : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(kWidth),
                                         static_cast<int>(kHeight));
    cairo_t* cr = cairo_create(surface);
    Plot(cr, input).Draw();
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status == CAIRO_STATUS_SUCCESS && format == PlotFormat::Png) {
        status = cairo_surface_write_to_png(surface, path.c_str());
    }
    cairo_surface_finish(surface);
    if (status == CAIRO_STATUS_SUCCESS) {
        status = cairo_surface_status(surface);
    }
    cairo_surface_destroy(surface);
    // The font caches that text drawing filled are not needed again: give
    // them back rather than leave them to the end of the process.
    cairo_debug_reset_static_data();
    FcFini();
    if (status != CAIRO_STATUS_SUCCESS) {
        *error = "cannot write " + path + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace lab
