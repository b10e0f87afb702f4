#include "drawing/dxfconvert.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <new>
#include <numbers>
#include <unordered_map>
#include <utility>

#include "common/records.h"
#include "common/textrules.h"
#include "drawing/drawingmessages.h"

namespace tarvel {

namespace {

namespace msg = drawingmessages;
constexpr double kPi = std::numbers::pi;

// ---------------------------------------------------------------------------------------
// Reading: group-code pairs, then sections, blocks and entities

struct ReadStopped {
    Message message;
};

void countName(std::vector<EntityCount>& counts, std::string_view name) {
    for (EntityCount& c : counts) {
        if (c.name == name) {
            ++c.count;
            return;
        }
    }
    // A damaged file can hold any number of different "names": a few kinds are enough.
    if (counts.size() < 20) counts.push_back({std::string(name), 1});
}

std::optional<DxfShape> shapeOf(std::string_view name) {
    if (name == "LINE") return DxfShape::Line;
    if (name == "POLYLINE" || name == "LWPOLYLINE") return DxfShape::Polyline;
    if (name == "CIRCLE") return DxfShape::Circle;
    if (name == "ARC") return DxfShape::Arc;
    if (name == "ELLIPSE") return DxfShape::Ellipse;
    if (name == "SPLINE") return DxfShape::Spline;
    if (name == "INSERT") return DxfShape::Insert;
    return std::nullopt;
}

class DrawingReader {
public:
    DrawingReader(RecordReader& in, DxfDrawing& drawing, bool keep) : in_(in), d_(drawing), keep_(keep) {}

    void run() {
        bool entitiesSeen = false;
        while (next()) {
            if (code_ != 0) {
                group();
                continue;
            }
            endEntity();
            if (value_ == "SECTION") {
                if (next() && code_ == 2) section_ = value_;
                if (section_ == "ENTITIES") entitiesSeen = true;
            } else if (value_ == "ENDSEC") {
                if (section_ == "ENTITIES") return;
                section_.clear();
            } else if (value_ == "EOF") {
                break;
            } else if (section_ == "BLOCKS") {
                blockRecord();
            } else if (section_ == "ENTITIES") {
                entityStart(d_.entities, true);
            }
        }
        if (in_.failed()) throw ReadStopped{msg::kDxfUnreadable};
        throw ReadStopped{entitiesSeen ? msg::kDxfNoEndsec : msg::kDxfNoEntities};
    }

private:
    bool next() {
        if (!in_.readLine(line_)) return false;
        const std::int64_t lineNumber = in_.lineNumber() - 1;
        const std::string_view codeText = trimBlanks(line_);
        const auto [end, ec] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code_);
        if (ec != std::errc() || end != codeText.data() + codeText.size() || codeText.empty())
            throw ReadStopped{msg::dxfNotPairs(lineNumber, excerpt(line_))};
        if (!in_.readLine(line_)) return false;
        value_ = trimBlanks(line_);
        return true;
    }

    double number() {
        const std::optional<double> v = pointNumber(value_);
        if (!v && entity_) entity_->bad = true;
        return v.value_or(0);
    }

    // Flags, degrees and unit codes: whole numbers, far out of range ones held at a bound.
    int integer() { return static_cast<int>(std::clamp(number(), -1e9, 1e9)); }

    void blockRecord() {
        if (value_ == "BLOCK") {
            d_.blocks.emplace_back();
            inBlockHeader_ = true;
        } else if (value_ == "ENDBLK") {
            inBlockHeader_ = false;
        } else if (!d_.blocks.empty() && keep_) {
            inBlockHeader_ = false;
            entityStart(d_.blocks.back().entities, false);
        }
    }

    void entityStart(std::vector<DxfEntity>& into, bool counted) {
        if (value_ == "VERTEX" && polyline_ != nullptr) {
            polyline_->points.emplace_back();
            entity_ = polyline_;
            inVertex_ = true;
            vertexFlags_ = 0;
            return;
        }
        if (value_ == "SEQEND" && polyline_ != nullptr) {
            polyline_ = nullptr;
            return;
        }
        polyline_ = nullptr;
        entity_ = nullptr;
        if (value_ == "VERTEX" || value_ == "SEQEND") return;
        const std::optional<DxfShape> shape = shapeOf(value_);
        if (!shape) {
            if (counted) countName(d_.leftOut, excerpt(value_));
            return;
        }
        if (counted && value_ != "LINE" && value_ != "POLYLINE" && value_ != "CIRCLE")
            countName(d_.convertible, value_);
        // Counting only: one entity at a time, for the bulges of a POLYLINE.
        if (!keep_) into.clear();
        into.emplace_back();
        entity_ = &into.back();
        entity_->shape = *shape;
        entity_->name = value_;
        if (*shape == DxfShape::Line) entity_->points.resize(2);
        if (*shape == DxfShape::Circle || *shape == DxfShape::Arc || *shape == DxfShape::Ellipse ||
            *shape == DxfShape::Insert)
            entity_->points.resize(1);
        if (*shape == DxfShape::Ellipse) entity_->end = 2 * kPi;
        if (value_ == "POLYLINE") {
            polyline_ = entity_;
            countBulges_ = counted;
            bulgeCounted_ = false;
        }
    }

