#include "port/toolpath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace tarvel {
namespace {

constexpr double kStep = 1.0 / 20;  // mm, at 20 steps per mm

struct Xy {
    double x, y;
};

// The farthest any visited point lies from the line drawn: the corners kept, then the tool.
double worstDeviation(const std::vector<Xy>& visited, const ToolPath& path) {
    std::vector<PathPoint> line = path.corners();
    line.push_back(path.current());
    double worst = 0;
    for (const Xy& p : visited) {
        double best = 1e9;
        for (std::size_t i = 1; i < line.size(); ++i) {
            const PathPoint a = line[i - 1], b = line[i];
            const double vx = b.x - a.x, vy = b.y - a.y, len2 = vx * vx + vy * vy;
            const double t = len2 > 0 ? std::clamp(((p.x - a.x) * vx + (p.y - a.y) * vy) / len2, 0.0, 1.0) : 0;
            best = std::min(best, std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy)));
        }
        worst = std::max(worst, best);
    }
    return worst;
}

// Walks the tool through `corners` (in steps) one step of one axis at a time, as the
// generator's staircase does; returns every point visited, in mm.
std::vector<Xy> walk(ToolPath& path, const std::vector<Xy>& corners, bool inMaterial = false) {
    std::vector<Xy> visited;
    const auto visit = [&](long x, long y) {
        visited.push_back({x * kStep, y * kStep});
        path.moveTo(x * kStep, y * kStep, inMaterial);
    };
    for (std::size_t c = 1; c < corners.size(); ++c) {
        const Xy from = corners[c - 1], to = corners[c];
        const long dx = std::lround(to.x - from.x), dy = std::lround(to.y - from.y);
        const long n = std::max(std::labs(dx), std::labs(dy));
        long x = std::lround(from.x), y = std::lround(from.y);
        for (long i = 1; i <= n; ++i) {
            const long wantX = std::lround(from.x + double(dx) * i / n);
            const long wantY = std::lround(from.y + double(dy) * i / n);
            if (wantX != x) visit(x = wantX, y);
            if (wantY != y) visit(x, y = wantY);
        }
    }
    return visited;
}

// A circle of 30 mm radius in 200 chords, as the generator cuts one.
std::vector<Xy> circle() {
    std::vector<Xy> chords;
    for (int i = 0; i <= 200; ++i) {
        const double a = 2 * std::numbers::pi * i / 200;
        chords.push_back({std::round(600 * std::cos(a)), std::round(600 * std::sin(a))});
    }
    return chords;
}

// Straight moves keep only their corners; every point the tool passed lies within the
// tolerance of the line drawn.
TEST(ToolPath, KeepsFewCornersAndStaysWithinTheTolerance) {
    const struct {
        const char* name;
        std::vector<Xy> corners;  // in steps
        std::size_t most;         // corners kept, the start included
    } cases[] = {
        {"diagonale", {{0, 0}, {1000, 1000}}, 1},
        {"carré", {{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}}, 4},
        {"cercle", circle(), 80},  // a few dozen chords, not one a step
    };
    for (const auto& c : cases) {
        ToolPath path;
        path.restartAt(c.corners[0].x * kStep, c.corners[0].y * kStep, false);
        const std::vector<Xy> visited = walk(path, c.corners);
        EXPECT_LE(path.corners().size(), c.most) << c.name;
        EXPECT_LE(worstDeviation(visited, path), ToolPath::kToleranceMm + 1e-6) << c.name;
    }
}

}  // namespace
}  // namespace tarvel
