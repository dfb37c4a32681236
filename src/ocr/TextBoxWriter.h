#pragma once

// Writes a formatting run into the text box at its caret, each piece in
// black or red, as one step of the box's undo history.

#include <QTextCharFormat>
#include <QTextCursor>

class QString;
class QTextEdit;

namespace palvenor::ocr {

class TextBoxWriter {
public:
    // Starts the run: behind the box's text after a line break when
    // appending, else in the emptied box.
    TextBoxWriter(QTextEdit& box, bool append);
    // Ends the run with the box's caret behind the written text, where
    // typing goes on in black.
    ~TextBoxWriter();
    TextBoxWriter(const TextBoxWriter&) = delete;
    TextBoxWriter& operator=(const TextBoxWriter&) = delete;

    void write(const QString& text);
    void writeRed(const QString& text);
    void lineBreak();
    // Removes a line break that ends the box's whole text.
    void removeTrailingLineBreak();

private:
    QTextEdit& box_;
    QTextCursor caret_;
    QTextCharFormat black_;
    QTextCharFormat red_;
};

}  // namespace palvenor::ocr
