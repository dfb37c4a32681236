// palvenor-ocr: recognises a book from the command line, without a display.

#include "OcrCommand.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    // The formatter lays text out in a text box; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Batch jobs, over ssh too, often run without a runtime folder, which
    // the platform plugin would complain of on standard error.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    QTextStream err(stderr);
    return palvenor::ocr::runOcrCommand(arguments, err);
}
