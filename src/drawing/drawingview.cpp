#include "drawing/drawingview.h"

#include <cmath>

#include "common/textrules.h"
#include "drawing/drawingmessages.h"

namespace tarvel {

namespace {

enum class LengthCheck { None, Silent, Message };
enum class Marks { None, NumbersAndSelection, RedRings };
enum class OnFailure { ChooseFile, HalveZoom };

struct RedrawRule {
    LengthCheck lengthCheck;
    bool resize;
    bool clear;
    Marks marks;
    OnFailure failure;
};

constexpr RedrawRule kListClickRule{LengthCheck::Silent, true, true, Marks::NumbersAndSelection,
                                    OnFailure::HalveZoom};
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

// The common drawing of the path, with the marks of the redraw, appended to `out`.
DrawFailure drawPath(const CutObject& object, double zoom, Marks marks, int selectedRow,
                     ViewPicture& out) {
    double x = 0;
    double y = 0;
    if (DrawFailure f = readRow(object, 0, x, y); f != DrawFailure::None) return f;
    // The pen starts one unit left of the origin's offset, not five: the first segment
    // leaves from there.
    ViewPoint previous{x * zoom - 1, 100 - y * zoom};
    if (!withinView(previous)) return DrawFailure::Overflow;
    out.start = previous;

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
                out.circles.push_back({px, py, kSmallRing, ViewColour::LightMagenta});
        }
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
        view.panX = view.horizontalScroll;
        view.panY = form.verticalScroll;
        picture.resizeControls = true;
    }
    picture.controls = view.controls;
    picture.panX = view.panX;
    picture.panY = view.panY;
    picture.drawn = true;
    picture.clearFirst = rule.clear;

    const DrawFailure failure = drawPath(form.object, form.zoom, rule.marks, form.selectedRow, picture);
    if (failure == DrawFailure::None) {
        if (completed != nullptr) *completed = true;
        return picture;
    }
    switch (rule.failure) {
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
    return {decimalText(p.x), decimalText(p.y)};
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
    return redraw(form, view, dialogs, kHorizontalRule);
}

ViewPicture verticalScrolled(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, int value) {
    form.verticalScroll = value;
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
    drawPath(form.object, form.zoom, Marks::None, form.selectedRow, picture);
    return picture;
}

}  // namespace tarvel