    // The vertex that ends: a spline frame's control point (flag 16) is no vertex.
    void endEntity() {
        if (inVertex_ && polyline_ != nullptr && (vertexFlags_ & 16) != 0) polyline_->points.pop_back();
        inVertex_ = false;
        entity_ = nullptr;
    }

    void coordinate(std::vector<DxfVertex>& points, bool isX, bool newPoint) {
        if (newPoint) points.emplace_back();
        if (points.empty()) {
            entity_->bad = true;
            return;
        }
        coordinate(points.back(), isX);
    }
    void coordinate(DxfVertex& v, bool isX) {
        (isX ? v.x : v.y) = number();
        (isX ? v.xText : v.yText) = value_;
    }

    void group() {
        if (section_ == "HEADER") {
            if (code_ == 9) unitsNext_ = value_ == "$INSUNITS";
            else if (code_ == 70 && unitsNext_)
                d_.units = static_cast<int>(std::clamp(pointNumber(value_).value_or(0), -1e9, 1e9));
            return;
        }
        if (inBlockHeader_ && !d_.blocks.empty()) {
            DxfBlock& b = d_.blocks.back();
            if (code_ == 2) b.name = value_;
            if (code_ == 10) b.baseX = pointNumber(value_).value_or(0);
            if (code_ == 20) b.baseY = pointNumber(value_).value_or(0);
            return;
        }
        if (entity_ == nullptr) return;
        DxfEntity& e = *entity_;
        if (inVertex_) {
            if (code_ == 10 || code_ == 20) coordinate(e.points, code_ == 10, false);
            if (code_ == 42 && !e.points.empty()) {
                e.points.back().bulge = number();
                if (e.points.back().bulge != 0 && countBulges_ && !bulgeCounted_) {
                    ++d_.bulgedPolylines;
                    bulgeCounted_ = true;
                }
            }
            if (code_ == 70) vertexFlags_ = integer();
            return;
        }
        if (code_ == 210) e.nx = number();
        if (code_ == 220) e.ny = number();
        if (code_ == 230) e.nz = number();
        switch (e.shape) {
            case DxfShape::Line:
                if (code_ == 10 || code_ == 20) coordinate(e.points[0], code_ == 10);
                if (code_ == 11 || code_ == 21) coordinate(e.points[1], code_ == 11);
                break;
            case DxfShape::Polyline:
                if (code_ == 70) e.closed = (integer() & 1) != 0;
                if (polyline_ == nullptr) {  // LWPOLYLINE: each 10 begins a vertex
                    if (code_ == 10 || code_ == 20) coordinate(e.points, code_ == 10, code_ == 10);
                    if (code_ == 42 && !e.points.empty()) e.points.back().bulge = number();
                }
                break;
            case DxfShape::Circle:
            case DxfShape::Arc:
            case DxfShape::Ellipse:
            case DxfShape::Insert:
                if (code_ == 10 || code_ == 20) coordinate(e.points, code_ == 10, false);
                if (e.shape == DxfShape::Ellipse) {
                    if (code_ == 11) e.majorX = number();
                    if (code_ == 21) e.majorY = number();
                    if (code_ == 40) e.ratio = number();
                    if (code_ == 41) e.start = number();
                    if (code_ == 42) e.end = number();
                } else if (e.shape == DxfShape::Insert) {
                    if (code_ == 2) e.block = value_;
                    if (code_ == 41) e.scaleX = number();
                    if (code_ == 42) e.scaleY = number();
                    if (code_ == 50) e.rotation = number();
                } else {
                    if (code_ == 40) e.radius = number();
                    if (code_ == 50) e.start = number();
                    if (code_ == 51) e.end = number();
                }
                break;
            case DxfShape::Spline:
                if (code_ == 70) e.closed = (integer() & 1) != 0;
                if (code_ == 71) e.degree = integer();
                if (code_ == 40) e.knots.push_back(number());
                if (code_ == 41) e.weights.push_back(number());
                if (code_ == 10 || code_ == 20) coordinate(e.points, code_ == 10, code_ == 10);
                if (code_ == 11 || code_ == 21) coordinate(e.fitPoints, code_ == 11, code_ == 11);
                if (code_ == 12) e.startTangentX = number(), e.tangents = true;
                if (code_ == 22) e.startTangentY = number();
                if (code_ == 13) e.endTangentX = number(), e.tangents = true;
                if (code_ == 23) e.endTangentY = number();
                break;
        }
    }

