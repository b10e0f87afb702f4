// What the view of the simulated machine draws: the path its tool has travelled, seen
// from above, and which of its switches are reached.
//
// A cut sends millions of steps, each one a point; the path keeps only the corners.
// Consecutive points that stay within `toleranceMm` of one straight segment become that
// segment (a diagonal move arrives as a staircase of single steps and is kept as one
// line), and a change between "in the material" and "raised" always makes a corner, so
// the two kinds of move can be drawn in their own colours. Past `maxCorners` the oldest
// quarter of the corners is dropped: memory stays bounded on the longest job.
//
// Straightness test (a sleeve, O(1) per point): from the segment's first corner A, every
// point P farther than the tolerance allows only the directions within asin(tol / |AP|)
// of its own; the open segment goes on while the direction of the new point lies in what
// all earlier points allowed and the new point is not closer to A than an earlier one.
// Every point passed then lies within the tolerance of the segment drawn.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvel {

class SimulatedMachine;

struct PathPoint {
    float x = 0, y = 0;       // mm
    bool inMaterial = false;  // of the segment that ends at this point
};

class ToolPath {
public:
    static constexpr double kToleranceMm = 0.1;  // a fifth of a pixel at the view's usual scale
    static constexpr std::size_t kMaxCorners = 400000;

    explicit ToolPath(double toleranceMm = kToleranceMm, std::size_t maxCorners = kMaxCorners);

    // Starts a fresh path at the tool's position (at open, and "Effacer le tracé").
    void restartAt(double x, double y, bool inMaterial);
    // The tool is now at (x, y); a move of Z alone changes nothing unless the tool
    // entered or left the material.
    void moveTo(double x, double y, bool inMaterial);

    // Committed corners, oldest first; the path goes on from the last one to current().
    const std::vector<PathPoint>& corners() const { return corners_; }
    PathPoint current() const { return {static_cast<float>(lx_), static_cast<float>(ly_), inMaterial_}; }
    // Number of corners ever committed since the last restart, dropped ones included:
    // corners()[i] is corner number (committedCount() - corners().size() + i).
    std::uint64_t committedCount() const { return committed_; }
    // Changes with every restart, so that a drawing of the old path is thrown away.
    std::uint64_t generation() const { return generation_; }
    // Changes with every accepted move.
    std::uint64_t revision() const { return revision_; }

private:
    void commit(double x, double y, bool inMaterial);
    bool extends(double x, double y) const;
    void narrowTo(double x, double y);

    double tol_;
    std::size_t maxCorners_;
    std::vector<PathPoint> corners_;
    std::uint64_t committed_ = 0, generation_ = 0, revision_ = 0;
    double ax_ = 0, ay_ = 0;  // first corner of the open segment
    double lx_ = 0, ly_ = 0;  // latest point: the open segment's end
    bool inMaterial_ = false;
    bool open_ = false;        // the tool has moved since the last corner
    bool aimed_ = false;       // a point beyond the tolerance has set the sleeve
    double base_ = 0, lo_ = 0, hi_ = 0;  // allowed directions: base_ + [lo_, hi_] radians
    double farthest_ = 0;
};

// The four switches as a switch read would answer, without counting as one.
struct SwitchStates {
    bool xHome = false;       // pin 11
    bool yHome = false;       // pin 12
    bool zClearance = false;  // pin 13
    bool zHome = false;       // pin 15
};
SwitchStates switchesReached(const SimulatedMachine& machine);

}  // namespace tarvel
