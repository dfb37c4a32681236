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

// A text as running text, so that a text kept in its printed lines and one
// merged into paragraphs compare alike: historic letter forms as today's
// ("ſ" as "s", "aͤ" as "ä", "⸗" as "-", ligatures as their letters),
// quotation marks and dashes in one form each, words divided at a line end
// joined, and every run of blanks and line ends one space.
QString runningText(const QString& text);

// Edit distance of the texts as running text per character of the true text.
double runningTextErrorRate(const QString& recognised, const QString& truth);

}  // namespace palvenor::textcheck
