#include "BookOcrChecks.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace palvenor::test {

ToolRun runProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(600000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

QString programOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList longWords(const QString& text) {
    QStringList words;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("[^\\w]+")), Qt::SkipEmptyParts))
        if (word.size() >= 4) words << word;
    return words;
}

double shareFound(const QStringList& words, const QString& text) {
    const auto found = std::count_if(words.begin(), words.end(), [&](const QString& word) { return text.contains(word); });
    return words.isEmpty() ? 0 : double(found) / double(words.size());
}

QString pdfPageText(const QString& pdf, int k) {
    return programOutput(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(k), QStringLiteral("-l"),
                                                       QString::number(k), pdf, QStringLiteral("-")});
}

ToolRun validateAlto(const QString& schema, const QStringList& files) {
    return runProgram(QStringLiteral("xmllint"), QStringList{QStringLiteral("--noout"), QStringLiteral("--schema"), schema} + files);
}

}  // namespace palvenor::test
