// The triangle's edges are smoothed by sampling each pixel 8 x 8 times; the
// exclamation mark is made of rectangles on the pixel grid.
#include "warning_sign.h"

#include <algorithm>
#include <cmath>

namespace warning_icon {
namespace {

constexpr int kSamples = 8;

struct Point {
    double x, y;
};

struct Colour {
    double red, green, blue;
};

constexpr Colour kRim = {112, 64, 0};
constexpr Colour kFill = {255, 196, 18};
constexpr Colour kMark = {0, 0, 0};

double DistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t =
        std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Negative inside the triangle, positive outside: the distance to its edge.
double SignedDistance(Point p, const Point (&corner)[3]) {
    double distance = 1e9;
    bool inside = true;
    for (int i = 0; i < 3; ++i) {
        const Point a = corner[i], b = corner[(i + 1) % 3];
        distance = std::min(distance, DistanceToSegment(p, a, b));
        // The corners run clockwise on screen (y down): inside is to the right.
        if ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x) < 0) {
            inside = false;
        }
    }
    return inside ? -distance : distance;
}

struct Geometry {
    Point corner[3];  // the triangle before its corners are rounded
    double rounding;  // radius added around it
    double rim;       // width of the dark edge
    // The exclamation mark: a bar and a dot, in whole pixels.
    int markLeft, markRight, barTop, barBottom, dotTop, dotBottom;
};

Geometry GeometryFor(int size) {
    const double s = size;
    Geometry g{};
    g.rounding = size <= 16 ? 0.5 : 1.0;
    g.rim = size <= 16 ? 1.0 : 1.6;
    const double margin = g.rounding + 0.25;
    g.corner[0] = {s / 2, margin};
    g.corner[1] = {s - margin, s - 1 - margin};
    g.corner[2] = {margin, s - 1 - margin};
    const int markWidth = std::max(2, size / 8);
    g.markLeft = (size - markWidth) / 2;
    g.markRight = g.markLeft + markWidth;
    g.barTop = size * 5 / 16 + (size > 16 ? 1 : 0);
    g.barBottom = size * 11 / 16;
    g.dotTop = g.barBottom + std::max(1, size / 16);
    g.dotBottom = g.dotTop + markWidth;
    return g;
}

}  // namespace

std::vector<Pixel> DrawWarningSign(int size) {
    const Geometry g = GeometryFor(size);
    std::vector<Pixel> image(static_cast<size_t>(size) * size);
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            int outer = 0, inner = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Point p = {column + (sx + 0.5) / kSamples, row + (sy + 0.5) / kSamples};
                    const double d = SignedDistance(p, g.corner);
                    outer += d <= g.rounding;
                    inner += d <= g.rounding - g.rim;
                }
            }
            const bool mark =
                column >= g.markLeft && column < g.markRight &&
                ((row >= g.barTop && row < g.barBottom) || (row >= g.dotTop && row < g.dotBottom));
            const double fillShare = static_cast<double>(inner) / std::max(outer, 1);
            Colour colour = {kRim.red + (kFill.red - kRim.red) * fillShare,
                             kRim.green + (kFill.green - kRim.green) * fillShare,
                             kRim.blue + (kFill.blue - kRim.blue) * fillShare};
            if (mark) {
                colour = kMark;
            }
            const double alpha = mark ? 1.0 : static_cast<double>(outer) / (kSamples * kSamples);
            // Systems that ignore alpha draw a masked pixel as screen XOR
            // colour, so a fully transparent one must be black.
            if (outer == 0 && !mark) {
                colour = {0, 0, 0};
            }
            image[static_cast<size_t>(row) * size + column] = {
                static_cast<uint8_t>(std::lround(colour.red)),
                static_cast<uint8_t>(std::lround(colour.green)),
                static_cast<uint8_t>(std::lround(colour.blue)),
                static_cast<uint8_t>(std::lround(alpha * 255))};
        }
    }
    return image;
}

}  // namespace warning_icon
