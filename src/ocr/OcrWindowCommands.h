#pragma once

#include <QString>

namespace palvenor {
class Prompter;
}

namespace palvenor::ocr {

class frmOCR;

// What the menus and buttons of the OCR window do. The format toggles
// change the program's format options first, then ask before edited text
// is replaced and format the last results anew.
class OcrWindowCommands {
public:
    OcrWindowCommands(frmOCR& window, Prompter& prompter);

    void letterMode();
    void wordMode();
    void toggleLeftMargin();
    void toggleBlankLines();
    void toggleParagraphs();
    void toggleBrackets();
    void toggleNumberWords();
    void toggleLexicon();
    void askThreshold();
    // The engine's processing options for the jobs to come.
    void editProcessOptions();

    void saveText();
    void chooseFont();
    void copyText();
    // "&Schließen": copies the text, then unloads the window.
    void closeWindow();
    // Unloads the window; the text goes with it.
    void unloadWindow();
    void hideWindow();
    void newText();
    void appendText();
    // The male and female signs, inserted at the caret.
    void insertMaleSymbol();
    void insertFemaleSymbol();
    void showHelp();
    void showAbout();

    // The threshold entry's caption with the present threshold in percent.
    static QString thresholdCaption();

private:
    // False when the user declines to lose the edited text.
    bool confirmReplace();
    void reformatConfirmed();
    // The text as UTF-8, replacing any file at path as a book is replaced.
    bool writeText(const QString& path);
    void insertSymbol(QChar symbol);

    frmOCR& window_;
    Prompter& prompter_;
};

inline constexpr QChar kMaleSymbol = QChar(0x2642);
inline constexpr QChar kFemaleSymbol = QChar(0x2640);

}  // namespace palvenor::ocr
