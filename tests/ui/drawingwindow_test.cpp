// The drawing window (dessin): its lists and picture follow what the drawing logic holds.
// Importing a DXF drawing and saving it under "Fichier FRA" are the whole job's.
#include "common/textrules.h"
#include "drawing/drawingview.h"
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
    QImage picture() { return drawing()->picture().cachedPicture().toImage(); }

    // Loads `path` the way the user does: menu "Fichier FRA", the name, "Charger".
    void load(const std::string& path) {
        trigger("fichierfra");
        named<QLineEdit>(drawing(), "Text1")->setText(QString::fromStdString(path));
        tarvel::testing::click(drawing(), "Command1");
    }
    // Where row r's point is drawn in the picture area, in pixels.
    QPointF pixelOf(int r) {
        const auto x = tarvel::coordinateNumber(cell(1, r).toStdString());
        const auto y = tarvel::coordinateNumber(cell(2, r).toStdString());
        const tarvel::ViewPoint v = tarvel::toView(x.value_or(0), y.value_or(0), drawing()->form().zoom);
        return drawing()->picture().toPixels(v.x, v.y);
    }
    void send(QEvent::Type type, QPointF at, Qt::MouseButton button) {
        auto& area = drawing()->picture();
        QMouseEvent e(type, at, area.mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(&area, &e);
    }
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
        QVERIFY(window_->windows().open("dessin") && drawing());
    }
    void cleanup() { h_.reset(); }

    void loadedObjectFillsTheListsFollowsTheSelectionIsDrawnAndTheMenusLeave() {
        const QImage empty = picture();
        load(h_->tmp.write("plaque.fra", plate()));
        QVERIFY(h_->dialogs.told.empty());
        const int rows = list(1)->model()->rowCount();
        QCOMPARE(rows, 3 * 7);
        for (int n = 2; n <= 6; ++n) QCOMPARE(list(n)->model()->rowCount(), rows);
        QCOMPARE(QStringList({cell(1, 1), cell(3, 0), cell(4, 0), cell(5, 1)}), QStringList({"10", "0", "D", "1"}));
        QCOMPARE(named<QLineEdit>(drawing(), "Text2")->text(), QString("3"));
        QVERIFY(!named<QPushButton>(drawing(), "Command1")->isVisibleTo(drawing()));
        // The load fits the drawing in the picture and draws it.
        const QRectF inside = QRectF(drawing()->picture().rect()).adjusted(2, 2, -2, -2);
        for (int r = 0; r < rows; ++r) QVERIFY2(inside.contains(pixelOf(r)), qPrintable(QString::number(r)));
        const QImage loaded = picture();
        QVERIFY(loaded != empty);
        tarvel::testing::clickRow(list(3), 9);
        expectSelectedEverywhere(9);
        QVERIFY(picture() != loaded);
        tarvel::testing::clickRow(list(6), 20);
        expectSelectedEverywhere(20);

        // The mouse labels read the object under the mouse: view (5, 100) is X 0, Y 0.
        // Sent straight to the picture: QTest::mouseMove moves the real pointer on a display.
        auto& area = drawing()->picture();
        const QPointF at = area.toPixels(5, 100);
        send(QEvent::MouseMove, at, Qt::NoButton);
        QCOMPARE(named<QLabel>(drawing(), "Label1")->text() + named<QLabel>(drawing(), "Label2")->text(),
                 QString("0,000,00"));

        // The wheel zooms about the pointer: the point under it stays there.
        const QPointF corner = pixelOf(10);
        const double zoom = drawing()->form().zoom;
        for (int notches : {2, -5}) {
            QWheelEvent wheel(corner, area.mapToGlobal(corner), {}, {0, 120 * notches}, Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&area, &wheel);
            QVERIFY((pixelOf(10) - corner).manhattanLength() <= 1);
        }
        QVERIFY(qAbs(drawing()->form().zoom - zoom / 1.3 / 1.3 / 1.3) < 1e-9);
        // A click near a drawn point selects its row in every list.
        send(QEvent::MouseButtonPress, pixelOf(10) + QPointF(3, -2), Qt::LeftButton);
        expectSelectedEverywhere(10);
        // Leaving the window by its menus.
        trigger("retouraccueil");
        QVERIFY(!window_->windows().isOpen("dessin") && !window_->windows().isOpen("Mach"));
        window_->windows().open("dessin");
        trigger("versoutil");
        QVERIFY(!window_->windows().isOpen("dessin") && window_->windows().isOpen("Mach"));
    }

    // Twenty raised entries, each into a zigzag of 99 points: the six lists scroll as one.
    void manyRowsScrollTogether() {
        std::string text;
        for (int i = 0; i < 2000; ++i) text += row((i % 100) * 0.3, (i / 100) * 1.2 + (i % 2) * 0.5, i % 100 ? "1" : "0");
        load(h_->tmp.write("grand.fra", text));
        QTRY_VERIFY(list(1)->verticalScrollBar()->maximum() > 1200);  // laid out
        list(1)->verticalScrollBar()->setValue(1200);
        for (int n = 2; n <= 6; ++n) QCOMPARE(list(n)->verticalScrollBar()->value(), 1200);
    }
};

QTEST_MAIN(DrawingWindowTest)

#include "drawingwindow_test.moc"
