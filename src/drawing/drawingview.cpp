#include "drawing/drawingview.h"

#include <algorithm>
#include <cmath>

#include "common/textrules.h"
#include "drawing/drawingmessages.h"

namespace tarvel {

namespace {

enum class LengthCheck { None, Silent, Message };
enum class Marks { None, NumbersAndSelection, RedRings };
enum class OnFailure { ChooseFile, HalveZoom, Silent };

struct RedrawRule {
    LengthCheck lengthCheck;
    bool resize;
    bool clear;
    Marks marks;
    OnFailure failure;
    bool entries = false;  // the entry points' order numbers
};

constexpr RedrawRule kListClickRule{LengthCheck::Silent, true, true, Marks::NumbersAndSelection,
                                    OnFailure::HalveZoom, true};
// "Ajuster", the wheel, a drag, a resized picture area.
constexpr RedrawRule kCompleteRule{LengthCheck::Silent, true, true, Marks::NumbersAndSelection,
                                   OnFailure::Silent, true};
constexpr RedrawRule kZoomRule{LengthCheck::Message, true, true, Marks::None, OnFailure::ChooseFile};
constexpr RedrawRule kHorizontalRule{LengthCheck::Message, true, true, Marks::None,
                                     OnFailure::ChooseFile};
constexpr RedrawRule kVerticalRule{LengthCheck::Message, true, true, Marks::RedRings,
                                   OnFailure::ChooseFile};
constexpr RedrawRule kEnlargeRule{LengthCheck::None, false, false, Marks::RedRings,
                                  OnFailure::ChooseFile};
constexpr RedrawRule kShrinkRule{LengthCheck::None, false, true, Marks::RedRings,
                                 OnFailure::ChooseFile};

constexpr float kSmallRing = 0.5f;
constexpr float kLargeRing = 1.0f;

enum class DrawFailure {
    None,
    Unreadable,  // no first row, a missing cell, or a coordinate that is not a number
    Overflow,    // a point beyond kViewCoordinateLimit
};

bool withinView(const ViewPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) <= kViewCoordinateLimit &&
           std::fabs(p.y) <= kViewCoordinateLimit;
}

// Row i's X and Y as coordinates; Unreadable when a cell is missing or not a number.
DrawFailure readRow(const CutObject& object, std::size_t i, double& x, double& y) {
    if (i >= object.x.size() || i >= object.y.size()) return DrawFailure::Unreadable;
    std::optional<double> xv = coordinateNumber(object.x[i]);
    std::optional<double> yv = coordinateNumber(object.y[i]);
    if (!xv || !yv) return DrawFailure::Unreadable;
    x = *xv;
    y = *yv;
    return DrawFailure::None;
}

void addEntry(const CutObject& object, std::size_t i, const ViewPoint& p, ViewPicture& out) {
    if (i < object.entryMark.size() && object.entryMark[i] != "." && !object.entryMark[i].empty())
        out.entries.push_back({static_cast<float>(p.x), static_cast<float>(p.y), std::string(object.entryMark[i])});
}

// The common drawing of the path, with the marks of the redraw, appended to `out`.
DrawFailure drawPath(const CutObject& object, double zoom, Marks marks, bool entries, int selectedRow,
                     ViewPicture& out) {
    double x = 0;
    double y = 0;
    if (DrawFailure f = readRow(object, 0, x, y); f != DrawFailure::None) return f;
    ViewPoint previous = toView(x, y, zoom);
    if (!withinView(previous)) return DrawFailure::Overflow;
    out.start = previous;
    if (entries) addEntry(object, 0, previous, out);

    const std::size_t n = object.rows();
    out.segments.reserve(n > 0 ? n - 1 : 0);
    for (std::size_t i = 1; i < n; ++i) {
        if (DrawFailure f = readRow(object, i, x, y); f != DrawFailure::None) return f;
        if (i >= object.z.size()) return DrawFailure::Unreadable;
        const ViewPoint p = toView(x, y, zoom);
        if (!withinView(p)) return DrawFailure::Overflow;
        const ViewColour colour =
            object.z[i] == "0" ? ViewColour::LightRed : ViewColour::Foreground;
        out.segments.push_back({static_cast<float>(previous.x), static_cast<float>(previous.y),
                                static_cast<float>(p.x), static_cast<float>(p.y), colour});
        const auto px = static_cast<float>(p.x);
        const auto py = static_cast<float>(p.y);
        if (marks != Marks::None) {
            if (i >= object.cutNumber.size()) return DrawFailure::Unreadable;
            if (object.cutNumber[i] != ".") {
                if (marks == Marks::NumbersAndSelection) {
                    out.labels.push_back({px, py, std::string(object.cutNumber[i])});
                    out.circles.push_back({px, py, kSmallRing, ViewColour::LightGreen});
                } else {
                    out.circles.push_back({px, py, kLargeRing, ViewColour::LightRed});
                }
            }
            if (marks == Marks::NumbersAndSelection && selectedRow >= 0 &&
                static_cast<std::size_t>(selectedRow) == i)
                out.selected = p;
        }
        if (entries) addEntry(object, i, p, out);
        previous = p;
    }
    return DrawFailure::None;
}

bool lengthsAgree(const CutObject& object) { return object.x.size() == object.y.size(); }

// One redraw by its rule. False in `completed` when it stopped at a check or a failure.
ViewPicture redraw(DrawingForm& form, DrawingView& view, UserDialogs& dialogs,
                   const RedrawRule& rule, bool* completed = nullptr) {
    if (completed != nullptr) *completed = false;
    ViewPicture picture;
    if (rule.lengthCheck != LengthCheck::None && !lengthsAgree(form.object)) {
        if (rule.lengthCheck == LengthCheck::Message) dialogs.tell(drawingmessages::kViewListLengths);
        return picture;
    }
    if (rule.resize) {
        // Sizes brought to zero or below by "Réduire la fenetre" fail here, before the
        // controls are touched.
        if (!view.sizes.usable()) {
            dialogs.tell(drawingmessages::kChooseFile);
            return picture;
        }
        view.controls = view.sizes;
        view.panX = view.horizontalScroll + view.fineX;
        view.panY = form.verticalScroll + view.fineY;
        picture.resizeControls = true;
    }
    picture.controls = view.controls;
    picture.panX = view.panX;
    picture.panY = view.panY;
    picture.drawn = true;
    picture.clearFirst = rule.clear;

    const DrawFailure failure =
        drawPath(form.object, form.zoom, rule.marks, rule.entries, form.selectedRow, picture);
    if (failure == DrawFailure::None) {
        if (completed != nullptr) *completed = true;
        return picture;
    }
    switch (rule.failure) {
        case OnFailure::Silent:
            break;
        case OnFailure::ChooseFile:
            dialogs.tell(drawingmessages::kChooseFile);
            break;
        case OnFailure::HalveZoom:
            // A smaller zoom cures an overflow; a coordinate that is not a number is the
            // object's fault, and halving the zoom would not help.
            if (failure == DrawFailure::Overflow) {
                dialogs.tell(drawingmessages::kZoomOverflow);
                form.zoom /= 2;
            } else {
                dialogs.tell(drawingmessages::kChooseFile);
            }
            break;
    }
    return picture;
}

ViewPicture changeZoom(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, double factor) {
    if (!lengthsAgree(form.object)) {
        dialogs.tell(drawingmessages::kViewListLengths);
        return {};
    }
    form.zoom *= factor;
    return redraw(form, view, dialogs, kZoomRule);
}

// The smallest rectangle holding every readable row's point, in mm.
struct Extent {
    bool any = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    // The farthest coordinate from the origin.
    double far() const { return std::max({std::fabs(minX), std::fabs(maxX), std::fabs(minY), std::fabs(maxY)}); }
};

Extent extentOf(const CutObject& object) {
    Extent e;
    for (std::size_t i = 0; i < object.rows(); ++i) {
        double x = 0;
        double y = 0;
        if (readRow(object, i, x, y) != DrawFailure::None) continue;
        if (!e.any) {
            e = {true, x, x, y, y};
            continue;
        }
        e.minX = std::min(e.minX, x);
        e.maxX = std::max(e.maxX, x);
        e.minY = std::min(e.minY, y);
        e.maxY = std::max(e.maxY, y);
    }
    return e;
}

// Whether the drawing and a pan stay clear of kViewCoordinateLimit at `zoom`, with room
// for the offsets of the mapping and the picture's own size.
bool zoomUsable(const Extent& e, double zoom, double panX, double panY) {
    constexpr double kRoom = kViewCoordinateLimit / 4;
    return std::isfinite(zoom) && zoom > 0 && e.far() * zoom <= kRoom && std::fabs(panX) <= kRoom &&
           std::fabs(panY) <= kRoom;
}

// The pan goes to the scroll bars in whole units, the rest to the fine pan.
void setPan(DrawingForm& form, DrawingView& view, double panX, double panY) {
    view.horizontalScroll = static_cast<int>(std::lround(panX));
    form.verticalScroll = static_cast<int>(std::lround(panY));
    view.fineX = panX - view.horizontalScroll;
    view.fineY = panY - form.verticalScroll;
}

double shownWidth(const DrawingView& view) {
    return view.shownWidth > 0 ? view.shownWidth : view.sizes.viewWidth;
}
double shownHeight(const DrawingView& view) {
    return view.shownHeight > 0 ? view.shownHeight : view.sizes.viewHeight;
}

void resizeBy(ViewSizes& sizes, int step) {
    sizes.viewWidth += step;
    sizes.viewHeight += step;
    sizes.hScrollWidth += step;
    sizes.vScrollHeight += step;
}

}  // namespace

