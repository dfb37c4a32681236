#pragma once

// Reading back what a recognised book was saved as: the text of a PDF's
// pages, ALTO files against the schema, the share of true words found.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace palvenor::test {

struct ToolRun {
    int exitCode = -1;  // -1 when the program crashed or did not end
    QString err;
};

ToolRun runProgram(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
// What the program writes on standard output.
QString programOutput(const QString& program, const QStringList& arguments);
QByteArray readAll(const QString& path);

// The words of four letters and more of a text, without punctuation.
QStringList longWords(const QString& text);
// The share of words that occur in text.
double shareFound(const QStringList& words, const QString& text);

// The text pdftotext takes from page k of a PDF.
QString pdfPageText(const QString& pdf, int k);
// xmllint's check of ALTO files against the schema file.
ToolRun validateAlto(const QString& schema, const QStringList& files);

}  // namespace palvenor::test
