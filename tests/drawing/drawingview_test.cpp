#include "drawing/drawingview.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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
    EXPECT_EQ(mouseTexts({6, 99}, 0.5).x + "|" + mouseTexts({7.5, 97.5}, 2).y, "2|1,25");

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
    // The pen starts one unit left of the first row; raised moves are red.
    ASSERT_TRUE(p.start.has_value());
    EXPECT_EQ(std::make_pair(p.start->x, p.start->y), std::make_pair(-1.0, 100.0));
    ASSERT_EQ(p.segments.size(), 6u);
    EXPECT_EQ((std::vector<float>{p.segments[0].x1, p.segments[0].x2, p.segments[0].y2}),
              (std::vector<float>{-1, 15, 80}));
    std::vector<ViewColour> colours;
    for (const ViewSegment& s : p.segments) colours.push_back(s.colour);
    const auto F = ViewColour::Foreground, R = ViewColour::LightRed;
    EXPECT_EQ(colours, (std::vector<ViewColour>{F, F, R, R, F, R}));
    EXPECT_EQ(w.form.selectedRow, 2);
    ASSERT_EQ(p.labels.size(), 2u);
    EXPECT_EQ(p.labels[0].text + p.labels[1].text, "12");
    EXPECT_EQ(p.labels[0].x, 15.0f);
    EXPECT_TRUE(hasCircleAt(p, toView(30, 20, 1), 0.5f, ViewColour::LightMagenta));
    EXPECT_EQ(p.circles.size(), 3u);
    EXPECT_EQ(w.view.redrawPending, 1);
    // The window copying the selection to the other lists redraws nothing more.
    EXPECT_FALSE(listClickRedraw(w.form, w.view, w.dialogs).drawn);

    w.form.object.cutNumber.set(0, "7");
    p = listClicked(w.form, w.view, w.dialogs, 0);
    EXPECT_TRUE(p.drawn);
    for (const ViewLabel& l : p.labels) EXPECT_NE(l.text, "7");
    EXPECT_EQ(p.circles.size(), 2u);  // the two green rings of the cuts, no magenta one

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

}  // namespace
}  // namespace tarvel
