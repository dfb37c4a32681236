#pragma once

// Timing, sample books and process helpers for palvenor-bench.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <stdexcept>

namespace palvenor::bench {

// A step of the bench that could not be done; the run stops with its text.
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

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
