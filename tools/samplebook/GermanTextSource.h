#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <random>

// Produces deterministic German-looking prose: sentences of dictionary words
// held together by common short words, with commas and sentence ends.
class GermanTextSource {
public:
    // contentWords may be empty; the built-in word list is used then.
    GermanTextSource(std::uint32_t seed, QStringList contentWords);

    // Reads a word list (one word a line, UTF-8) and keeps the plain words of
    // 3 to 10 letters, which set well on a narrow page. Returns an empty list
    // if the file is missing.
    static QStringList loadWordList(const QString& path);

    static QStringList builtInWords();

    // One paragraph as a sequence of words, punctuation attached.
    QStringList nextParagraph();

private:
    int below(int bound); // uniform-ish in [0, bound)
    bool chance(int percent);
    QString nextWord();
    void appendSentence(QStringList& words);

    std::mt19937 m_random;
    QStringList m_contentWords;
};