ViewPoint toView(double x, double y, double zoom) { return {x * zoom + 5, 100 - y * zoom}; }

ViewPoint toObject(ViewPoint view, double zoom) { return {(view.x - 5) / zoom, (100 - view.y) / zoom}; }

MouseTexts mouseTexts(ViewPoint view, double zoom) {
    const ViewPoint p = toObject(view, zoom);
    return {millimetreText(p.x), millimetreText(p.y)};
}

ViewPicture listClicked(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, int row) {
    form.selectedRow = row;
    view.redrawPending = 0;
    return listClickRedraw(form, view, dialogs);
}

ViewPicture listClickRedraw(DrawingForm& form, DrawingView& view, UserDialogs& dialogs) {
    if (view.redrawPending != 0) return {};
    bool completed = false;
    ViewPicture picture = redraw(form, view, dialogs, kListClickRule, &completed);
    if (completed) ++view.redrawPending;
    return picture;
}

ViewPicture zoomIn(DrawingForm& form, DrawingView& view, UserDialogs& dialogs) {
    return changeZoom(form, view, dialogs, kZoomStep);
}

ViewPicture zoomOut(DrawingForm& form, DrawingView& view, UserDialogs& dialogs) {
    return changeZoom(form, view, dialogs, 1 / kZoomStep);
}

