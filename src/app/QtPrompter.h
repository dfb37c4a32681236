#pragma once

#include "Prompter.h"

class QWidget;

namespace palvenor {

// Asks the user with real Qt dialogs. A box belongs to the window the user
// is working in, so it stays in front of that window even when the window
// is kept above all others, as the OCR window is.
class QtPrompter : public Prompter {
public:
    // The owner of the boxes while none of the program's windows is active.
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    QWidget* owner() const;

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultValue) override;
    std::optional<QString> openFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& folder,
                                        const QString& filter, int* filterIndex) override;
    std::optional<QString> folderName(const QString& title, const QString& folder) override;
    int execDialog(QDialog& dialog) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace palvenor
