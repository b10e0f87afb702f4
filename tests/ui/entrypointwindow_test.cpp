// Form7, the entry-point window, opened through the program's registry on an object. The
// road from the drawing window's double click to the reordering is the whole job's.
#include <optional>
#include <vector>

#include "ui/entrypointwindow.h"
#include "uitesting.h"

namespace {

using tarvel::CutObject;
using tarvel::testing::click;
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
    void hidesAfterEachCommandKeepsItsNumberAndOutlivesNoDrawing() {
        tarvel::testing::Harness h;
        QVERIFY(h.show());
        auto form7Shown = [&h] { return h.windows().frame("Form7") && h.windows().frame("Form7")->isVisible(); };
        auto drawing = std::make_unique<QWidget>();
        CutObject object = oneContour();
        std::vector<std::optional<std::size_t>> changes;
        auto changed = [&changes](std::optional<std::size_t> row) { changes.push_back(row); };

        h.app.selectedRow = 3;
        tarvel::EntryPointWindow* w = tarvel::openEntryPointWindow(h.app, *drawing, object, changed);
        QVERIFY(w != nullptr && form7Shown());
        click(w, "Command1");
        QVERIFY(h.windows().isOpen("Form7") && !form7Shown());

        h.app.selectedRow = 1;
        QCOMPARE(tarvel::openEntryPointWindow(h.app, *drawing, object, changed), w);
        QCOMPARE(tarvel::testing::textOf(w, "Text1"), QString("2"));
        click(w, "Command1");
        QCOMPARE(object.entryMark, (Texts{".", "2", ".", "1", ".", ".", "."}));
        QCOMPARE(changes, (std::vector<std::optional<std::size_t>>{3, 1}));

        tarvel::openEntryPointWindow(h.app, *drawing, object, changed);
        click(w, "Command3");
        QCOMPARE(object.entryMark, Texts(7, "."));
        QCOMPARE(tarvel::testing::textOf(w, "Text1"), QString("3"));

        // The drawing window closed: its object is gone and nothing is written.
        h.windows().open("Form7");
        drawing.reset();
        click(w, "Command1");
        QCOMPARE(changes.size(), std::size_t{3});
        QCOMPARE(object.entryMark, Texts(7, "."));
        QVERIFY(!form7Shown());
    }
};

QTEST_MAIN(EntryPointWindowTest)

#include "entrypointwindow_test.moc"
