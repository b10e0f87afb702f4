// Form7, the entry-point window: standalone on an object, and opened through the
// program's registry the way the drawing window's double click opens it.
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "app/mainwindow.h"
#include "port/simulatedmachine.h"
#include "support/scripteddialogs.h"
#include "ui/appcontext.h"
#include "ui/drawingwindow.h"
#include "ui/entrypointwindow.h"
#include "ui/windowregistry.h"

namespace {

using tarvel::AppContext;
using tarvel::CutObject;
using tarvel::EntryPointWindow;
using Texts = std::vector<std::string>;

template <class T = QWidget>
T* named(const QObject* root, const char* name) {
    T* found = root ? root->findChild<T*>(name) : nullptr;
    if (found == nullptr) throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

// One cut: "D", three rows inside the material, "F".
CutObject oneCut() {
    CutObject o;
    for (const char* z : {"0", "1", "1", "1", "0"}) o.appendRow("1", "2", z, "", "", ".");
    tarvel::markCuts(o);
    return o;
}

}  // namespace

class EntryPointWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::ScriptedDialogs> dialogs_;
    std::unique_ptr<AppContext> app_;
    std::unique_ptr<QWidget> drawing_;  // stands for the drawing window
    CutObject object_;
    std::vector<std::optional<std::size_t>> changes_;

    std::unique_ptr<EntryPointWindow> standalone() {
        auto w = std::make_unique<EntryPointWindow>(*app_);
        w->setTarget(*drawing_, object_, [this](std::optional<std::size_t> row) { changes_.push_back(row); });
        w->show();
        return w;
    }
    void typeOrderNumber(QWidget* w, const char* text) {
        auto* field = named<QLineEdit>(w, "Text1");
        field->clear();
        QTest::keyClicks(field, text);
    }
    static void click(QWidget* w, const char* name) { QTest::mouseClick(named<QPushButton>(w, name), Qt::LeftButton); }

private slots:
    void init() {
        dialogs_ = std::make_unique<tarvel::testing::ScriptedDialogs>();
        app_ = std::make_unique<AppContext>(*dialogs_);
        drawing_ = std::make_unique<QWidget>();
        object_ = oneCut();
        changes_.clear();
    }
    void cleanup() {
        drawing_.reset();
        app_.reset();
        dialogs_.reset();
    }

    void controlsCarryTheirNamesAndCaptions() {
        auto w = standalone();
        QCOMPARE(w->objectName(), QString("Form7"));
        QCOMPARE(named<QLineEdit>(w.get(), "Text1")->text(), QString("1"));
        QCOMPARE(named<QPushButton>(w.get(), "Command1")->text(),
                 QString("Valider un nouveau point d'entrée dans la matière"));
        QCOMPARE(named<QPushButton>(w.get(), "Command2")->text(),
                 QString("Supprimer un point d'entrée dans la matière"));
        QCOMPARE(named<QPushButton>(w.get(), "Command3")->text(), QString("Supprimer tous les points d'entrée"));
    }

    void validerMarksSelectedRowOffersNextNumberAndHides() {
        auto w = standalone();
        app_->selectedRow = 2;
        typeOrderNumber(w.get(), "3");
        click(w.get(), "Command1");
        QCOMPARE(object_.entryMark, (Texts{".", ".", "3", ".", "."}));
        QCOMPARE(named<QLineEdit>(w.get(), "Text1")->text(), QString("4"));
        QVERIFY(!w->isVisible());
        QCOMPARE(changes_.size(), std::size_t{1});
        QCOMPARE(changes_[0], std::optional<std::size_t>(2));
    }

    void nonNumericOrderIsRefusedAndTheWindowStays() {
        auto w = standalone();
        app_->selectedRow = 2;
        typeOrderNumber(w.get(), "premier");
        click(w.get(), "Command1");
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(object_.entryMark, Texts(5, "."));
        QVERIFY(w->isVisible());
        QVERIFY(changes_.empty());
        QCOMPARE(named<QLineEdit>(w.get(), "Text1")->text(), QString("premier"));
    }

