#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QString>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QListWidget;
class QSpinBox;

namespace palvenor::imaging {

// The page view's tools, numbered as SelectTool takes them.
enum Tool : int {
    NoTool = 0,
    PointerTool = 1,
    FreehandTool = 2,
    HighlighterTool = 3,
    LineTool = 4,
    FrameTool = 5,
    AreaTool = 6,
    TextTool = 7,
    NoteTool = 8,
    FileTextTool = 9,
    StampTool = 10,  // chosen through ChooseStamp
};

// How a drawing tool draws.
struct ToolAttributes {
    QColor colour;
    int lineWidth = 0;  // page pixels; 0 for tools that draw no line
    QFont font;         // with its size in points
    QColor background;  // the slip of a note
};

ToolAttributes defaultAttributes(int tool);
QString toolName(int tool);

// The attribute dialog of one drawing tool: colour, and as the tool uses
// them line width, font and a note's background.
class ToolAttributesDialog : public QDialog {
    Q_OBJECT
public:
    ToolAttributesDialog(int tool, const ToolAttributes& attributes, QWidget* parent = nullptr);
    ToolAttributes attributes() const;

private:
    QComboBox* addColourBox(const char* name, const QColor& colour);

    ToolAttributes attributes_;
    QComboBox* colour_ = nullptr;
    QComboBox* background_ = nullptr;
    QSpinBox* width_ = nullptr;
    QFontComboBox* family_ = nullptr;
    QSpinBox* size_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
};

// The stamp chooser: one of the program's stamps.
class StampDialog : public QDialog {
    Q_OBJECT
public:
    explicit StampDialog(QWidget* parent = nullptr);
    // The chosen stamp's text; the date stamp reads "Datum" and shows the
    // day it is put on a page.
    QString stamp() const;

private:
    QListWidget* list_ = nullptr;
};

inline const QString kDateStamp = QStringLiteral("Datum");

}  // namespace palvenor::imaging
