#pragma once

#include <QString>

class QDialog;

#include <optional>

namespace palvenor {

// Every question the program puts to the user goes through a Prompter: the
// Qt implementation shows real dialogs, tests script the answers.
class Prompter {
public:
    enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
    enum class Icon { None, Information, Question, Exclamation, Critical };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompter() = default;

    virtual Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultValue) = 0;
    // filter in Qt's "Beschreibung (*.tif *.tiff);;..." form; nullopt when cancelled.
    virtual std::optional<QString> openFileName(const QString& title, const QString& folder,
                                                const QString& filter) = 0;
    virtual std::optional<QString> saveFileName(const QString& title, const QString& folder,
                                                const QString& filter, int* filterIndex) = 0;
    // An existing folder, or one the user makes in the dialog; nullopt when cancelled.
    virtual std::optional<QString> folderName(const QString& title, const QString& folder) = 0;

    // Shows a modal dialog and returns its result code (QDialog::Accepted
    // or Rejected); a test plays the user's part on the dialog instead.
    virtual int execDialog(QDialog& dialog) = 0;

    // Shorthands for the common boxes.
    void inform(const QString& text, const QString& title) {
        message(text, title, Buttons::Ok, Icon::Information);
    }
    void critical(const QString& text, const QString& title) {
        message(text, title, Buttons::Ok, Icon::Critical);
    }
};

// The application title shown on message boxes.
inline const QString kAppTitle = QStringLiteral("Palvenor");

}  // namespace palvenor
