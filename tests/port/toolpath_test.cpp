#include "port/toolpath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "port/simulatedmachine.h"

namespace tarvel {
namespace {

constexpr double kStep = 1.0 / 20;  // mm, at 20 steps per mm

struct Xy {
    double x, y;
};

// The single steps a machine makes from `from` to `to` (X and Y in steps), one axis at
// a time as the generator's staircase does.
std::vector<Xy> staircase(Xy from, Xy to) {
    std::vector<Xy> out;
    const long dx = std::lround(to.x - from.x), dy = std::lround(to.y - from.y);
    const long n = std::max(std::labs(dx), std::labs(dy));
    long x = std::lround(from.x), y = std::lround(from.y);
    for (long i = 1; i <= n; ++i) {
        const long wantX = std::lround(from.x + double(dx) * i / n);
        const long wantY = std::lround(from.y + double(dy) * i / n);
        if (wantX != x) out.push_back({double(x = wantX), double(y)});
        if (wantY != y) out.push_back({double(x), double(y = wantY)});
    }
    return out;
}

double distanceToSegment(Xy p, PathPoint a, PathPoint b) {
    const double vx = b.x - a.x, vy = b.y - a.y;
    const double len2 = vx * vx + vy * vy;
    double t = len2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

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

std::vector<Xy> walk(ToolPath& path, const std::vector<Xy>& cornersInSteps, bool inMaterial = false) {
    std::vector<Xy> visited;
    for (std::size_t i = 1; i < cornersInSteps.size(); ++i)
        for (Xy s : staircase(cornersInSteps[i - 1], cornersInSteps[i])) {
            path.moveTo(s.x * kStep, s.y * kStep, inMaterial);
            visited.push_back({s.x * kStep, s.y * kStep});
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

TEST(SwitchesReached, AnswersAsTheSwitchReadsDo) {
    SimulatedMachineSettings s;
    s.xHomeMm = -1.03;  // between two steps at 7 steps per mm: rounding decides
    s.yHomeMm = -0.5;
    s.zClearanceMm = -0.93;
    s.zHomeMm = 0.77;
    SimulatedMachine m(s);
    Wiring w;
    w.stepsPerMmX = w.stepsPerMmY = w.stepsPerMmZ = 7;
    m.useWiring(w);
    for (std::int64_t p = -12; p <= 12; ++p) {
        m.placeAt(p, p, p);
        const SwitchStates reached = switchesReached(m);
        EXPECT_EQ(reached.xHome, m.Read_Busy(kPort1Address) == 0) << p;
        EXPECT_EQ(reached.yHome, m.Read_Pe(kPort1Address) == 0) << p;
        EXPECT_EQ(reached.zClearance, m.Read_Select(kPort1Address) == 0) << p;
        EXPECT_EQ(reached.zHome, m.Read_Error(kPort1Address) == 0) << p;
    }
}

}  // namespace
}  // namespace tarvel