ViewPicture horizontalScrolled(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, int value) {
    view.horizontalScroll = value;
    view.fineX = 0;
    return redraw(form, view, dialogs, kHorizontalRule);
}

ViewPicture verticalScrolled(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, int value) {
    form.verticalScroll = value;
    view.fineY = 0;
    return redraw(form, view, dialogs, kVerticalRule);
}

ViewPicture enlargeView(DrawingForm& form, DrawingView& view, UserDialogs& dialogs) {
    resizeBy(view.sizes, kSizeStep);
    return redraw(form, view, dialogs, kEnlargeRule);
}

ViewPicture shrinkView(DrawingForm& form, DrawingView& view, UserDialogs& dialogs) {
    resizeBy(view.sizes, -kSizeStep);
    return redraw(form, view, dialogs, kShrinkRule);
}

// Drawn over the picture as it stands, with whatever part of the path could be drawn.
ViewPicture entryPointRedraw(const DrawingForm& form, const DrawingView& view) {
    ViewPicture picture;
    picture.drawn = true;
    picture.controls = view.controls;
    picture.panX = view.panX;
    picture.panY = view.panY;
    drawPath(form.object, form.zoom, Marks::None, true, form.selectedRow, picture);
    return picture;
}

ViewPicture fitView(DrawingForm& form, DrawingView& view, UserDialogs& dialogs) {
    const Extent e = extentOf(form.object);
    if (!e.any) return {};
    const double width = shownWidth(view);
    const double height = shownHeight(view);
    const double roomX = width - 2 * std::max(kFitMargin, width * kFitMarginShare);
    const double roomY = height - 2 * std::max(kFitMargin, height * kFitMarginShare);
    if (roomX <= 0 || roomY <= 0) return {};
    // A single point, or a drawing along one axis, keeps the zoom the other axis allows.
    const double spanX = e.maxX - e.minX;
    const double spanY = e.maxY - e.minY;
    double zoom = form.zoom;
    if (spanX > 0 || spanY > 0)
        zoom = std::min(spanX > 0 ? roomX / spanX : roomY / spanY, spanY > 0 ? roomY / spanY : roomX / spanX);
    const ViewPoint centre = toView((e.minX + e.maxX) / 2, (e.minY + e.maxY) / 2, zoom);
    const double panX = centre.x - width / 2;
    const double panY = centre.y - height / 2;
    if (!zoomUsable(e, zoom, panX, panY)) return {};
    form.zoom = zoom;
    setPan(form, view, panX, panY);
    return redraw(form, view, dialogs, kCompleteRule);
}

