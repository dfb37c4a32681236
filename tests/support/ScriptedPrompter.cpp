#include "ScriptedPrompter.h"

#include <QDialog>

namespace palvenor::test {

Prompter::Answer ScriptedPrompter::message(const QString& text, const QString& title,
                                           Buttons buttons, Icon icon) {
    record({"message", text, title, buttons, icon});
    if (!answers_.empty()) {
        Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<QString> ScriptedPrompter::input(const QString& prompt, const QString& title,
                                               const QString& defaultValue) {
    record({"input", prompt, title, Buttons::Ok, Icon::None, QString(), defaultValue});
    if (inputs_.empty()) return std::nullopt;
    auto text = inputs_.front();
    inputs_.pop_front();
    return text;
}

std::optional<QString> ScriptedPrompter::openFileName(const QString& title, const QString& folder,
                                                      const QString&) {
    record({"open", QString(), title, Buttons::Ok, Icon::None, folder});
    return nextFile().path;
}

std::optional<QString> ScriptedPrompter::saveFileName(const QString& title, const QString& folder,
                                                      const QString&, int* filterIndex) {
    record({"save", QString(), title, Buttons::Ok, Icon::None, folder});
    const FileAnswer file = nextFile();
    if (filterIndex && file.path) *filterIndex = file.filterIndex;
    return file.path;
}

std::optional<QString> ScriptedPrompter::folderName(const QString& title, const QString& folder) {
    record({"folder", QString(), title, Buttons::Ok, Icon::None, folder});
    return nextFile().path;
}

int ScriptedPrompter::execDialog(QDialog& dialog) {
    record({"dialog", QString(), dialog.windowTitle()});
    if (dialogs_.empty()) return QDialog::Rejected;
    auto play = std::move(dialogs_.front());
    dialogs_.pop_front();
    return play(dialog);
}

ScriptedPrompter::FileAnswer ScriptedPrompter::nextFile() {
    if (files_.empty()) return {};
    FileAnswer file = files_.front();
    files_.pop_front();
    return file;
}

void ScriptedPrompter::record(Shown shown) {
    shown_.push_back(std::move(shown));
    if (whileShown) whileShown(shown_.back());
}

QStringList ScriptedPrompter::texts() const {
    QStringList list;
    for (const auto& s : shown_) list << s.text;
    return list;
}

}  // namespace palvenor::test