    RecordReader& in_;
    DxfDrawing& d_;
    bool keep_;
    std::string line_, value_, section_;
    int code_ = 0;
    DxfEntity* entity_ = nullptr;
    DxfEntity* polyline_ = nullptr;  // the POLYLINE whose VERTEX entities come
    bool inVertex_ = false, inBlockHeader_ = false, unitsNext_ = false;
    bool countBulges_ = false, bulgeCounted_ = false;
    int vertexFlags_ = 0;
};

// ---------------------------------------------------------------------------------------
// Geometry

struct Pt {
    double x = 0, y = 0;
    const DxfVertex* source = nullptr;  // the vertex whose DXF text may be kept
};

// x' = a x + b y + e, y' = c x + d y + f
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    Pt apply(Pt p) const { return {a * p.x + b * p.y + e, c * p.x + d * p.y + f, p.source}; }
    // This one first, then `outer`.
    Affine then(const Affine& o) const {
        return {o.a * a + o.b * c, o.a * b + o.b * d, o.c * a + o.d * c, o.c * b + o.d * d,
                o.a * e + o.b * f + o.e, o.c * e + o.d * f + o.f};
    }
    bool identity() const { return a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0; }
    // The most a length can grow: a chord's distance to its curve grows as much.
    double stretch() const {
        const double p = a * a + c * c, q = b * b + d * d, r = a * b + c * d;
        return std::sqrt((p + q) / 2 + std::sqrt((p - q) * (p - q) / 4 + r * r));
    }
};

// The DXF arbitrary-axis rule: the object coordinate system of an extrusion direction,
// seen from above (+Z). Empty for a direction of length zero.
std::optional<Affine> objectAxes(double nx, double ny, double nz) {
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0) || !std::isfinite(len)) return std::nullopt;
    nx /= len, ny /= len, nz /= len;
    if (nx == 0 && ny == 0 && nz == 1) return Affine{};
    double ax, ay, az;
    if (std::abs(nx) < 1.0 / 64 && std::abs(ny) < 1.0 / 64) ax = nz, ay = 0, az = -nx;  // (0,1,0) x N
    else ax = -ny, ay = nx, az = 0;                                                    // (0,0,1) x N
    const double al = std::sqrt(ax * ax + ay * ay + az * az);
    ax /= al, ay /= al, az /= al;
    const double bx = ny * az - nz * ay, by = nz * ax - nx * az;  // N x Ax
    return Affine{ax, bx, ay, by, 0, 0};
}

// Beyond this many chords a curve is too large for its tolerance; it stops there.
constexpr std::int64_t kMaxChords = 1 << 18;

std::int64_t arcChords(double r, double sweep, double tol) {
    if (!(r > 0) || !std::isfinite(r)) return 1;
    const double step = 2 * std::acos(std::clamp(1 - tol / r, -1.0, 1.0));
    if (!(step > 0)) return kMaxChords;
    const double n = std::ceil(std::abs(sweep) / step - 1e-9);
    if (!(n < kMaxChords)) return kMaxChords;
    return std::max<std::int64_t>(static_cast<std::int64_t>(n), 1);
}

