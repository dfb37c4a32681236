#pragma once

// Timing, sample books and process helpers for palvenor-bench.

#include "Prompter.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <stdexcept>

class QWidget;
typedef struct tiff TIFF;

namespace palvenor::imaging {
struct ImagingError;
class oleImgEdit;
}  // namespace palvenor::imaging

namespace palvenor::bench {

// Prints one figure as the bench prints every figure: "NAME: VALUE".
void printFigure(const std::string& name, double value);
inline void printFigure(const QString& name, double value)
{
    printFigure(name.toStdString(), value);
}
inline void printFigure(const char* name, double value)
{
    printFigure(std::string(name), value);
}

// A step of the bench that could not be done; the run stops with its text.
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A run that asks nothing: a question stops the bench with its text.
class NoQuestions : public Prompter {
public:
    explicit NoQuestions(const char* run) : run_(run) {}
    Answer message(const QString& text, const QString&, Buttons, Icon) override { fail(text); }
    std::optional<QString> input(const QString& prompt, const QString&, const QString&) override { fail(prompt); }
    std::optional<QString> openFileName(const QString& title, const QString&, const QString&) override {
        fail(title);
    }
    std::optional<QString> saveFileName(const QString& title, const QString&, const QString&, int*) override {
        fail(title);
    }
    std::optional<QString> folderName(const QString& title, const QString&) override { fail(title); }
    int execDialog(QDialog&) override { fail(QStringLiteral("a dialog")); }

private:
    [[noreturn]] void fail(const QString& question) const {
        throw BenchFailure(std::string(run_) + " asked: " + question.toStdString());
    }
    const char* run_;
};

// BenchFailure naming the step unless error is ok.
void check(const imaging::ImagingError& error, const char* step);

// Decodes directory `index` of an open libtiff handle strip by strip.
void libtiffDecodePage(TIFF* tif, int index);

// Paints a widget as the screen would, whether or not a screen shows it.
void paint(QWidget& widget);

// Shows a page in the page view and paints it.
void showPage(imaging::oleImgEdit& view, int page);

// Shortest wall time of `runs` runs of work, in milliseconds. prepare runs
// untimed before each run.
double bestOfMs(int runs, const std::function<void()>& work, const std::function<void()>& prepare = {});

// Largest resident set of this process so far, in MiB.
double peakRssMiB();

// Runs a program to its end; BenchFailure if it fails.
void runProgram(const QString& program, const QStringList& arguments);

// Copies a file over any file at target; BenchFailure if it fails.
void copyFile(const QString& source, const QString& target);

// The books the figures work on, made by the sample book generator into a
// folder that goes when the run ends.
class SampleBooks {
public:
    explicit SampleBooks(int pages);

    QString longBook() const { return longBook_; }  // `pages` black-and-white pages
    QString onePage() const { return onePage_; }    // a page of another book
    // A path in the folder for a result or a scratch copy.
    QString path(const QString& name) const { return folder_.filePath(name); }

private:
    QTemporaryDir folder_;
    QString longBook_;
    QString onePage_;
};

}  // namespace palvenor::bench
