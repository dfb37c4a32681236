#include "TextBoxWriter.h"

#include <QString>
#include <QTextDocument>
#include <QTextEdit>

namespace palvenor::ocr {

namespace {

QTextCharFormat coloured(const QColor& colour) {
    QTextCharFormat format;
    format.setForeground(colour);
    return format;
}

}  // namespace

TextBoxWriter::TextBoxWriter(QTextEdit& box, bool append)
    : box_(box), caret_(box.document()), black_(coloured(Qt::black)), red_(coloured(Qt::red)) {
    caret_.beginEditBlock();
    if (append) {
        caret_.movePosition(QTextCursor::End);
        lineBreak();
    } else {
        caret_.select(QTextCursor::Document);
        caret_.removeSelectedText();
    }
}

TextBoxWriter::~TextBoxWriter() {
    caret_.endEditBlock();
    caret_.setCharFormat(black_);
    box_.setTextCursor(caret_);
}

void TextBoxWriter::write(const QString& text) { caret_.insertText(text, black_); }

void TextBoxWriter::writeRed(const QString& text) { caret_.insertText(text, red_); }

void TextBoxWriter::lineBreak() { write(QStringLiteral("\n")); }

void TextBoxWriter::removeTrailingLineBreak() {
    const QTextDocument& document = *box_.document();
    // The last character of a document is always the separator that ends
    // its last block; a line break at the end is the one before it.
    const int lastBreak = document.characterCount() - 2;
    if (lastBreak < 0 || document.characterAt(lastBreak) != QChar::ParagraphSeparator) return;
    caret_.movePosition(QTextCursor::End);
    caret_.deletePreviousChar();
}

}  // namespace palvenor::ocr
