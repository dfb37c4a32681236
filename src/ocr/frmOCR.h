#pragma once

#include "Lexicon.h"
#include "OcrRecords.h"
#include "OcrSettings.h"
#include "OcrWindowCommands.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMainWindow>

#include <functional>

class QAction;
class QMenu;
class QTextEdit;

namespace palvenor {
class Prompter;
}

namespace palvenor::ocr {

// How the formatter turns the recognised characters into text. The program
// keeps one set, `formatOptions`, stored in the settings section "Results".
struct FormatOptions {
    bool Format = true;          // word mode; false = letter mode
    bool CollapseY = false;      // a vertical gap yields one line break, not one per line step
    bool LeftMargin = true;      // reproduce horizontal positions and vertical gaps of the page
    float MinXSpaceFac = 1.6f;   // how wide a horizontal gap must be to be reproduced
    float MinYSpaceFac = 1.5f;   // how high a vertical gap must be to yield blank lines
    float Schwelle = 0.8f;       // characters of a lower confidence are shown in red
    bool Klammern = true;        // "[" and "{" become "(", "]" and "}" become ")"
    bool Absatz = true;          // merge lines into paragraphs, join words hyphenated at a line end
    bool Zahlwort = true;        // "3fach" becomes "3-fach"
    bool Lexikon = true;         // apply the user's abbreviation lexicon at the end
    float ResolutionFactor = 0;  // the page's dots per inch times 39, set by the OCR command
};

extern FormatOptions formatOptions;

// The OCR window: the recognised text in the rich text box RTF0, and the
// state the OCR job and the formatter share with it.
class frmOCR : public QMainWindow {
    Q_OBJECT
public:
    // Loads the settings from store; closing the window saves them there.
    // Without a place stored, the window opens beside the page, in the right
    // third of pageArea (in screen coordinates; empty: the primary screen).
    explicit frmOCR(Prompter& prompter, OcrSettingsStore store = OcrSettingsStore::userStore(),
                    const QRect& pageArea = QRect());

    // True: the next formatting run appends its text behind the present text
    // instead of replacing it, and a format toggle asks before it replaces
    // the text. Every edit of the user sets it; the program's own changes of
    // the text (changeTextByProgram) leave it as it is.
    bool AppendNext = false;
    // The results of the last job; re-formatting works on them again.
    Results lastResults;
    // Where ApplyLexicon looks for "Lexikon.txt".
    LexiconFolders lexiconFolders = LexiconFolders::standard();

    // The folder the settings name as the pictures' source, and the one
    // "&Speichern ..." starts in.
    QString sourceFolder = QCoreApplication::applicationDirPath();
    QString resultsFolder = sourceFolder;
    // The OCR command of the active book window, run by "&Neu" and "&Anfügen".
    std::function<void()> runOcrCommand;
    // The program's help page, which "&Inhalt" opens in the user's browser.
    QString helpFile = QCoreApplication::applicationDirPath() + QStringLiteral("/Hilfe.html");
    std::function<bool(const QUrl&)> openInBrowser = &QDesktopServices::openUrl;

    QTextEdit* RTF0;
    Prompter& prompter() const { return prompter_; }

    // Formats the last results anew with the program's format options,
    // replacing the text.
    void reformat();
    // Runs change, which edits the text on the program's behalf: it does not
    // count as an edit of the user.
    void changeTextByProgram(const std::function<void()>& change);
    // Sets the check marks and the threshold caption from the format options.
    void showFormatOptions();

    // Keeps the window above all other windows, or releases it; neither
    // moves, resizes nor activates it. The window becomes topmost whenever
    // it is activated.
    void setTopmost(bool topmost);
    bool isTopmost() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

signals:
    // The window is being unloaded; its settings are saved right after.
    void unloading();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Typing starts in black, also behind a word marked in red.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteTextChanged();
    void makeFileMenu();
    void makeOptionsMenu();
    void makeFormatMenu(QMenu* options);
    void makeHelpMenu();
    void makePopupMenu();
    void placeBeside(QRect pageArea);
    QWidget* makeButtonColumn();
    QAction* addCommand(QMenu* menu, const QString& name, const QString& caption,
                        void (OcrWindowCommands::*command)());
    QAction* addToggle(QMenu* menu, const QString& name, const QString& caption,
                       void (OcrWindowCommands::*command)());

    Prompter& prompter_;
    OcrSettingsStore store_;
    OcrWindowCommands commands_;
    bool programChange_ = false;
    QAction* mnuBuchstaben_ = nullptr;
    QAction* mnuWort_ = nullptr;
    QAction* mnuRand_ = nullptr;
    QAction* mnuZeilen_ = nullptr;
    QAction* mnuAbsatz_ = nullptr;
    QAction* mnuKlammern_ = nullptr;
    QAction* mnuZahlwort_ = nullptr;
    QAction* mnuLex_ = nullptr;
    QAction* mnuSchwelle_ = nullptr;
};

}  // namespace palvenor::ocr