    void supprimerCommandsClearMarksAndKeepTheNumber() {
        auto w = standalone();
        object_.entryMark = {".", "1", "2", "3", "."};
        app_->selectedRow = 2;
        click(w.get(), "Command2");
        QCOMPARE(object_.entryMark, (Texts{".", "1", ".", "3", "."}));
        QVERIFY(!w->isVisible());
        w->show();
        click(w.get(), "Command3");
        QCOMPARE(object_.entryMark, Texts(5, "."));
        QCOMPARE(named<QLineEdit>(w.get(), "Text1")->text(), QString("1"));
        QCOMPARE(changes_.size(), std::size_t{2});
    }

    void closedDrawingWindowLeavesNothingToChange() {
        auto w = standalone();
        app_->selectedRow = 1;
        drawing_.reset();
        click(w.get(), "Command1");
        QCOMPARE(object_.entryMark, Texts(5, "."));
        QVERIFY(changes_.empty());
        QVERIFY(!w->isVisible());
    }

    void opensAsProgramWindowThatHidesAndKeepsItsNumber() {
        app_->port.port = std::make_unique<tarvel::SimulatedMachine>();
        app_->port.simulated = true;
        tarvel::MainWindow main(*app_);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto changed = [this](std::optional<std::size_t> row) { changes_.push_back(row); };

        app_->selectedRow = 3;
        EntryPointWindow* w = tarvel::openEntryPointWindow(*app_, *drawing_, object_, changed);
        QVERIFY(w != nullptr);
        QVERIFY(main.windows().frame("Form7")->isVisible());
        click(w, "Command1");
        QCOMPARE(object_.entryMark[3], std::string("1"));
        QVERIFY(main.windows().isOpen("Form7"));
        QVERIFY(!main.windows().frame("Form7")->isVisible());

        app_->selectedRow = 1;
        QCOMPARE(tarvel::openEntryPointWindow(*app_, *drawing_, object_, changed), w);
        QVERIFY(main.windows().frame("Form7")->isVisible());
        QCOMPARE(named<QLineEdit>(w, "Text1")->text(), QString("2"));
        click(w, "Command1");
        QCOMPARE(object_.entryMark, (Texts{".", "2", ".", "1", "."}));
    }

    // The whole road in the drawing window: a double click on List6, Form7's "Valider",
    // then "Réorganisation coupes".
    void drawingWindowDoubleClickOpensFormThenReorders() {
        app_->port.port = std::make_unique<tarvel::SimulatedMachine>();
        app_->port.simulated = true;
        tarvel::MainWindow main(*app_);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* dessin = main.windows().open<tarvel::DrawingWindowWidget>("dessin");
        QVERIFY(dessin != nullptr);
        CutObject& o = dessin->form().object;
        for (const char* x : {"0", "1", "2", "3", "4", "1", "9"})
            o.appendRow(x, "0", x == std::string("0") || x == std::string("9") ? "0" : "1", "", "", ".");
        o.cutCount = std::to_string(tarvel::markCuts(o));
        dessin->showObject();
        auto* entryMarks = named<QListView>(dessin, "List6");
        auto doubleClick = [entryMarks](int row) {
            const QPoint at = entryMarks->visualRect(entryMarks->model()->index(row, 0)).center();
            QTest::mouseClick(entryMarks->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(entryMarks->viewport(), Qt::LeftButton, {}, at);
        };

        doubleClick(0);  // the "D" row
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QVERIFY(!main.windows().isOpen("Form7"));

        doubleClick(3);
        QCOMPARE(app_->selectedRow, 3);
        QWidget* form7 = main.windows().find("Form7");
        QVERIFY(form7 != nullptr && main.windows().frame("Form7")->isVisible());
        click(form7, "Command1");
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
