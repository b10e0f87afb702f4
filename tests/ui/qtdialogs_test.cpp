// QtDialogs: what the logic hands over reaches the screen as it was given, and what the
// user does comes back.
#include "ui/qtdialogs.h"
#include "ui/qttranslations.h"
#include "uitesting.h"

using tarvel::Icon;
using tarvel::Message;
using tarvel::QtDialogs;
using tarvel::testing::TempDir;

Q_DECLARE_METATYPE(tarvel::Icon)

namespace {

// Runs `act` on the modal dialog about to open, polling from its own event loop; a dialog
// that never shows leaves `act` unrun, a modal of another kind is closed.
template <class T>
void whenModal(std::function<void(T*)> act) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, act, polls = 0]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        const bool shown = modal != nullptr && modal->isVisible();
        if (!shown && ++polls < 500) return;
        poll->deleteLater();
        poll->stop();
        if (auto* dialog = qobject_cast<T*>(modal); dialog && shown) act(dialog);
        else if (shown) modal->close();
    });
    poll->start(10);
}

}  // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT

    TempDir dir_;  // the program folder, with the help page

private slots:
    // tell() offers OK; confirm() offers Oui and Non with the default asked for, Entrée
    // takes the default and Échap answers no. Every box has its "Aide".
    void messageBoxShowsTheMessageAndItsButtons_data() {
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<int>("ask");  // -1: tell(); 0 or 1: confirm() with that default
        QTest::addColumn<QString>("key");  // a caption, "Entrée" or "Échap"
        QTest::addColumn<QString>("shown");  // icon|default button|buttons, sorted
        QTest::addColumn<bool>("answer");
        const QString ok = "|OK|Aide,OK", question = QString::number(QMessageBox::Question);
        QTest::newRow("erreur") << Icon::Error << -1 << "OK" << QString::number(QMessageBox::Critical) + ok << true;
        QTest::newRow("exclamation, Entrée") << Icon::Exclamation << -1 << "Entrée"
                                            << QString::number(QMessageBox::Warning) + ok << true;
        QTest::newRow("information, Échap") << Icon::Information << -1 << "Échap"
                                           << QString::number(QMessageBox::Information) + ok << true;
        QTest::newRow("défaut oui, clic Non") << Icon::Question << 1 << "Non" << question + "|Oui|Aide,Non,Oui" << false;
        QTest::newRow("défaut non, clic Oui") << Icon::Question << 0 << "Oui" << question + "|Non|Aide,Non,Oui" << true;
        QTest::newRow("défaut oui, Entrée") << Icon::Question << 1 << "Entrée" << question + "|Oui|Aide,Non,Oui" << true;
        QTest::newRow("défaut non, Entrée") << Icon::Question << 0 << "Entrée" << question + "|Non|Aide,Non,Oui" << false;
        QTest::newRow("Échap répond non") << Icon::Question << 1 << "Échap" << question + "|Oui|Aide,Non,Oui" << false;
    }

    void messageBoxShowsTheMessageAndItsButtons() {
        QFETCH(Icon, icon);
        QFETCH(int, ask);
        QFETCH(QString, key);
        QFETCH(QString, shown);
        QFETCH(bool, answer);
        QtDialogs dialogs(dir_.str());
        bool got = !answer, closed = false;
        QString seen;  // title|text|icon|default button|buttons, sorted
        whenModal<QMessageBox>([&](QMessageBox* box) {
            QStringList captions;
            for (QAbstractButton* b : box->buttons()) captions << b->text();
            captions.sort();
            seen = QStringList{box->windowTitle(), box->text(), QString::number(box->icon()),
                               box->defaultButton() ? box->defaultButton()->text() : QString(), captions.join(",")}
                       .join("|");
            if (key == "Échap" || key == "Entrée") QTest::keyClick(box, key == "Échap" ? Qt::Key_Escape : Qt::Key_Return);
            for (QAbstractButton* b : box->buttons())
                if (b->text() == key) b->click();
            closed = !box->isVisible();
            box->close();  // a wrong answer must not hang the test
        });
        const Message m{"Confirmer effacer ?", "Effacer", icon};
        ask < 0 ? dialogs.tell(m) : void(got = dialogs.confirm(m, ask == 1));
        QVERIFY(closed);
        QCOMPARE(seen, "Effacer|Confirmer effacer ?|" + shown);
        QCOMPARE(got || ask < 0, answer);
    }

    // "Aide" opens the help page and the box stays open for its answer.
    void helpOpensThePageWhileTheBoxStaysOpen() {
        dir_.write("aide.html",
                   "<html><head><meta charset=\"utf-8\"></head><body><p>Page d'essai : découpe</p></body></html>");
        QtDialogs dialogs(dir_.str());
        bool boxStayedOpen = false;
        QString help;  // title|text
        whenModal<QMessageBox>([&](QMessageBox* box) {
            for (QAbstractButton* b : box->buttons())
                if (b->text() == "Aide") b->click();
            QCoreApplication::processEvents();
            boxStayedOpen = box->isVisible();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* page = qobject_cast<QTextBrowser*>(w); page && page->isVisible())
                    help = page->windowTitle() + "|" + page->toPlainText(), page->close();
            box->close();
        });
        dialogs.tell(Message{"Fichier introuvable !", "Nom fichier ?", Icon::Error});
        QVERIFY(boxStayedOpen);
        QVERIFY2(help.startsWith("Aide de Tarvel|") && help.contains("Page d'essai : découpe"), qPrintable(help));
    }

    void askShowsTheOfferedTextAndReturnsTheTypedOne() {
        QtDialogs dialogs(dir_.str());
        QString shown;  // title|prompt|offered text, "coupé" when the field is narrower than it
        const QString offered = "/pieces/" + QString("sous-dossier/").repeated(6) + "boite.fra";
        whenModal<QInputDialog>([&](QInputDialog* input) {
            auto* field = input->findChild<QLineEdit*>();
            shown = input->windowTitle() + "|" + input->labelText() + "|" + input->textValue() +
                    (field->width() > field->fontMetrics().horizontalAdvance(offered) ? "" : " coupé");
            input->setTextValue("/pièces/écrou.fra");
            input->accept();
        });
        const auto got = dialogs.ask(Message{"nouveau nom?", "Modification", Icon::Question}, offered.toStdString());
        QCOMPARE(shown, "Modification|nouveau nom?|" + offered);
        QCOMPARE(got, std::optional<std::string>("/pièces/écrou.fra"));
    }

    // Qt's own words: the text fields' menu, the file dialog's columns.
    void qtOwnTextsAreFrench() {
        if (!tarvel::installQtFrench(*qApp)) QSKIP("catalogue qtbase_fr.qm absent (qt6-translations-l10n)");
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Undo"), QString("&Annuler"));
        QFileDialog dialog(nullptr, "Ouvrir", dir_.str().c_str());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(dialog.findChild<QTreeView*>()->model()->headerData(0, Qt::Horizontal).toString(), QString("Nom"));
    }
};

QTEST_MAIN(QtDialogsTest)

#include "qtdialogs_test.moc"
