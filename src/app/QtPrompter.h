#pragma once

#include "Prompter.h"

class QWidget;

namespace palvenor {

// Asks the user with real Qt dialogs.
class QtPrompter : public Prompter {
public:
    void setParentWindow(QWidget* parent) { parent_ = parent; }

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultValue) override;
    std::optional<QString> openFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& folder,
                                        const QString& filter, int* filterIndex) override;
    int execDialog(QDialog& dialog) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace palvenor
