// QtDialogs: what the logic hands over reaches the screen as it was given, and what the
// user does comes back.
#include <QAbstractButton>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <functional>
#include <memory>
#include <optional>

#include "support/tempdir.h"
#include "ui/qtdialogs.h"
#include "uitesting.h"

using tarvel::Icon;
using tarvel::Message;
using tarvel::QtDialogs;
using tarvel::testing::TempDir;
using tarvel::testing::topLevelNamed;
using tarvel::testing::whenModal;

Q_DECLARE_METATYPE(tarvel::Icon)

namespace {

QAbstractButton* buttonCaptioned(QMessageBox* box, const QString& caption) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == caption) return b;
    return nullptr;
}

// What the next message box showed; `answer` then acts on it and must close it.
struct BoxSeen {
    QString text, title, defaultCaption;
    int icon = -1;
    QStringList captions;  // sorted
};

}  // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT

    // Runs `show` while `answer` handles the box it opens; returns what the box showed.
    static BoxSeen watchBox(const std::function<void()>& show,
                            std::function<void(QMessageBox*)> answer) {
        auto seen = std::make_shared<BoxSeen>();
        whenModal([seen, answer](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr) {
                w->close();
                return;
            }
            seen->text = box->text();
            seen->title = box->windowTitle();
            seen->icon = box->icon();
            if (box->defaultButton()) seen->defaultCaption = box->defaultButton()->text();
            for (QAbstractButton* b : box->buttons()) seen->captions << b->text();
            seen->captions.sort();
            answer(box);
            if (box->isVisible()) box->close();  // a failed answer must not hang the test
        });
        show();
        return *seen;
    }

    static void press(QMessageBox* box, const QString& key) {
        if (key == "Échap")
            QTest::keyClick(box, Qt::Key_Escape);
        else if (key == "Entrée")
            QTest::keyClick(box, Qt::Key_Return);
        else if (QAbstractButton* b = buttonCaptioned(box, key))
            b->click();
    }

