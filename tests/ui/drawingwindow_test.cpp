// The drawing window (dessin) driven by object names, inside the main window, with a
// scripted UserDialogs. Which controls show, the edits and the picture's geometry are the
// drawing window logic's; here the window shows them and its lists and picture follow.
// Importing a DXF drawing and saving it under "Fichier FRA" are the whole job's.
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <vector>

#include "common/textrules.h"
#include "ui/drawingwindow.h"
#include "uitesting.h"

namespace {

using tarvel::DrawingWindowWidget;
using tarvel::testing::named;

std::string row(double x, double y, const char* z) {
    return "\"" + tarvel::decimalText(x) + "\",\"" + tarvel::decimalText(y) + "\",\"" + z + "\"\r\n";
}

// A plate with three rectangular contours, each entered raised at its first corner and
// left raised there: its edge and two windows in it.
std::string plate() {
    std::string text;
    const double rectangles[][4] = {{10, 0, 290, 120}, {40, 30, 120, 90}, {170, 20, 250, 100}};
    for (const auto& [x0, y0, x1, y1] : rectangles) {
        text += row(x0, y0, "0");
        for (const auto& [x, y] : {std::pair{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}) text += row(x, y, "1");
        text += row(x0, y0, "0");
    }
    return text;
}

struct Colours { int black = 0, red = 0, green = 0, magenta = 0; };
Colours coloursOf(const QPixmap& picture) {
    const QImage image = picture.toImage();
    Colours c;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            // Lines are antialiased: a thin line is partly grey, partly pale.
            const int r = p.red(), g = p.green(), b = p.blue();
            if (std::max({r, g, b}) < 170 && std::max({r, g, b}) - std::min({r, g, b}) < 40) ++c.black;
            if (r > 180 && g < 170 && b < 170 && r - g > 60) ++c.red;
            if (g > 180 && r < 170 && b < 170 && g - r > 60) ++c.green;
            if (r > 180 && b > 180 && g < 170) ++c.magenta;
        }
    return c;
}

}  // namespace

class DrawingWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::MainWindow* window_ = nullptr;

    DrawingWindowWidget* drawing() { return window_->windows().find<DrawingWindowWidget>("dessin"); }
    QListView* list(int n) { return named<QListView>(drawing(), qPrintable(QString("List%1").arg(n))); }
    QString cell(int n, int r) { return list(n)->model()->index(r, 0).data().toString(); }
    void trigger(const char* action) { named<QAction>(drawing(), action)->trigger(); }

    // Loads `path` the way the user does: menu "Fichier FRA", the name, "Charger".
    void load(const std::string& path) {
        trigger("fichierfra");
        named<QLineEdit>(drawing(), "Text1")->setText(QString::fromStdString(path));
        tarvel::testing::click(drawing(), "Command1");
    }
    void clickRow(int n, int r) { tarvel::testing::clickRow(list(n), r); }
    void expectSelectedEverywhere(int r) {
        for (int n = 1; n <= 6; ++n) QCOMPARE(list(n)->currentIndex().row(), r);
        QCOMPARE(drawing()->form().selectedRow, r);
    }

private slots:
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>();
        h_->app.paths.programDir = QCoreApplication::applicationDirPath().toStdString();  // angle tables
        QVERIFY(h_->show());
        window_ = h_->window.get();
        window_->windows().open("dessin");
        QVERIFY(drawing() != nullptr);
    }
    void cleanup() { h_.reset(); }

    void loadedObjectFillsTheListsFollowsTheSelectionAndIsDrawn() {
        load(h_->tmp.write("plaque.fra", plate()));
        QVERIFY(h_->dialogs.told.empty());
        const int rows = list(1)->model()->rowCount();
        QCOMPARE(rows, 3 * 7);
        for (int n = 2; n <= 6; ++n) QCOMPARE(list(n)->model()->rowCount(), rows);
        QCOMPARE(QStringList({cell(1, 1), cell(3, 0), cell(4, 0), cell(5, 1)}), QStringList({"10", "0", "D", "1"}));
        QCOMPARE(named<QLineEdit>(drawing(), "Text2")->text(), QString("3"));
        QVERIFY(!named<QPushButton>(drawing(), "Command1")->isVisibleTo(drawing()));
        QCOMPARE(named<QScrollBar>(drawing(), "VScroll1")->value(), 50);
        // The load's scroll redraw: the path in black, raised moves and rings in red.
        const Colours c = coloursOf(drawing()->picture().cachedPicture());
        QVERIFY2(c.black > 250, qPrintable(QString::number(c.black)));
        QVERIFY(c.red > 20);
        QCOMPARE(c.green, 0);

        // A click selects the row in all six lists and redraws.
        clickRow(3, 9);
        expectSelectedEverywhere(9);
        const Colours selected = coloursOf(drawing()->picture().cachedPicture());
        QVERIFY(selected.green > 10);   // the cut numbers' rings
        QVERIFY(selected.magenta > 3);  // the selected row
        clickRow(6, 20);
        expectSelectedEverywhere(20);

        // The mouse labels read the object under the mouse: view (5, 100) is X 0, Y 0.
        // Sent straight to the picture: QTest::mouseMove moves the real pointer on a display.
        auto& area = drawing()->picture();
        const QPointF at = area.toPixels(5, 100);
        QMouseEvent move(QEvent::MouseMove, at, area.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&area, &move);
        QCOMPARE(named<QLabel>(drawing(), "Label1")->text(), QString("0"));
        QCOMPARE(named<QLabel>(drawing(), "Label2")->text(), QString("0"));
    }

    void leavingTheWindow() {
        trigger("retouraccueil");
        QVERIFY(!window_->windows().isOpen("dessin") && !window_->windows().isOpen("Mach"));
        window_->windows().open("dessin");
        trigger("versoutil");
        QVERIFY(!window_->windows().isOpen("dessin") && window_->windows().isOpen("Mach"));
    }

    void aHundredThousandRowsLoadScrollAndDraw() {
        std::string text;  // a hundred raised entries, each into a zigzag of 999 points
        for (int i = 0; i < 100000; ++i)
            text += row((i % 1000) * 0.3, (i / 1000) * 1.2 + (i % 2) * 0.5, i % 1000 ? "1" : "0");
        load(h_->tmp.write("grand.fra", text));
        QVERIFY(h_->dialogs.told.empty());
        for (int n = 1; n <= 6; ++n) QCOMPARE(list(n)->model()->rowCount(), 100000);

        QTRY_VERIFY(list(1)->verticalScrollBar()->maximum() > 60000);  // laid out
        list(1)->verticalScrollBar()->setValue(60000);
        for (int n = 2; n <= 6; ++n) QCOMPARE(list(n)->verticalScrollBar()->value(), 60000);
        clickRow(1, 60005);
        expectSelectedEverywhere(60005);
        QVERIFY(coloursOf(drawing()->picture().cachedPicture()).black > 1000);
        QVERIFY(!window_->grab().isNull());
    }
};

int runDrawingWindowTests(int argc, char** argv) {
    DrawingWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "drawingwindow_test.moc"
