#include "port/toolpath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tarvel {
namespace {

constexpr double kStep = 1.0 / 20;  // mm, at 20 steps per mm

struct Xy {
    double x, y;
};

double distanceToSegment(Xy p, PathPoint a, PathPoint b) {
    const double vx = b.x - a.x, vy = b.y - a.y, len2 = vx * vx + vy * vy;
    const double t = len2 > 0 ? std::clamp(((p.x - a.x) * vx + (p.y - a.y) * vy) / len2, 0.0, 1.0) : 0;
    return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

// The line drawn: the corners kept, then the tool.
std::vector<PathPoint> drawn(const ToolPath& path) {
    std::vector<PathPoint> line = path.corners();
    line.push_back(path.current());
    return line;
}

// Every point the tool passed lies within the tolerance of the drawn line.
double worstDeviation(const std::vector<Xy>& visited, const std::vector<PathPoint>& line) {
    double worst = 0;
    for (const Xy& p : visited) {
        double best = 1e9;
        for (std::size_t i = 1; i < line.size(); ++i) best = std::min(best, distanceToSegment(p, line[i - 1], line[i]));
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
            const long wantX = std::lround(from.x + double(dx) * i / n), wantY = std::lround(from.y + double(dy) * i / n);
            if (wantX != x) visit(x = wantX, y);
            if (wantY != y) visit(x, y = wantY);
        }
    }
    return visited;
}

TEST(ToolPath, KeepsOnlyTheCornersOfStraightMoves) {
    const struct {
        const char* name;
        std::vector<Xy> corners;  // in steps, from the origin
        std::size_t expected;     // corners kept, the start included
    } cases[] = {
        {"diagonale", {{0, 0}, {1000, 1000}}, 1},
        {"pente 1/3", {{0, 0}, {900, -300}}, 1},
        {"carré", {{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}}, 4},
        {"aller-retour", {{0, 0}, {600, 0}, {200, 0}}, 2},
        {"triangle", {{0, 0}, {800, 200}, {100, 700}, {0, 0}}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolPath path;
        walk(path, c.corners);
        EXPECT_EQ(path.corners().size(), c.expected);
        const std::vector<PathPoint> line = drawn(path);
        ASSERT_EQ(line.size(), c.corners.size());
        for (std::size_t i = 0; i < line.size(); ++i) {
            EXPECT_NEAR(line[i].x, c.corners[i].x * kStep, ToolPath::kToleranceMm + 1e-6);
            EXPECT_NEAR(line[i].y, c.corners[i].y * kStep, ToolPath::kToleranceMm + 1e-6);
        }
    }
}

TEST(ToolPath, EveryVisitedPointStaysWithinTheToleranceOfACircle) {
    // A circle of 30 mm radius in 200 chords, as the generator cuts one, both ways round.
    for (double turn : {1.0, -1.0}) {
        SCOPED_TRACE(turn);
        std::vector<Xy> chords;
        for (int i = 0; i <= 200; ++i) {
            const double a = turn * 2 * std::numbers::pi * i / 200;
            chords.push_back({std::round(600 * std::cos(a)), std::round(600 * std::sin(a))});
        }
        ToolPath path;
        path.restartAt(chords[0].x * kStep, chords[0].y * kStep, true);
        const std::vector<Xy> visited = walk(path, chords, true);
        EXPECT_LT(path.corners().size(), visited.size() / 10);
        EXPECT_LE(worstDeviation(visited, drawn(path)), ToolPath::kToleranceMm + 1e-6);
    }
}

TEST(ToolPath, DropsTheOldestCornersPastItsBound) {
    ToolPath path(ToolPath::kToleranceMm, 8);
    std::vector<Xy> zigzag{{0, 0}};
    for (int i = 1; i <= 40; ++i) zigzag.push_back({i * 100.0, (i % 2) * 100.0});
    walk(path, zigzag);
    EXPECT_LE(path.corners().size(), 8u);
    EXPECT_EQ(path.committedCount(), 40u);  // the start and 39 turns
    EXPECT_NEAR(path.corners().back().x, 39 * 100 * kStep, ToolPath::kToleranceMm);
    EXPECT_FLOAT_EQ(path.current().x, 40 * 100 * kStep);
}

}  // namespace
}  // namespace tarvel