ViewPicture zoomAbout(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, ViewPoint at,
                      double factor) {
    if (!lengthsAgree(form.object)) return {};
    const Extent e = extentOf(form.object);
    if (!e.any) return {};
    const double zoom = form.zoom * factor;
    const ViewPoint underPointer = toObject(at, form.zoom);
    const ViewPoint moved = toView(underPointer.x, underPointer.y, zoom);
    const double panX = moved.x - (at.x - view.panX);
    const double panY = moved.y - (at.y - view.panY);
    if (!zoomUsable(e, zoom, panX, panY)) return {};
    form.zoom = zoom;
    setPan(form, view, panX, panY);
    return redraw(form, view, dialogs, kCompleteRule);
}

ViewPicture panBy(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, double dx, double dy) {
    const Extent e = extentOf(form.object);
    if (!e.any) return {};
    const double panX = view.panX - dx;
    const double panY = view.panY - dy;
    if (!zoomUsable(e, form.zoom, panX, panY)) return {};
    setPan(form, view, panX, panY);
    return redraw(form, view, dialogs, kCompleteRule);
}

ViewPicture pictureResized(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, double width,
                           double height) {
    view.shownWidth = width;
    view.shownHeight = height;
    return redraw(form, view, dialogs, kCompleteRule);
}

ViewPicture redrawAll(DrawingForm& form, DrawingView& view, UserDialogs& dialogs) {
    return redraw(form, view, dialogs, kCompleteRule);
}

std::optional<std::size_t> rowNear(const DrawingForm& form, ViewPoint at, double radius) {
    std::optional<std::size_t> nearest;
    double best = radius * radius;
    for (std::size_t i = 0; i < form.object.rows(); ++i) {
        double x = 0;
        double y = 0;
        if (readRow(form.object, i, x, y) != DrawFailure::None) continue;
        const ViewPoint p = toView(x, y, form.zoom);
        const double d = (p.x - at.x) * (p.x - at.x) + (p.y - at.y) * (p.y - at.y);
        // Among points on one spot (a closed contour's ends), the first row.
        if (d <= best && (!nearest || d < best)) {
            best = d;
            nearest = i;
        }
    }
    return nearest;
}

}  // namespace tarvel
