// Form7, the entry-point window, opened through the program's registry on an object. The
// road from the drawing window's double click to the reordering is the whole job's.
#include "ui/entrypointwindow.h"
#include "uitesting.h"

namespace {

using tarvel::CutObject;
using tarvel::testing::click;
using tarvel::testing::textOf;
using Texts = std::vector<std::string>;

// One closed contour: "D" on row 0, rows 1 to 5 inside, "F" on row 6; X is the row.
CutObject oneContour() {
    CutObject o;
    for (const char* z : {"0", "1", "1", "1", "1", "1", "0"})
        o.appendRow(std::to_string(o.rows()), "0", z, "", "", ".");
    o.cutCount = std::to_string(tarvel::markCuts(o));
    return o;
}

}  // namespace

class EntryPointWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Each command hides the window and writes the drawing window's object, then tells it
    // which row to redraw; with that window closed nothing is written.
    void commandsWriteTheObjectHideTheWindowAndOutliveNoDrawing() {
        tarvel::testing::Harness h;
        QVERIFY(h.show());
        auto shown = [&h] { return h.windows().frame("Form7") && h.windows().frame("Form7")->isVisible(); };
        auto drawing = std::make_unique<QWidget>();
        CutObject object = oneContour();
        std::vector<std::optional<std::size_t>> changes;
        auto open = [&](int row) {
            h.app.selectedRow = row;
            return tarvel::openEntryPointWindow(h.app, *drawing, object, [&](auto r) { changes.push_back(r); });
        };
        tarvel::EntryPointWindow* w = open(5);
        QVERIFY(w != nullptr && shown());
        click(w, "Command1");
        QVERIFY(h.windows().isOpen("Form7") && !shown());
        QCOMPARE(open(1), w);
        QCOMPARE(textOf(w, "Text1"), QString("2"));
        click(w, "Command1");
        open(5);
        click(w, "Command2");
        QCOMPARE(object.entryMark, (Texts{".", "2", ".", ".", ".", ".", "."}));
        QCOMPARE(changes, (std::vector<std::optional<std::size_t>>{5, 1, std::nullopt}));
        open(1);
        click(w, "Command3");
        QCOMPARE(object.entryMark, Texts(7, "."));

        h.windows().open("Form7");
        drawing.reset();
        click(w, "Command1");
        QCOMPARE(changes.size(), std::size_t{4});
        QVERIFY(!shown());
    }
};

QTEST_MAIN(EntryPointWindowTest)

#include "entrypointwindow_test.moc"
