#include "ui/qtdialogs.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include "common/paths.h"
#include "ui/helpwindow.h"

namespace tarvel {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Native path bytes, as the logic opens files.
std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
        case Icon::Error: return QMessageBox::Critical;
        case Icon::Exclamation: return QMessageBox::Warning;
        case Icon::Question: return QMessageBox::Question;
        case Icon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Dialogs sit over the window the user is working in.
QWidget* dialogParent() { return QApplication::activeWindow(); }

// The widest a dialog may grow to show a whole text: the screen it opens on, less a margin.
int widestOnScreen(const QWidget& dialog) {
    const QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().width() - 40 : 800;
}

// Room for `text` in the dialog's font plus `extra` pixels of frame, capped at the screen.
int widthFor(const QWidget& dialog, const QString& text, int extra) {
    return std::min(dialog.fontMetrics().horizontalAdvance(text) + extra, widestOnScreen(dialog));
}

}  // namespace

QtDialogs::QtDialogs(std::string programDir) : programDir_(std::move(programDir)) {}

QtDialogs::~QtDialogs() {
    if (busy_) QApplication::restoreOverrideCursor();
}

void QtDialogs::showHelp(int context) {
    if (!help_) {
        const std::string dir = programDir_.empty() ? executableDirectory() : programDir_;
        help_ = std::make_unique<HelpWindow>(qs(programFilePath(dir, kHelpPageName)));
    }
    help_->showContext(context);
}

void QtDialogs::offerHelpKey(QWidget& dialog) {
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), &dialog);
    QObject::connect(f1, &QShortcut::activated, [this] { showHelp(); });
}

namespace {

// A box with the message's text, title and icon, its help button and F1.
void prepareBox(QMessageBox& box, const Message& m, QtDialogs& dialogs) {
    box.setObjectName("message");
    box.setIcon(boxIcon(m.icon));
    box.setWindowTitle(qs(m.title));
    box.setText(qs(m.text));
    box.setTextFormat(Qt::PlainText);
    // A box is as wide as its text needs, not its title: a spacer across the bottom keeps
    // the title whole (the extra is the title bar's icon and buttons).
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(widthFor(box, box.windowTitle(), 120), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());

    QPushButton* aide = box.addButton("Aide", QMessageBox::HelpRole);
    aide->setObjectName("Aide");
    // Any button of a QMessageBox closes it; the help button is cut loose from the box
    // so that the box is still there, unanswered, when the page has been read.
    QObject::disconnect(aide, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::connect(aide, &QAbstractButton::clicked, [&dialogs] { dialogs.showHelp(); });
    dialogs.offerHelpKey(box);
}

}  // namespace

void QtDialogs::tell(const Message& m) {
    QMessageBox box(dialogParent());
    prepareBox(box, m, *this);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    ok->setText("OK");
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

bool QtDialogs::confirm(const Message& m, bool defaultYes) {
    QMessageBox box(dialogParent());
    prepareBox(box, m, *this);
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    yes->setText("Oui");
    no->setText("Non");
    box.setDefaultButton(defaultYes ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<std::string> QtDialogs::ask(const Message& m, std::string_view offered) {
    QInputDialog dialog(dialogParent());
    dialog.setObjectName("question");
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(qs(m.title));
    dialog.setLabelText(qs(m.text));
    dialog.setTextValue(QString::fromUtf8(offered.data(), static_cast<qsizetype>(offered.size())));
    dialog.setOkButtonText("OK");
    dialog.setCancelButtonText("Annuler");
    // The whole offered path is seen without scrolling the field.
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->setMinimumWidth(widthFor(*field, dialog.textValue(), 24));
    offerHelpKey(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

void QtDialogs::setBusy(bool busy) {
    // The pointer has two states, as the program sets it: busy, normal. Calls that
    // repeat the state change nothing, so the override cursor stays balanced.
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

std::optional<std::string> QtDialogs::chooseFile(const FileChoice& c, bool forSaving) {
    QFileDialog dialog(dialogParent(), qs(c.title), qs(c.directory), qs(c.filter));
    dialog.setObjectName(forSaving ? "enregistrer" : "ouvrir");
    // Qt's own dialog looks and behaves the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (forSaving) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Replacing a file is the logic's decision, with its own French messages.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.setLabelText(QFileDialog::LookIn, "Dossier :");
    dialog.setLabelText(QFileDialog::FileName, "Nom du fichier :");
    dialog.setLabelText(QFileDialog::FileType, "Type de fichier :");
    dialog.setLabelText(QFileDialog::Accept, forSaving ? "Enregistrer" : "Ouvrir");
    dialog.setLabelText(QFileDialog::Reject, "Annuler");
    offerHelpKey(dialog);

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return nativePath(chosen.front());
}

std::optional<std::string> QtDialogs::chooseOpenFile(const FileChoice& c) { return chooseFile(c, false); }

std::optional<std::string> QtDialogs::chooseSaveFile(const FileChoice& c) { return chooseFile(c, true); }

}  // namespace tarvel