// Points after `from` on the arc of centre (cx, cy) and radius r from angle a0 through
// `sweep` (radians, counter-clockwise when positive); the end itself is left to the caller.
void arcBetween(double cx, double cy, double r, double a0, double sweep, double tol, std::vector<Pt>& out) {
    const std::int64_t n = arcChords(r, sweep, tol);
    for (std::int64_t i = 1; i < n; ++i) {
        const double a = a0 + sweep * static_cast<double>(i) / static_cast<double>(n);
        out.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
}

// From the last point of `out` to `to` along the arc of the bulge (the tangent of a
// quarter of the included angle, positive counter-clockwise).
void bulgeTo(const Pt& to, double bulge, double tol, std::vector<Pt>& out) {
    const Pt from = out.back();
    const double dx = to.x - from.x, dy = to.y - from.y, len = std::hypot(dx, dy);
    if (bulge != 0 && len > 0 && std::isfinite(bulge)) {
        const double angle = 4 * std::atan(bulge);
        const double r = len / (2 * std::abs(std::sin(angle / 2)));
        const double toCentre = (1 - bulge * bulge) / (4 * bulge);  // in chord lengths, to the left
        const double cx = (from.x + to.x) / 2 - dy * toCentre, cy = (from.y + to.y) / 2 + dx * toCentre;
        arcBetween(cx, cy, r, std::atan2(from.y - cy, from.x - cx), angle, tol, out);
    }
    out.push_back(to);
}

double distanceToChord(const Pt& p, const Pt& a, const Pt& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0;
    const double ex = p.x - a.x - t * dx, ey = p.y - a.y - t * dy;
    return std::sqrt(ex * ex + ey * ey);
}

using Curve = std::function<Pt(double)>;

// Halves the chord from t0 to t1 until the curve lies within `tol` of it; `m` is the
// curve's point halfway, the quarter points become the halves' own.
void flattenBetween(const Curve& f, double t0, const Pt& p0, double t1, const Pt& p1, const Pt& m, double tol,
                    int depth, std::vector<Pt>& out) {
    const Pt q1 = f(t0 + (t1 - t0) / 4), q3 = f(t0 + 3 * (t1 - t0) / 4);
    const bool close = distanceToChord(q1, p0, p1) <= tol && distanceToChord(m, p0, p1) <= tol &&
                       distanceToChord(q3, p0, p1) <= tol;
    if (close || depth >= 30 || !std::isfinite(m.x + m.y) || out.size() >= kMaxChords) {
        out.push_back(p1);
        return;
    }
    flattenBetween(f, t0, p0, (t0 + t1) / 2, m, q1, tol, depth + 1, out);
    flattenBetween(f, (t0 + t1) / 2, m, t1, p1, q3, tol, depth + 1, out);
}

// The whole curve from t0 to t1, first cut at `breaks` (knots) and in `pieces` per span.
void flatten(const Curve& f, const std::vector<double>& breaks, int pieces, double tol, std::vector<Pt>& out) {
    out.push_back(f(breaks.front()));
    for (std::size_t k = 0; k + 1 < breaks.size(); ++k) {
        const double a = breaks[k], b = breaks[k + 1];
        if (!(b > a)) continue;
        for (int i = 0; i < pieces; ++i) {
            const double t0 = a + (b - a) * i / pieces, t1 = i + 1 == pieces ? b : a + (b - a) * (i + 1) / pieces;
            flattenBetween(f, t0, out.back(), t1, f(t1), f((t0 + t1) / 2), tol, 0, out);
        }
    }
}

// A NURBS curve: control points with weights, degree p, knots.
struct Nurbs {
    std::vector<Pt> points;
    std::vector<double> weights, knots;
    int p = 3;

    bool valid() const {
        const std::size_t n = points.size();
        if (p < 1 || p > 15 || n < static_cast<std::size_t>(p) + 1 || knots.size() != n + p + 1) return false;
        if (!std::is_sorted(knots.begin(), knots.end()) || !(knots[n] > knots[p])) return false;
        return std::all_of(weights.begin(), weights.end(), [](double w) { return w > 0 && std::isfinite(w); });
    }
    // de Boor's algorithm in homogeneous coordinates.
    Pt at(double t) const {
        const std::size_t up = static_cast<std::size_t>(p);
        const std::size_t k = span(t);
        double dx[16], dy[16], dw[16];
        for (std::size_t j = 0; j <= up; ++j) {
            const std::size_t i = k - up + j;
            dw[j] = weights[i];
            dx[j] = points[i].x * dw[j];
            dy[j] = points[i].y * dw[j];
        }
        for (std::size_t r = 1; r <= up; ++r) {
            for (std::size_t j = up; j >= r; --j) {
                const std::size_t i = k - up + j;
                const double span = knots[i + up + 1 - r] - knots[i];
                const double a = span > 0 ? (t - knots[i]) / span : 0;
                dx[j] = (1 - a) * dx[j - 1] + a * dx[j];
                dy[j] = (1 - a) * dy[j - 1] + a * dy[j];
                dw[j] = (1 - a) * dw[j - 1] + a * dw[j];
            }
        }
        return {dx[up] / dw[up], dy[up] / dw[up]};
    }
    // The knot span of t: knots[k] <= t < knots[k + 1], p <= k < n.
    std::size_t span(double t) const {
        const std::size_t n = points.size(), up = static_cast<std::size_t>(p);
        const auto first = knots.begin() + static_cast<std::ptrdiff_t>(up);
        const auto k = std::upper_bound(first, knots.begin() + static_cast<std::ptrdiff_t>(n), t) - knots.begin();
        return std::clamp<std::size_t>(static_cast<std::size_t>(k > 0 ? k - 1 : 0), up, n - 1);
    }
    // The p + 1 basis values that are not zero at t, those of points k - p .. k.
    void basis(std::size_t k, double t, double* values) const {
        double left[16], right[16];
        values[0] = 1;
        for (int j = 1; j <= p; ++j) {
            left[j] = t - knots[k + 1 - static_cast<std::size_t>(j)];
            right[j] = knots[k + static_cast<std::size_t>(j)] - t;
            double saved = 0;
            for (int r = 0; r < j; ++r) {
                const double denom = right[r + 1] + left[j - r];
                const double temp = denom != 0 ? values[r] / denom : 0;
                values[r] = saved + right[r + 1] * temp;
                saved = left[j - r] * temp;
            }
            values[j] = saved;
        }
    }
};

// The cubic spline through the fit points with chord-length parameters and end
// derivatives as long as the whole polygon (as CAD programs make it), its directions the
// stored end tangents or, when there are none, those of the first and last chords.
std::optional<Nurbs> throughFitPoints(const DxfEntity& e) {
    const std::vector<DxfVertex>& q = e.fitPoints;
    const std::size_t m = q.size();
    if (m < 2) return std::nullopt;
    std::vector<double> t(m, 0.0);
    for (std::size_t i = 1; i < m; ++i) t[i] = t[i - 1] + std::hypot(q[i].x - q[i - 1].x, q[i].y - q[i - 1].y);
    const double total = t.back();
    if (!(total > 0) || !std::isfinite(total)) return std::nullopt;
    for (double& v : t) v /= total;
    t.back() = 1;
    auto unit = [&](double x, double y, double fx, double fy) {
        double l = std::hypot(x, y);
        if (!(l > 0)) x = fx, y = fy, l = std::hypot(x, y);
        return Pt{x / l * total, y / l * total};
    };
    const bool given = e.tangents;
    const Pt d0 = unit(given ? e.startTangentX : 0, given ? e.startTangentY : 0, q[1].x - q[0].x, q[1].y - q[0].y);
    const Pt d1 = unit(given ? e.endTangentX : 0, given ? e.endTangentY : 0, q[m - 1].x - q[m - 2].x,
                       q[m - 1].y - q[m - 2].y);
    Nurbs s;
    s.knots.assign(4, 0.0);
    s.knots.insert(s.knots.end(), t.begin() + 1, t.end() - 1);
    s.knots.insert(s.knots.end(), 4, 1.0);
    s.weights.assign(m + 2, 1.0);
    s.points.resize(m + 2);
    s.points[0] = {q[0].x, q[0].y};
    s.points[1] = {q[0].x + d0.x * t[1] / 3, q[0].y + d0.y * t[1] / 3};
    s.points[m + 1] = {q[m - 1].x, q[m - 1].y};
    s.points[m] = {q[m - 1].x - d1.x * (1 - t[m - 2]) / 3, q[m - 1].y - d1.y * (1 - t[m - 2]) / 3};
    // Control points 2 .. m-1 from the inner fit points: each row has at most three
    // nonzero basis values, solved as a band without pivoting (the basis matrix is
    // totally positive).
    const std::size_t unknowns = m >= 2 ? m - 2 : 0;
    std::vector<std::array<double, 4>> band(unknowns);  // columns row-1 .. row+2 of P2..
    std::vector<Pt> rhs(unknowns);
    for (std::size_t r = 0; r < unknowns; ++r) {
        const std::size_t k = s.span(t[r + 1]);
        double basis[4];
        s.basis(k, t[r + 1], basis);
        Pt b{q[r + 1].x, q[r + 1].y};
        // Known neighbours (P1 or P_m) move to the right-hand side.
        band[r] = {0, 0, 0, 0};
        for (std::size_t j = 0; j < 4; ++j) {
            const std::size_t col = k - 3 + j;  // index in s.points
            if (basis[j] == 0) continue;
            if (col < 2 || col > m - 1) {
                b.x -= basis[j] * s.points[col].x;
                b.y -= basis[j] * s.points[col].y;
            } else if (col + 1 >= r + 2 && col <= r + 3) {
                band[r][col - r - 1] = basis[j];
            } else {
                return std::nullopt;  // coincident fit points
            }
        }
        rhs[r] = b;
    }
    // band[r][k] is the coefficient of unknown r - 1 + k.
    for (std::size_t r = 0; r < unknowns; ++r) {
        const double pivot = band[r][1];
        if (!(std::abs(pivot) > 1e-300)) return std::nullopt;
        if (r + 1 < unknowns) {
            const double f = band[r + 1][0] / pivot;
            band[r + 1][0] = 0;
            band[r + 1][1] -= f * band[r][2];
            band[r + 1][2] -= f * band[r][3];
            rhs[r + 1].x -= f * rhs[r].x;
            rhs[r + 1].y -= f * rhs[r].y;
        }
    }
    for (std::size_t r = unknowns; r-- > 0;) {
        Pt v = rhs[r];
        if (r + 1 < unknowns) v.x -= band[r][2] * s.points[r + 3].x, v.y -= band[r][2] * s.points[r + 3].y;
        s.points[r + 2] = {v.x / band[r][1], v.y / band[r][1]};
    }
    return s;
}

// ---------------------------------------------------------------------------------------
// Building the rows

struct RowLimitReached {};
struct TooManyVisits {};

constexpr std::int64_t kMaxVisits = 10'000'000;

class Converter {
public:
    Converter(const DxfDrawing& d, double tol, const AngleTables& tables, CutObject& object, std::size_t maxRows)
        : d_(d), tol_(tol), tables_(tables), object_(object), maxRows_(maxRows) {
        // The first block of a name is the one placed.
        for (const DxfBlock& b : d_.blocks) blocks_.emplace(b.name, &b);
    }

    void run() {
        const double scale = d_.unitScale();
        for (const DxfEntity& e : d_.entities) entity(e, Affine{scale, 0, 0, scale, 0, 0}, 0);
    }

    std::int64_t counter = 1;
    std::vector<EntityCount> leftOut;

private:
    void entity(const DxfEntity& e, const Affine& place, int depth) {
        if (++visits_ > kMaxVisits) throw TooManyVisits{};
        pts_.clear();
        const std::optional<Affine> axes = e.shape == DxfShape::Line || e.shape == DxfShape::Spline ||
                                                   e.shape == DxfShape::Ellipse
                                               ? std::optional<Affine>(Affine{})
                                               : objectAxes(e.nx, e.ny, e.nz);
        bool drawn = !e.bad && axes.has_value();
        if (drawn) {
            const Affine m = axes->then(place);
            if (e.shape == DxfShape::Insert) {
                if (!insert(e, m, depth)) countName(leftOut, e.name);
                return;
            }
            const double stretch = m.stretch();
            const double tol = stretch > 0 ? tol_ / stretch : tol_;
            drawn = shape(e, tol) && !pts_.empty();
            if (drawn) {
                const bool keepText = m.identity();
                for (Pt& p : pts_) {
                    if (!keepText) p = m.apply(p), p.source = nullptr;
                    if (!std::isfinite(p.x) || !std::isfinite(p.y)) drawn = false;
                }
            }
        }
        if (drawn) cut();
        else countName(leftOut, e.name);
    }

    bool insert(const DxfEntity& e, const Affine& m, int depth) {
        if (depth >= kMaxBlockDepth) return false;
        const auto found = blocks_.find(e.block);
        if (found == blocks_.end()) return false;
        const DxfBlock* block = found->second;
        const double r = e.rotation * kPi / 180, c = std::cos(r), s = std::sin(r);
        const double ix = e.points[0].x, iy = e.points[0].y;
        const Affine local{c * e.scaleX, -s * e.scaleY, s * e.scaleX, c * e.scaleY,
                           ix - (c * e.scaleX * block->baseX - s * e.scaleY * block->baseY),
                           iy - (s * e.scaleX * block->baseX + c * e.scaleY * block->baseY)};
        const Affine placed = local.then(m);
        for (const DxfEntity& inner : block->entities) entity(inner, placed, depth + 1);
        return true;
    }

    // The entity's points in its own coordinates.
    bool shape(const DxfEntity& e, double tol) {
        switch (e.shape) {
            case DxfShape::Line:
                pts_ = {{e.points[0].x, e.points[0].y, &e.points[0]}, {e.points[1].x, e.points[1].y, &e.points[1]}};
                return true;
            case DxfShape::Polyline: {
                if (e.points.empty()) return false;
                const std::size_t n = e.points.size();
                pts_.push_back({e.points[0].x, e.points[0].y, &e.points[0]});
                for (std::size_t i = 1; i < n + (e.closed ? 1 : 0); ++i) {
                    const DxfVertex& v = e.points[i % n];
                    bulgeTo({v.x, v.y, &v}, e.points[i - 1].bulge, tol, pts_);
                }
                if (e.closed) pts_.back() = pts_.front();
                return true;
            }
            case DxfShape::Circle: {
                const double cx = e.points[0].x, cy = e.points[0].y, r = e.radius;
                pts_.push_back({cx + r, cy});
                for (std::size_t i = 5; i <= AngleTables::kLastUsed; i += 5)
                    pts_.push_back({cx + r * tables_.cosine[i], cy + r * tables_.sine[i]});
                pts_.push_back(pts_.back());
                return true;
            }
            case DxfShape::Arc: {
                const double cx = e.points[0].x, cy = e.points[0].y, r = e.radius;
                const double a0 = e.start * kPi / 180;
                double sweep = std::fmod(e.end - e.start, 360.0);
                if (!(sweep > 0)) sweep += 360;
                sweep *= kPi / 180;
                pts_.push_back({cx + r * std::cos(a0), cy + r * std::sin(a0)});
                arcBetween(cx, cy, r, a0, sweep, tol, pts_);
                pts_.push_back({cx + r * std::cos(a0 + sweep), cy + r * std::sin(a0 + sweep)});
                return true;
            }
            case DxfShape::Ellipse: return ellipse(e, tol);
            case DxfShape::Spline: return spline(e, tol);
            case DxfShape::Insert: return false;
        }
        return false;
    }

    bool ellipse(const DxfEntity& e, double tol) {
        const std::optional<Affine> axes = objectAxes(e.nx, e.ny, e.nz);
        if (!axes || !(e.ratio > 0)) return false;
        // The minor axis is the extrusion direction crossed with the major one.
        const double len = std::sqrt(e.nx * e.nx + e.ny * e.ny + e.nz * e.nz);
        const double nz = e.nz / len;
        const double mx = -nz * e.majorY * e.ratio, my = nz * e.majorX * e.ratio;
        const double cx = e.points[0].x, cy = e.points[0].y;
        double t0 = e.start, t1 = e.end;
        if (!std::isfinite(t0) || !std::isfinite(t1)) return false;
        t0 = std::fmod(t0, 2 * kPi), t1 = std::fmod(t1, 2 * kPi);
        if (t1 <= t0 + 1e-12) t1 += 2 * kPi;
        const bool whole = std::abs(t1 - t0 - 2 * kPi) < 1e-9;
        const Curve f = [&](double t) {
            return Pt{cx + e.majorX * std::cos(t) + mx * std::sin(t), cy + e.majorY * std::cos(t) + my * std::sin(t)};
        };
        std::vector<double> breaks;
        for (int i = 0; i <= 8; ++i) breaks.push_back(t0 + (t1 - t0) * i / 8);
        flatten(f, breaks, 1, tol, pts_);
        if (whole) pts_.back() = pts_.front();
        return true;
    }

    bool spline(const DxfEntity& e, double tol) {
        Nurbs s;
        if (!e.points.empty()) {
            for (const DxfVertex& v : e.points) s.points.push_back({v.x, v.y});
            s.weights = e.weights.empty() ? std::vector<double>(e.points.size(), 1.0) : e.weights;
            s.knots = e.knots;
            s.p = e.degree;
            if (s.weights.size() != s.points.size()) return false;
        } else {
            std::optional<Nurbs> fitted = throughFitPoints(e);
            if (!fitted) return false;
            s = std::move(*fitted);
        }
        if (!s.valid()) return false;
        const std::size_t n = s.points.size();
        std::vector<double> breaks(s.knots.begin() + s.p, s.knots.begin() + static_cast<std::ptrdiff_t>(n) + 1);
        flatten([&](double t) { return s.at(t); }, breaks, 4, tol, pts_);
        if (e.closed) {
            if (distanceToChord(pts_.back(), pts_.front(), pts_.front()) <= tol) pts_.back() = pts_.front();
            else pts_.push_back(pts_.front());
        }
        return true;
    }

    // One cut: the rows of an imported POLYLINE.
    void cut() {
        append(pts_.front(), "0", "D", ".");
        append(pts_.front(), "1", "0", integerText(counter));
        ++counter;
        for (std::size_t i = 1; i < pts_.size(); ++i) append(pts_[i], "1", "0", ".");
        append(pts_.back(), "0", "F", ".");
    }
    void append(const Pt& p, std::string_view z, std::string_view marker, std::string_view cutNumber) {
        if (object_.rows() >= maxRows_) throw RowLimitReached{};
        // A cut's first and last points come twice: their texts are made once.
        if (p.x != last_.x || p.y != last_.y || p.source != last_.source || !haveLast_) {
            xText_ = p.source != nullptr ? numberText(p.source->xText) : decimalText(p.x);
            yText_ = p.source != nullptr ? numberText(p.source->yText) : decimalText(p.y);
            last_ = p;
            haveLast_ = true;
        }
        object_.appendRow(xText_, yText_, z, marker, cutNumber, ".");
    }

    const DxfDrawing& d_;
    double tol_;
    const AngleTables& tables_;
    CutObject& object_;
    std::size_t maxRows_;
    std::vector<Pt> pts_;
    Pt last_;
    bool haveLast_ = false;
    std::string xText_, yText_;
    std::int64_t visits_ = 0;
    std::unordered_map<std::string_view, const DxfBlock*> blocks_;
};

std::string countList(const std::vector<EntityCount>& counts, std::string_view lastJoin) {
    std::string list;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (i > 0) list += i + 1 == counts.size() ? lastJoin : ", ";
        list += integerText(counts[i].count) + " " + counts[i].name;
    }
    return list;
}

}  // namespace

