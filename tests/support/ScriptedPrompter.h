#pragma once

#include "Prompter.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace palvenor::test {

// A Prompter that records every question and replays scripted answers.
// Unscripted message boxes are answered with Ok/Yes-less defaults: Ok for
// information boxes, Cancel for questions; unscripted dialogs are cancelled.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString kind;  // "message", "input", "open", "save", "folder"
        QString text;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QString folder{};    // where a file dialog starts
        QString proposal{};  // the answer an input offers
    };

    void answer(Answer a) { answers_.push_back(a); }
    void answerInput(std::optional<QString> text) { inputs_.push_back(std::move(text)); }
    void answerFile(std::optional<QString> path, int filterIndex = 0) {
        files_.push_back({std::move(path), filterIndex});
    }

    // Plays the user's part on the next modal dialog; returns its result code.
    void onDialog(std::function<int(QDialog&)> play) { dialogs_.push_back(std::move(play)); }
    // Runs while each box or dialog is open, before it is answered.
    std::function<void(const Shown&)> whileShown;

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultValue) override;
    std::optional<QString> openFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& folder,
                                        const QString& filter, int* filterIndex) override;
    // Answered from the file answers.
    std::optional<QString> folderName(const QString& title, const QString& folder) override;

    int execDialog(QDialog& dialog) override;

    const std::vector<Shown>& shown() const { return shown_; }
    QStringList texts() const;
    void clear() { shown_.clear(); }

private:
    void record(Shown shown);

    struct FileAnswer {
        std::optional<QString> path;
        int filterIndex = 0;
    };
    FileAnswer nextFile();

    std::vector<Shown> shown_;
    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> inputs_;
    std::deque<FileAnswer> files_;
    std::deque<std::function<int(QDialog&)>> dialogs_;
};

}  // namespace palvenor::test
