#include "drawing/drawingview.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/textrules.h"
#include "drawing/drawingmessages.h"
#include "support/scripteddialogs.h"

namespace tarvel {
namespace {

using Texts = std::vector<std::string>;
namespace msg = drawingmessages;

// Two cuts as markCuts leaves them: D at (0, 0), cut 1 from (10, 20), F at (30, 5); D at (40, 5),
// cut 2 from (50, 5), F at (50, 15); z is 0 on the D and F rows. One X keeps a point.
CutObject twoCuts() {
    CutObject o;
    const char* rows[][3] = {{"0", "0", "0"},  {"10", "20", "1"}, {"30.0", "20", "1"}, {"30", "5", "0"},
                             {"40", "5", "0"}, {"50", "5", "1"},  {"50", "15", "0"}};
    for (auto& r : rows) o.appendRow(r[0], r[1], r[2], "", "", ".");
    markCuts(o);
    return o;
}

struct Window {
    testing::ScriptedDialogs dialogs;
    DrawingForm form{dialogs};
    DrawingView view;
    explicit Window(CutObject object = twoCuts()) { form.object = std::move(object); }
    Texts told() const { return dialogs.toldTexts(); }
};

bool hasCircleAt(const ViewPicture& p, ViewPoint at, float radius, ViewColour colour) {
    for (const ViewCircle& c : p.circles)
        if (c.x == static_cast<float>(at.x) && c.y == static_cast<float>(at.y) && c.radius == radius &&
            c.colour == colour)
            return true;
    return false;
}

TEST(ViewZoom, StepsInAndOutAndChecksTheListsFirst) {
    Window w;
    zoomIn(w.form, w.view, w.dialogs);
    EXPECT_DOUBLE_EQ(w.form.zoom, 1.3);
    zoomOut(w.form, w.view, w.dialogs);
    EXPECT_DOUBLE_EQ(w.form.zoom, 1);
    EXPECT_TRUE(w.told().empty());
    // The mouse reads the object back through the zoom, with a decimal comma.
    EXPECT_EQ(mouseTexts({6, 99}, 0.5).x + "|" + mouseTexts({7.5, 97.5}, 2).y + "|" + mouseTexts({5, 100}, 3).x,
              "2,00|1,25|0,00");

    Window empty{CutObject{}};
    ViewPicture p = zoomIn(empty.form, empty.view, empty.dialogs);
    EXPECT_EQ(empty.told(), Texts{msg::kChooseFile.text});
    EXPECT_DOUBLE_EQ(empty.form.zoom, 1.3);  // changed before the drawing failed
    // The picture area was cleared before the drawing failed; nothing else is drawn.
    EXPECT_TRUE(p.drawn && p.clearFirst && p.segments.empty());

    w.form.object.y.pop_back();
    p = zoomOut(w.form, w.view, w.dialogs);
    EXPECT_EQ(w.told(), Texts{msg::kViewListLengths.text});
    EXPECT_EQ(w.dialogs.told[0].title, "Défaut");
    EXPECT_DOUBLE_EQ(w.form.zoom, 1);
    EXPECT_FALSE(p.drawn);
}

// What each redraw resizes, clears and marks on the rows that carry a cut number.
TEST(ViewRedraws, FollowTheirRowOfTheTable) {
    struct Case {
        const char* name;
        std::function<ViewPicture(Window&)> run;
        bool resize, clear;
        float ring;  // 0: no ring
        ViewColour ringColour;
    };
    const auto F = ViewColour::Foreground, R = ViewColour::LightRed;
    const Case cases[] = {
        {"zoom +", [](Window& w) { return zoomIn(w.form, w.view, w.dialogs); }, true, true, 0, F},
        {"horizontal", [](Window& w) { return horizontalScrolled(w.form, w.view, w.dialogs, 7); }, true, true, 0, F},
        {"vertical", [](Window& w) { return verticalScrolled(w.form, w.view, w.dialogs, 9); }, true, true, 1, R},
        {"agrandir", [](Window& w) { return enlargeView(w.form, w.view, w.dialogs); }, false, false, 1, R},
        {"reduire", [](Window& w) { return shrinkView(w.form, w.view, w.dialogs); }, false, true, 1, R},
        {"list click", [](Window& w) { return listClicked(w.form, w.view, w.dialogs, 3); }, true, true, 0.5f,
         ViewColour::LightGreen},
        {"entry point", [](Window& w) { return entryPointRedraw(w.form, w.view); }, false, false, 0, F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        ViewPicture p = c.run(w);
        EXPECT_TRUE(w.told().empty());
        EXPECT_TRUE(p.drawn);
        EXPECT_EQ(std::make_pair(p.resizeControls, p.clearFirst), std::make_pair(c.resize, c.clear));
        EXPECT_EQ(p.segments.size(), 6u);
        if (c.ring == 0) {
            EXPECT_TRUE(p.circles.empty());
            continue;
        }
        EXPECT_TRUE(hasCircleAt(p, toView(10, 20, w.form.zoom), c.ring, c.ringColour));
        EXPECT_TRUE(hasCircleAt(p, toView(50, 5, w.form.zoom), c.ring, c.ringColour));
    }
}

TEST(ViewListClick, DrawsThePathNumbersCutsRingsTheSelectedRowButNeverRowZeroAndDrawsOnce) {
    Window w;
    ViewPicture p = listClicked(w.form, w.view, w.dialogs, 2);
    // The pen starts at the first row's point; raised moves are red.
    ASSERT_TRUE(p.start.has_value());
    EXPECT_EQ(std::make_pair(p.start->x, p.start->y), std::make_pair(5.0, 100.0));
    ASSERT_EQ(p.segments.size(), 6u);
    EXPECT_EQ((std::vector<float>{p.segments[0].x1, p.segments[0].x2, p.segments[0].y2}),
              (std::vector<float>{5, 15, 80}));
    std::vector<ViewColour> colours;
    for (const ViewSegment& s : p.segments) colours.push_back(s.colour);
    const auto F = ViewColour::Foreground, R = ViewColour::LightRed;
    EXPECT_EQ(colours, (std::vector<ViewColour>{F, F, R, R, F, R}));
    EXPECT_EQ(w.form.selectedRow, 2);
    ASSERT_EQ(p.labels.size(), 2u);
    EXPECT_EQ(p.labels[0].text + p.labels[1].text, "12");
    EXPECT_EQ(p.labels[0].x, 15.0f);
    ASSERT_TRUE(p.selected.has_value());
    EXPECT_EQ(std::make_pair(p.selected->x, p.selected->y), std::make_pair(35.0, 80.0));
    EXPECT_EQ(p.circles.size(), 2u);
    EXPECT_EQ(w.view.redrawPending, 1);
    // The window copying the selection to the other lists redraws nothing more.
    EXPECT_FALSE(listClickRedraw(w.form, w.view, w.dialogs).drawn);

    w.form.object.cutNumber.set(0, "7");
    p = listClicked(w.form, w.view, w.dialogs, 0);
    EXPECT_TRUE(p.drawn);
    for (const ViewLabel& l : p.labels) EXPECT_NE(l.text, "7");
    EXPECT_FALSE(p.selected.has_value());

    w.form.object.x.push_back("1");  // lists of different lengths: silently nothing
    EXPECT_FALSE(listClicked(w.form, w.view, w.dialogs, 5).drawn);
    EXPECT_TRUE(w.told().empty());
    EXPECT_EQ(w.form.selectedRow, 5);
}

TEST(ViewFailures, OverflowHalvesTheZoomOnlyOnAListClickAndTextSaysChooseAFile) {
    Window w;
    w.form.object.x.set(4, "2E+6");
    ViewPicture p = listClicked(w.form, w.view, w.dialogs, 1);
    EXPECT_EQ(w.told(), Texts{msg::kZoomOverflow.text});
    EXPECT_DOUBLE_EQ(w.form.zoom, 0.5);
    EXPECT_EQ(p.segments.size(), 3u);  // what was drawn before the faulty row stays
    EXPECT_EQ(w.view.redrawPending, 0);

    Window z;
    z.form.object.x.set(4, "2E+6");
    zoomIn(z.form, z.view, z.dialogs);
    EXPECT_EQ(z.told(), Texts{msg::kChooseFile.text});
    EXPECT_DOUBLE_EQ(z.form.zoom, 1.3);

    Window t;
    t.form.object.y.set(3, "12.5x");
    listClicked(t.form, t.view, t.dialogs, 1);
    verticalScrolled(t.form, t.view, t.dialogs, 10);
    EXPECT_EQ(t.told(), (Texts{msg::kChooseFile.text, msg::kChooseFile.text}));
    EXPECT_DOUBLE_EQ(t.form.zoom, 1);
    // The entry-point redraw says nothing.
    EXPECT_EQ(entryPointRedraw(t.form, t.view).segments.size(), 2u);
    EXPECT_EQ(t.told().size(), 2u);
}

TEST(ViewSizes, ChangeOnlyAtTheNextRedrawThatResizes) {
    Window w;
    ViewPicture p = enlargeView(w.form, w.view, w.dialogs);
    EXPECT_EQ(w.view.sizes, (ViewSizes{140, 87, 140, 83}));
    EXPECT_EQ(p.controls, ViewSizes{});
    p = horizontalScrolled(w.form, w.view, w.dialogs, -20);
    EXPECT_TRUE(p.resizeControls);
    EXPECT_EQ(p.controls, (ViewSizes{140, 87, 140, 83}));
    EXPECT_EQ(std::make_pair(p.panX, p.panY), std::make_pair(-20.0, 0.0));

    for (int i = 0; i < 2; ++i) shrinkView(w.form, w.view, w.dialogs);
    EXPECT_EQ(w.view.sizes, (ViewSizes{130, 77, 130, 73}));
    EXPECT_EQ(w.view.controls, (ViewSizes{140, 87, 140, 83}));

    // Shrunk to nothing: "choose a file" and the controls are kept.
    Window z;
    for (int i = 0; i < 50 && z.view.sizes.vScrollHeight > 0; ++i) shrinkView(z.form, z.view, z.dialogs);
    ASSERT_LE(z.view.sizes.vScrollHeight, 0);
    EXPECT_TRUE(z.told().empty());
    EXPECT_FALSE(verticalScrolled(z.form, z.view, z.dialogs, 50).drawn);
    EXPECT_EQ(z.told(), Texts{msg::kChooseFile.text});
    EXPECT_EQ(z.view.controls, ViewSizes{});
}

// A small drawing, one below the X axis, and one of tens of metres: after "Ajuster" every
// point lands inside the picture with room to spare, and the drawing fills one side.
TEST(ViewFit, PutsEveryPointInsideThePicture) {
    const std::vector<std::vector<ViewPoint>> drawings = {
        {{10, 10}, {95, 10}, {95, 60}, {10, 60}, {10, 10}},
        {{-20, -300}, {40, -250}, {5, -10}},
        {{0, 0}, {25000, 12000}, {-3000, -40000}},
    };
    for (const auto& points : drawings) {
        CutObject o;
        for (const ViewPoint& p : points) o.appendRow(decimalText(p.x), decimalText(p.y), "1", "0", ".", ".");
        Window w{o};
        w.view.shownWidth = 150;
        w.view.shownHeight = 90;
        const ViewPicture pic = fitView(w.form, w.view, w.dialogs);
        ASSERT_TRUE(pic.drawn);
        EXPECT_EQ(pic.panX, w.view.horizontalScroll + w.view.fineX);
        double left = 150, right = 0, top = 90, bottom = 0;
        for (const ViewPoint& p : points) {
            const ViewPoint v = toView(p.x, p.y, w.form.zoom);
            const double x = v.x - pic.panX, y = v.y - pic.panY;
            EXPECT_TRUE(x >= 1 && x <= 149 && y >= 1 && y <= 89) << x << " " << y;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        EXPECT_TRUE(right - left > 120 || bottom - top > 70);
    }
    Window empty{CutObject{}};
    EXPECT_FALSE(fitView(empty.form, empty.view, empty.dialogs).drawn);
    EXPECT_DOUBLE_EQ(empty.form.zoom, 1);
}

TEST(ViewPointer, WheelZoomsAboutThePointerAndAClickFindsTheNearestRow) {
    Window w;
    listClicked(w.form, w.view, w.dialogs, 1);
    const ViewPoint at{40, 60};
    const ViewPoint before{at.x - w.view.panX, at.y - w.view.panY};
    const ViewPoint under = toObject(at, w.form.zoom);
    for (double factor : {1.3, 1.3, 1 / 1.3, 0.2}) {
        // The pointer stays where it is on the screen while the pan moves under it.
        const ViewPoint here{w.view.panX + before.x, w.view.panY + before.y};
        ASSERT_TRUE(zoomAbout(w.form, w.view, w.dialogs, here, factor).drawn);
        const ViewPoint v = toView(under.x, under.y, w.form.zoom);
        EXPECT_NEAR(v.x - w.view.panX, before.x, 1e-9);
        EXPECT_NEAR(v.y - w.view.panY, before.y, 1e-9);
    }
    // A zoom whose points would overflow is refused.
    const double zoom = w.form.zoom;
    EXPECT_FALSE(zoomAbout(w.form, w.view, w.dialogs, at, 1e9).drawn);
    EXPECT_EQ(w.form.zoom, zoom);
    EXPECT_TRUE(w.told().empty());
    // The picture follows the pointer.
    const double panX = w.view.panX;
    panBy(w.form, w.view, w.dialogs, 3.25, 0);
    EXPECT_DOUBLE_EQ(w.view.panX, panX - 3.25);

    Window c;
    const ViewPoint p = toView(50, 5, 1);
    EXPECT_EQ(rowNear(c.form, {p.x + 1, p.y}, 1.5), std::optional<std::size_t>(5));
    EXPECT_EQ(rowNear(c.form, {p.x + 2, p.y}, 1.5), std::nullopt);
    // Entry points carry their order numbers on the picture.
    c.form.object.entryMark.set(1, "2");
    const ViewPicture pic = listClicked(c.form, c.view, c.dialogs, 0);
    ASSERT_EQ(pic.entries.size(), 1u);
    EXPECT_EQ(pic.entries[0].text, "2");
    EXPECT_EQ(pic.entries[0].x, 15.0f);
}

}  // namespace
}  // namespace tarvel
