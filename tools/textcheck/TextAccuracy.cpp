#include "TextAccuracy.h"

#include "Cp1252.h"
#include "OcrRecords.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <numeric>
#include <vector>

namespace palvenor::textcheck {

QString textOf(const ocr::Results& results) {
    QString text;
    for (const ocr::ResultsItem& item : results.items) {
        const char32_t character = item.OCRCha == ocr::kLineEnd ? U'\n' : ocr::fromCp1252(uint8_t(item.OCRCha));
        text += QString::fromUcs4(&character, 1);
    }
    return text.trimmed();
}

int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    std::iota(row.begin(), row.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[size_t(j)];
            row[size_t(j)] = std::min({substitution, row[size_t(j)] + 1, row[size_t(j - 1)] + 1});
        }
    }
    return row[size_t(b.size())];
}

QString normalised(const QString& text) {
    QStringList lines;
    for (const QString& line : QString(text).remove(QLatin1Char('\f')).split(QLatin1Char('\n')))
        if (!line.simplified().isEmpty()) lines << line.simplified();
    return lines.join(QLatin1Char('\n'));
}

double characterErrorRate(const QString& recognised, const QString& truth) {
    const QString expected = normalised(truth);
    if (expected.isEmpty()) return recognised.trimmed().isEmpty() ? 0.0 : 1.0;
    return double(editDistance(normalised(recognised), expected)) / double(expected.size());
}

QString runningText(const QString& text) {
    static const std::pair<QString, QString> kForms[] = {
        {QStringLiteral("ſ"), QStringLiteral("s")},  {QStringLiteral("ꝛ"), QStringLiteral("r")},
        {QStringLiteral("⸗"), QStringLiteral("-")},  {QStringLiteral("ﬀ"), QStringLiteral("ff")},
        {QStringLiteral("ﬁ"), QStringLiteral("fi")}, {QStringLiteral("ﬂ"), QStringLiteral("fl")},
        {QStringLiteral("„"), QStringLiteral("\"")}, {QStringLiteral("“"), QStringLiteral("\"")},
        {QStringLiteral("”"), QStringLiteral("\"")}, {QStringLiteral("«"), QStringLiteral("\"")},
        {QStringLiteral("»"), QStringLiteral("\"")}, {QStringLiteral("‚"), QStringLiteral("'")},
        {QStringLiteral("‘"), QStringLiteral("'")},  {QStringLiteral("’"), QStringLiteral("'")},
        {QStringLiteral("–"), QStringLiteral("-")},  {QStringLiteral("—"), QStringLiteral("-")},
        {QStringLiteral("a\u0364"), QStringLiteral("ä")}, {QStringLiteral("o\u0364"), QStringLiteral("ö")},
        {QStringLiteral("u\u0364"), QStringLiteral("ü")}, {QStringLiteral("A\u0364"), QStringLiteral("Ä")},
        {QStringLiteral("O\u0364"), QStringLiteral("Ö")}, {QStringLiteral("U\u0364"), QStringLiteral("Ü")},
    };
    static const QRegularExpression dividedWord(QStringLiteral("(\\w)-[ \\t]*\\r?\\n\\s*(?=[a-zäöüß])"));
    QString running = text.normalized(QString::NormalizationForm_C);
    for (const auto& [historic, today] : kForms) running.replace(historic, today);
    running.replace(dividedWord, QStringLiteral("\\1"));
    return running.simplified();
}

double runningTextErrorRate(const QString& recognised, const QString& truth) {
    const QString expected = runningText(truth);
    if (expected.isEmpty()) return recognised.trimmed().isEmpty() ? 0.0 : 1.0;
    return double(editDistance(runningText(recognised), expected)) / double(expected.size());
}

}  // namespace palvenor::textcheck
