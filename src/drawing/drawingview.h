// The drawing window's picture of the object: where each row lands, and what every
// redraw draws, as plain data that the window only paints.
//
// View units: the picture area's own coordinates, growing rightwards and downwards.
// An object point (X, Y in mm, read by coordinateNumber) lands at
//
//     view x = X * zoom + 5          and back, for the mouse:  X = (view x - 5) / zoom
//     view y = 100 - Y * zoom                                  Y = (100 - view y) / zoom
//
// The picture area shows the view rectangle [panX, panX + width] x [panY, panY + height];
// panX and panY are the two scroll bars' values, taken when a redraw resizes the controls.
//
// Every command that redraws goes through one table (what it checks, whether it resizes
// the controls and clears first, which marks it puts on the rows that carry a cut
// number, and what it says when the drawing fails):
//
//   trigger            length check   resize  clear   marks                  failure
//   list click         silent stop    yes     yes     number, green r 0.5;   overflow: message,
//                                                     entry numbers; the       zoom halved
//                                                     selected point ringed
//   Zoom + / Zoom -    message        yes     yes     none                   "Choisir un fichier!"
//   horizontal scroll  message        yes     yes     none                   "Choisir un fichier!"
//   vertical scroll    message        yes     yes     red r 1                "Choisir un fichier!"
//   Agrandir           no             no      no      red r 1                "Choisir un fichier!"
//   Réduire            no             no      yes     red r 1                "Choisir un fichier!"
//   entry point        no             no      no      entry numbers only     silent
//
// Beyond those, the picture follows the pointer and the window: "Ajuster", the wheel, a
// drag and a resized picture area redraw completely (numbers, selection, entry points),
// silently, since they happen on their own and an empty object has nothing to show.
// Every complete picture also writes the entry points' order numbers at their rows.
//
// A redraw returns a ViewPicture: the primitives in view units, computed once into flat
// vectors, so that an object of 100 000 rows costs one pass here and one paint into the
// window's cached picture; scrolling the lists or moving the mouse repaints from the cache.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/userdialogs.h"
#include "drawing/drawingwindow.h"

namespace tarvel {

// The four sizes of the picture area and its scroll bars, in view units.
struct ViewSizes {
    int viewWidth = 135;
    int viewHeight = 82;
    int hScrollWidth = 135;
    int vScrollHeight = 78;