double DxfDrawing::unitScale() const {
    switch (units) {
        case 1: return 25.4;
        case 5: return 10;
        case 6: return 1000;
        default: return 1;
    }
}

std::optional<Message> readDxfDrawing(const std::string& path, DxfDrawing& drawing, bool entities) {
    RecordReader in(path);
    if (!in.isOpen()) return msg::kDxfUnreadable;
    try {
        DrawingReader(in, drawing, entities).run();
        if (!entities) drawing.entities.clear();
    } catch (const ReadStopped& stop) {
        return stop.message;
    }
    return std::nullopt;
}

Message conversionQuestion(const DxfDrawing& drawing, double tolerance) {
    const char* units = drawing.units == 1 ? "pouces" : drawing.units == 5 ? "centimètres"
                                                    : drawing.units == 6 ? "mètres"
                                                                         : "";
    return msg::conversionQuestion(countList(drawing.convertible, " et "),
                                   drawing.bulgedPolylines > 0 ? msg::bulgedPolylines(drawing.bulgedPolylines) : "",
                                   units, decimalText(tolerance));
}

ImportResult convertDxfDrawing(const DxfDrawing& drawing, double tolerance, const AngleTables& tables,
                               CutObject& object, std::size_t maxRows) {
    if (!tables.usable())
        return {ImportStatus::Refused,
                tables.fault ? *tables.fault : msg::angleTableFault("sin1.txt", msg::kAngleTableMissing)};
    // Built aside: refused, the drawing shown stays.
    RowLoad load(object, std::numeric_limits<std::uintmax_t>::max(), maxRows);
    Converter converter(drawing, tolerance, tables, load.rows(), maxRows);
    try {
        converter.run();
    } catch (const RowLimitReached&) {
        return {ImportStatus::Refused, msg::tooManyRows(maxRows)};
    } catch (const TooManyVisits&) {
        return {ImportStatus::Refused, msg::kBlocksTooMany};
    } catch (const std::bad_alloc&) {
        return {ImportStatus::Refused, msg::kDxfTooBig};
    }
    load.finish();
    object.cutCount = integerText(converter.counter - 1);
    ImportResult result;
    std::vector<EntityCount> left = drawing.leftOut;
    for (const EntityCount& c : converter.leftOut) {
        for (std::int64_t i = 0; i < c.count; ++i) countName(left, c.name);
    }
    if (!left.empty()) result.message = msg::notConvertedEntities(countList(left, ", "));
    return result;
}

std::optional<double> toleranceFromText(const std::string& text) {
    std::string pointed = text;
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    const std::optional<double> v = pointNumber(pointed);
    if (!v || !(*v > 0)) return std::nullopt;
    return v;
}

}  // namespace tarvel
