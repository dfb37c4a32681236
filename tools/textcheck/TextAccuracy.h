#pragma once

// The recognised text and how close it comes to the true text of a sample
// page, for the recognition tests and benchmarks.

#include <QString>

namespace palvenor::ocr {
struct Results;
}

namespace palvenor::textcheck {

// The characters of a results block as text: a line end becomes "\n";
// blanks around the whole text are cut.
QString textOf(const ocr::Results& results);

// The fewest single-character insertions, deletions and substitutions that
// turn a into b.
int editDistance(const QString& a, const QString& b);

// Text lines without blank lines, page feeds or surrounding blanks, so that
// texts that mark paragraphs differently compare alike.
QString normalised(const QString& text);

// Edit distance of the normalised texts per character of the true text.
double characterErrorRate(const QString& recognised, const QString& truth);

}  // namespace palvenor::textcheck