    bool operator==(const ViewSizes&) const = default;
    // A size at zero or below cannot be given to a control.
    bool usable() const { return viewWidth > 0 && viewHeight > 0 && hScrollWidth > 0 && vScrollHeight > 0; }
};

// Range of the scroll bars, in view units.
inline constexpr int kHScrollMin = -500;
inline constexpr int kHScrollMax = 1000;
inline constexpr int kVScrollMin = -500;
inline constexpr int kVScrollMax = 500;
// "Agrandir la fenetre " and "Réduire la fenetre" change every size by this much.
inline constexpr int kSizeStep = 5;
// "Zoom +" multiplies the zoom by this, "Zoom -" divides by it.
inline constexpr double kZoomStep = 1.3;
// Farthest a point may land from the view's origin. The window paints at a few pixels
// per view unit into a raster whose line coordinates are fixed-point with 26 bits of
// integer part; beyond this a drawn line would wrap around, so the drawing overflows.
inline constexpr double kViewCoordinateLimit = 1'000'000;

// The view's working values, for as long as the drawing window is open. The zoom and
// the vertical scroll bar live in DrawingForm, which every load resets.
struct DrawingView {
    ViewSizes sizes;            // the view fields, changed by "Agrandir" / "Réduire"
    ViewSizes controls;         // the sizes the controls were last given
    int horizontalScroll = 0;   // the horizontal scroll bar, kHScrollMin..kHScrollMax
    double panX = 0;            // view x at the picture area's left edge
    double panY = 0;            // view y at its top edge
    int redrawPending = 0;      // 0 after a list click; the list-click redraw draws only then
    // The part of the pan below one view unit: the scroll bars hold whole units, and
    // zooming about the pointer must keep the point under it to the pixel. A scroll bar
    // moved by hand clears it.
    double fineX = 0;
    double fineY = 0;
    // The picture area's size on screen, in view units, once the window has laid it out;
    // "Ajuster" fits the drawing in it. Zero: the controls' sizes.
    double shownWidth = 0;
    double shownHeight = 0;
};

// Colours of the standard 16-colour palette, by number.
enum class ViewColour : std::uint8_t {
    Foreground = 0,     // the picture area's drawing colour (black)
    LightGreen = 10,    // RGB 0, 255, 0
    LightRed = 12,      // RGB 255, 0, 0
    LightMagenta = 13,  // RGB 255, 0, 255
};

struct ViewPoint {
    double x = 0;
    double y = 0;
};

// Floats: 100 000 segments fit in 2 MB, and a point within kViewCoordinateLimit keeps a
// precision far below a pixel.
struct ViewSegment {
    float x1, y1, x2, y2;
    ViewColour colour;
};
struct ViewCircle {
    float x, y, radius;
    ViewColour colour;
};
// A cut number written with its top-left corner at (x, y).
struct ViewLabel {
    float x, y;
    std::string text;
};

// What one redraw asks the window to do. When `drawn` is false the picture stays as it
// is. Otherwise the window resizes its controls to `controls` if `resizeControls`, clears
// the picture area if `clearFirst`, then paints the start point, the segments, the circles
// and the labels. A drawing that failed midway keeps what it drew before the failure.
struct ViewPicture {
    bool drawn = false;
    bool resizeControls = false;
    bool clearFirst = false;
    ViewSizes controls;
    double panX = 0;
    double panY = 0;
    std::optional<ViewPoint> start;  // the single point where the pen starts
    std::vector<ViewSegment> segments;
    std::vector<ViewCircle> circles;
    std::vector<ViewLabel> labels;
    // Entry points (rows whose entry mark holds an order number): the number at the
    // row's point.
    std::vector<ViewLabel> entries;
    // The selected row's point, ringed at a fixed size on the screen.
    std::optional<ViewPoint> selected;
};

// The mapping both ways.
ViewPoint toView(double x, double y, double zoom);
ViewPoint toObject(ViewPoint view, double zoom);

// The two mouse labels for a mouse at view (x, y): the object X and Y in millimetres,
// two decimals.
struct MouseTexts {
    std::string x;
    std::string y;
};
MouseTexts mouseTexts(ViewPoint view, double zoom);

// --- Commands that redraw ---------------------------------------------------------------
// Each takes the window's form (object, zoom, vertical scroll, selected row), the view,
// and the dialogs for its messages.

// Click on row `row` of any of the six lists: selects it (form.selectedRow), sets
// redrawPending to 0, then the list-click redraw.
ViewPicture listClicked(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, int row);
// The list-click redraw alone: draws only while redrawPending is 0, then raises it, so a
// selection that the window copies to the other lists draws once.
ViewPicture listClickRedraw(DrawingForm& form, DrawingView& view, UserDialogs& dialogs);

// "Zoom +" / "Zoom -": after the length check, zoom times / divided by 1.3, then redraw.
ViewPicture zoomIn(DrawingForm& form, DrawingView& view, UserDialogs& dialogs);
ViewPicture zoomOut(DrawingForm& form, DrawingView& view, UserDialogs& dialogs);

// A scroll bar moved to `value`.
ViewPicture horizontalScrolled(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, int value);
ViewPicture verticalScrolled(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, int value);

// "Agrandir la fenetre " / "Réduire la fenetre": every size +/- 5, then a redraw that
// leaves the controls as they are; the new sizes apply at the next redraw that resizes.
ViewPicture enlargeView(DrawingForm& form, DrawingView& view, UserDialogs& dialogs);
ViewPicture shrinkView(DrawingForm& form, DrawingView& view, UserDialogs& dialogs);

// After a new entry point: the path drawn again over the picture, with the entry points'
// numbers, no other marks, no message.
ViewPicture entryPointRedraw(const DrawingForm& form, const DrawingView& view);

// --- Commands that follow the pointer and the window ----------------------------------

// Room kept free between the drawing and the picture's edges by "Ajuster", as a share of
// each side of the picture, and at least kFitMargin view units.
inline constexpr double kFitMarginShare = 0.04;
inline constexpr double kFitMargin = 2;

// "Ajuster", and every load and import: the zoom and the two scroll bars chosen so that
// every row's point lies inside the picture area (view.shownWidth x shownHeight, else
// the controls' sizes) with a margin, the drawing centred; then a complete redraw. The
// scroll bar values may leave their usual ranges: the window widens them. An object
// without a readable point keeps the zoom and pan and draws nothing.
ViewPicture fitView(DrawingForm& form, DrawingView& view, UserDialogs& dialogs);

// The wheel: the zoom times `factor`, the object point under the pointer (view point
// `at`, taken with the pan of the last redraw) staying under it. A zoom whose drawing
// would overflow is refused: nothing changes and nothing is drawn.
ViewPicture zoomAbout(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, ViewPoint at,
                      double factor);

// A drag with the middle or right button: the picture follows the pointer by (dx, dy)
// view units.
ViewPicture panBy(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, double dx, double dy);

// The picture area took a new size on screen (view units): a complete redraw in it.
ViewPicture pictureResized(DrawingForm& form, DrawingView& view, UserDialogs& dialogs, double width,
                           double height);

// The object changed under the picture ("Réorganisation coupes"): a complete redraw.
ViewPicture redrawAll(DrawingForm& form, DrawingView& view, UserDialogs& dialogs);

// The row whose point lies nearest to the view point `at` within `radius` view units,
// with the current zoom; none when no point is that close.
std::optional<std::size_t> rowNear(const DrawingForm& form, ViewPoint at, double radius);

}  // namespace tarvel
