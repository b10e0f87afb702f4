// Form7, the entry-point window: opened through the program's registry on an object,
// and the whole road from the drawing window's double click to the reordering.
#include <QListView>

#include <optional>
#include <vector>

#include "ui/drawingwindow.h"
#include "ui/entrypointwindow.h"
#include "uitesting.h"

namespace {

using tarvel::CutObject;
using tarvel::testing::named;
using Texts = std::vector<std::string>;

void click(QWidget* w, const char* name) { QTest::mouseClick(named<QPushButton>(w, name), Qt::LeftButton); }

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

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::testing::ScriptedDialogs* dialogs_ = nullptr;
    tarvel::AppContext* app_ = nullptr;
    tarvel::MainWindow* main_ = nullptr;

    bool form7Shown() { return main_->windows().frame("Form7") && main_->windows().frame("Form7")->isVisible(); }

private slots:
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{});
        dialogs_ = &h_->dialogs;
        app_ = &h_->app;
        app_->paths.programDir = QCoreApplication::applicationDirPath().toStdString();  // angle tables
        QVERIFY(h_->show());
        main_ = h_->window.get();
    }
    void cleanup() { h_.reset(); }

    void hidesAfterEachCommandKeepsItsNumberAndOutlivesNoDrawing() {
        auto drawing = std::make_unique<QWidget>();
        CutObject object = oneContour();
        std::vector<std::optional<std::size_t>> changes;
        auto changed = [&changes](std::optional<std::size_t> row) { changes.push_back(row); };

        app_->selectedRow = 3;
        tarvel::EntryPointWindow* w = tarvel::openEntryPointWindow(*app_, *drawing, object, changed);
        QVERIFY(w != nullptr && form7Shown());
        click(w, "Command1");
        QVERIFY(main_->windows().isOpen("Form7") && !form7Shown());

        app_->selectedRow = 1;
        QCOMPARE(tarvel::openEntryPointWindow(*app_, *drawing, object, changed), w);
        QCOMPARE(named<QLineEdit>(w, "Text1")->text(), QString("2"));
        click(w, "Command1");
        QCOMPARE(object.entryMark, (Texts{".", "2", ".", "1", ".", ".", "."}));
        QCOMPARE(changes, (std::vector<std::optional<std::size_t>>{3, 1}));

        tarvel::openEntryPointWindow(*app_, *drawing, object, changed);
        click(w, "Command3");
        QCOMPARE(object.entryMark, Texts(7, "."));
        QCOMPARE(named<QLineEdit>(w, "Text1")->text(), QString("3"));

        // The drawing window closed: its object is gone and nothing is written.
        main_->windows().open("Form7");
        drawing.reset();
        click(w, "Command1");
        QCOMPARE(changes.size(), std::size_t{3});
        QCOMPARE(object.entryMark, Texts(7, "."));
        QVERIFY(!form7Shown());
    }

    // A double click on List6, Form7's "Valider", then "Réorganisation coupes".
    void drawingWindowDoubleClickThenReorder() {
        auto* dessin = main_->windows().open<tarvel::DrawingWindowWidget>("dessin");
        QVERIFY(dessin != nullptr);
        dessin->form().object = oneContour();
        dessin->showObject();
        auto* entryMarks = named<QListView>(dessin, "List6");
        auto doubleClick = [entryMarks](int row) {
            const QPoint at = entryMarks->visualRect(entryMarks->model()->index(row, 0)).center();
            QTest::mouseClick(entryMarks->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(entryMarks->viewport(), Qt::LeftButton, {}, at);
        };

        doubleClick(0);  // the "D" row
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QVERIFY(!main_->windows().isOpen("Form7"));

        doubleClick(3);
        QCOMPARE(app_->selectedRow, 3);
        QVERIFY(form7Shown());
        click(main_->windows().find("Form7"), "Command1");
        QCOMPARE(entryMarks->model()->index(3, 0).data().toString(), QString("1"));

        click(dessin, "Command7");
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        auto* xs = named<QListView>(dessin, "List1");
        QStringList shown;
        for (int row = 0; row < xs->model()->rowCount(); ++row) shown << xs->model()->index(row, 0).data().toString();
        QCOMPARE(shown, (QStringList{"3", "3", "4", "1", "2", "3", "3"}));
        QCOMPARE(entryMarks->model()->index(3, 0).data().toString(), QString("."));
    }
};

int runEntryPointWindowTests(int argc, char** argv) {
    EntryPointWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "entrypointwindow_test.moc"
