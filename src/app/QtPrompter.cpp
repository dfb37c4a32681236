#include "QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace palvenor {

namespace {

QMessageBox::StandardButtons standardButtons(Prompter::Buttons buttons) {
    switch (buttons) {
    case Prompter::Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Prompter::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Prompter::Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompter::Buttons::Ok: break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::Exclamation: return QMessageBox::Warning;
    case Prompter::Icon::Critical: return QMessageBox::Critical;
    case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QWidget* QtPrompter::owner() const {
    if (QWidget* active = QApplication::activeWindow()) return active;
    return parent_;
}

Prompter::Answer QtPrompter::message(const QString& text, const QString& title, Buttons buttons,
                                     Icon icon) {
    QMessageBox box(messageIcon(icon), title, text, standardButtons(buttons), owner());
    box.setButtonText(QMessageBox::Yes, QStringLiteral("&Ja"));
    box.setButtonText(QMessageBox::No, QStringLiteral("&Nein"));
    box.setButtonText(QMessageBox::Cancel, QStringLiteral("Abbrechen"));
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

std::optional<QString> QtPrompter::input(const QString& prompt, const QString& title,
                                         const QString& defaultValue) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultValue, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<QString> QtPrompter::openFileName(const QString& title, const QString& folder,
                                                const QString& filter) {
    const QString file = QFileDialog::getOpenFileName(owner(), title, folder, filter);
    if (file.isEmpty()) return std::nullopt;
    return file;
}

std::optional<QString> QtPrompter::saveFileName(const QString& title, const QString& folder,
                                                const QString& filter, int* filterIndex) {
    QString selected;
    const QString file = QFileDialog::getSaveFileName(owner(), title, folder, filter, &selected);
    if (file.isEmpty()) return std::nullopt;
    if (filterIndex) *filterIndex = filter.split(QStringLiteral(";;")).indexOf(selected) + 1;
    return file;
}

std::optional<QString> QtPrompter::folderName(const QString& title, const QString& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(owner(), title, folder);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

int QtPrompter::execDialog(QDialog& dialog) { return dialog.exec(); }

}  // namespace palvenor