private slots:
    void tellShowsTheMessageWithItsIconAndOk_data() {
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<int>("boxIcon");
        QTest::newRow("erreur") << Icon::Error << int(QMessageBox::Critical);
        QTest::newRow("exclamation") << Icon::Exclamation << int(QMessageBox::Warning);
        QTest::newRow("question") << Icon::Question << int(QMessageBox::Question);
        QTest::newRow("information") << Icon::Information << int(QMessageBox::Information);
    }

    void tellShowsTheMessageWithItsIconAndOk() {
        QFETCH(Icon, icon);
        QFETCH(int, boxIcon);
        TempDir dir;
        QtDialogs dialogs(dir.str());
        bool closedByOk = false;
        const BoxSeen seen = watchBox(
            [&] { dialogs.tell(Message{"Saisie incomplete ?", "Saisie", icon}); },
            [&](QMessageBox* box) {
                press(box, "OK");
                closedByOk = !box->isVisible();
            });
        QVERIFY(closedByOk);
        QCOMPARE(seen.text, QString("Saisie incomplete ?"));
        QCOMPARE(seen.title, QString("Saisie"));
        QCOMPARE(seen.icon, boxIcon);
        QCOMPARE(seen.captions, (QStringList{"Aide", "OK"}));
    }

    void confirmOffersOuiNonWithTheAskedDefault_data() {
        QTest::addColumn<bool>("defaultYes");
        QTest::addColumn<QString>("key");  // a caption, "Entrée" or "Échap"
        QTest::addColumn<bool>("answer");
        QTest::newRow("défaut oui, clic Oui") << true << "Oui" << true;
        QTest::newRow("défaut oui, clic Non") << true << "Non" << false;
        QTest::newRow("défaut non, clic Oui") << false << "Oui" << true;
        QTest::newRow("défaut oui, Entrée") << true << "Entrée" << true;
        QTest::newRow("défaut non, Entrée") << false << "Entrée" << false;
        QTest::newRow("Échap répond non") << true << "Échap" << false;
    }

    void confirmOffersOuiNonWithTheAskedDefault() {
        QFETCH(bool, defaultYes);
        QFETCH(QString, key);
        QFETCH(bool, answer);
        TempDir dir;
        QtDialogs dialogs(dir.str());
        bool got = !answer;
        const BoxSeen seen = watchBox(
            [&] { got = dialogs.confirm(Message{"Confirmer effacer ?", "Effacer", Icon::Question}, defaultYes); },
            [&](QMessageBox* box) { press(box, key); });
        QCOMPARE(seen.title, QString("Effacer"));
        QCOMPARE(seen.captions, (QStringList{"Aide", "Non", "Oui"}));
        QCOMPARE(seen.defaultCaption, QString(defaultYes ? "Oui" : "Non"));
        QCOMPARE(got, answer);
    }

    void helpOpensThePageWhileTheBoxStaysOpen_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("bouton Aide") << false;
        QTest::newRow("touche F1") << true;
    }

    void helpOpensThePageWhileTheBoxStaysOpen() {
        QFETCH(bool, byKey);
        TempDir dir;
        dir.write("aide.html",
                  "<html><head><meta charset=\"utf-8\"></head><body>"
                  "<a name=\"c1000\"></a><p>Page d'essai : découpe</p></body></html>");
        QtDialogs dialogs(dir.str());
        bool boxStayedOpen = false, boxActive = true;
        QString helpTitle, helpText;
        watchBox([&] { dialogs.tell(Message{"Fichier introuvable !", "Nom fichier ?", Icon::Error}); },
                 [&](QMessageBox* box) {
                     if (byKey) {
                         box->activateWindow();
                         boxActive = QTest::qWaitForWindowActive(box);
                         QTest::keyClick(box, Qt::Key_F1);
                     } else {
                         press(box, "Aide");
                     }
                     QCoreApplication::processEvents();
                     boxStayedOpen = box->isVisible();
                     if (auto* help = qobject_cast<QTextBrowser*>(topLevelNamed("aide"))) {
                         helpTitle = help->windowTitle();
                         helpText = help->toPlainText();
                         help->close();
                     }
                 });
        QVERIFY(boxActive);
        QVERIFY(boxStayedOpen);
        QCOMPARE(helpTitle, QString("Aide de Tarvel"));
        QVERIFY2(helpText.contains("Page d'essai : découpe"), qPrintable(helpText));
    }

    void askReturnsTheTypedTextOrNothing_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<std::optional<std::string>>("expected");
        QTest::newRow("valider le texte proposé")
            << true << QString() << std::optional<std::string>("/pieces/boite.fra");
        QTest::newRow("valider un nouveau nom")
            << true << "/pièces/écrou.fra" << std::optional<std::string>("/pièces/écrou.fra");
        QTest::newRow("annuler") << false << "/x.fra" << std::optional<std::string>();
    }

    void askReturnsTheTypedTextOrNothing() {
        QFETCH(bool, accept);
        QFETCH(QString, typed);
        QFETCH(std::optional<std::string>, expected);
        TempDir dir;
        QtDialogs dialogs(dir.str());

        QString prompt, title, offered;
        whenModal([&](QWidget* w) {
            auto* input = qobject_cast<QInputDialog*>(w);
            if (input == nullptr) {
                w->close();
                return;
            }
            prompt = input->labelText();
            title = input->windowTitle();
            offered = input->textValue();
            if (!typed.isEmpty()) input->setTextValue(typed);
            accept ? input->accept() : input->reject();
        });
        const auto got = dialogs.ask(Message{"nouveau nom?", "Modification", Icon::Question},
                                     "/pieces/boite.fra");

        QCOMPARE(prompt, QString("nouveau nom?"));
        QCOMPARE(title, QString("Modification"));
        QCOMPARE(offered, QString("/pieces/boite.fra"));
        QCOMPARE(got, expected);
    }

    void busyPointerFollowsTheLastStateAndIsRestored() {
        TempDir dir;
        {
            QtDialogs dialogs(dir.str());
            dialogs.setBusy(true);
            dialogs.setBusy(true);
            QVERIFY(QApplication::overrideCursor() != nullptr);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            dialogs.setBusy(false);
            QVERIFY(QApplication::overrideCursor() == nullptr);
            dialogs.setBusy(false);
            QVERIFY(QApplication::overrideCursor() == nullptr);
            dialogs.setBusy(true);
        }
        // A program that ends while busy leaves no pointer behind.
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void fileChoiceReturnsTheChosenPath_data() {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("name");  // empty: the user cancels
        QTest::newRow("ouvrir") << false << "boite.fra";
        QTest::newRow("enregistrer sous un nom nouveau") << true << "nouvelle.fra";
        QTest::newRow("annuler") << false << QString();
    }

    void fileChoiceReturnsTheChosenPath() {
        QFETCH(bool, saving);
        QFETCH(QString, name);
        TempDir dir;
        dir.write("boite.fra", "\"1\",\"2\",\"0\"\r\n");
        QtDialogs dialogs(dir.str());

        QString title, directory, filters;
        bool ownDialog = false, savingMode = false;
        whenModal([&](QWidget* w) {
            auto* fd = qobject_cast<QFileDialog*>(w);
            if (fd == nullptr) {
                w->close();
                return;
            }
            title = fd->windowTitle();
            directory = fd->directory().absolutePath();
            filters = fd->nameFilters().join(";;");
            ownDialog = fd->testOption(QFileDialog::DontUseNativeDialog);
            savingMode = fd->acceptMode() == QFileDialog::AcceptSave;
            if (name.isEmpty()) {
                fd->reject();
                return;
            }
            fd->selectFile(QString::fromStdString(dir.file(name.toStdString())));
            static_cast<QDialog*>(fd)->accept();  // QFileDialog hides its override
        });
        const tarvel::FileChoice choice{"Choisir un objet", dir.str(), "Fichiers FRA (*.fra)"};
        const auto got = saving ? dialogs.chooseSaveFile(choice) : dialogs.chooseOpenFile(choice);

        QCOMPARE(title, QString("Choisir un objet"));
        QCOMPARE(directory, QString::fromStdString(dir.str()));
        QCOMPARE(filters, QString("Fichiers FRA (*.fra)"));
        QVERIFY(ownDialog);
        QCOMPARE(savingMode, saving);
        if (name.isEmpty())
            QCOMPARE(got, std::optional<std::string>());
        else
            QCOMPARE(got, std::optional<std::string>(dir.file(name.toStdString())));
    }
};

int runQtDialogsTests(int argc, char** argv) {
    QtDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "qtdialogs_test.moc"
