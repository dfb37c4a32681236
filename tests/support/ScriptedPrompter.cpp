#include "ScriptedPrompter.h"

#include <QDialog>

namespace palvenor::test {

Prompter::Answer ScriptedPrompter::message(const QString& text, const QString& title,
                                           Buttons buttons, Icon icon) {
    shown_.push_back({"message", text, title, buttons, icon});
    if (!answers_.empty()) {
        Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<QString> ScriptedPrompter::input(const QString& prompt, const QString& title,
                                               const QString&) {
    shown_.push_back({"input", prompt, title});
    if (inputs_.empty()) return std::nullopt;
    auto text = inputs_.front();
    inputs_.pop_front();
    return text;
}

std::optional<QString> ScriptedPrompter::openFileName(const QString& title, const QString&,
                                                      const QString&) {
    shown_.push_back({"open", QString(), title});
    if (files_.empty()) return std::nullopt;
    auto file = files_.front();
    files_.pop_front();
    return file.path;
}

std::optional<QString> ScriptedPrompter::saveFileName(const QString& title, const QString&,
                                                      const QString&, int* filterIndex) {
    shown_.push_back({"save", QString(), title});
    if (files_.empty()) return std::nullopt;
    auto file = files_.front();
    files_.pop_front();
    if (filterIndex) *filterIndex = file.filterIndex;
    return file.path;
}

int ScriptedPrompter::execDialog(QDialog& dialog) {
    shown_.push_back({"dialog", QString(), dialog.windowTitle()});
    if (dialogs_.empty()) return QDialog::Rejected;
    auto play = std::move(dialogs_.front());
    dialogs_.pop_front();
    return play(dialog);
}

QStringList ScriptedPrompter::texts() const {
    QStringList list;
    for (const auto& s : shown_) list << s.text;
    return list;
}

}  // namespace palvenor::test
