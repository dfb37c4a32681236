#pragma once

#include "CharacterGrid.h"
#include "OcrRecords.h"

#include <QDialog>

#include <vector>

class QButtonGroup;
class QComboBox;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace palvenor::ocr {

class CharacterGridView;

// The processing options of the OCR engine: eleven switches, the page
// orientation, the language and the characters the engine may produce. The dialog edits
// a copy of the configured job; "OK" hands the copy back, "Abbrechen"
// leaves the configured job as it was.
class frmProcessOptions : public QDialog {
public:
    explicit frmProcessOptions(JobInfo& configured, QWidget* parent = nullptr);

private:
    struct GroupBox {
        QCheckBox* box;
        CodeRanges ranges;
    };

    QWidget* makeSwitches();
    QWidget* makeOrientation();
    QWidget* makeLanguage();
    QWidget* makeGroupBoxes();
    QWidget* makeCharacters();
    QWidget* makeButtons();

    void showOptions();
    void showGroupStates();
    void applyGroup(const CodeRanges& ranges, int checkState);
    void showBigCharacter(int code);
    void hideBigCharacter();
    void toggleCharacter(int code);
    void resetToFactory();
    void handBack();

    JobInfo& configured_;
    JobInfo job_;
    // Set while the dialog sets its own controls: the group boxes then do
    // not act on their changes.
    bool updating_ = false;
    std::vector<QCheckBox*> switches_;
    QButtonGroup* orientation_ = nullptr;
    QComboBox* language_ = nullptr;
    std::vector<GroupBox> groups_;
    CharacterGridView* picCharacters_ = nullptr;
    QLabel* picBigChar_ = nullptr;
    QLineEdit* txtCharNo_ = nullptr;
};

}  // namespace palvenor::ocr
