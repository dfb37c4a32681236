#include "ToolAttributes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QListWidget>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

namespace palvenor::imaging {

namespace {

const std::pair<const char*, QRgb> kColours[] = {
    {"Schwarz", 0x000000}, {"Rot", 0xd00000},     {"Grün", 0x008000},    {"Blau", 0x0000e0},
    {"Gelb", 0xffff00},    {"Hellgelb", 0xffff99}, {"Orange", 0xff8000},  {"Cyan", 0x00c0c0},
    {"Magenta", 0xc000c0}, {"Grau", 0x808080},     {"Weiß", 0xffffff},
};

const char* const kStamps[] = {"GENEHMIGT", "ABGELEHNT", "ENTWURF", "GEPRÜFT", "ERLEDIGT", "VERTRAULICH", "KOPIE"};

QFont fontOf(int points, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

bool drawsLines(int tool) { return tool >= FreehandTool && tool <= FrameTool; }
bool writesText(int tool) { return tool >= TextTool && tool <= StampTool; }

QPixmap swatch(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return pixmap;
}

}  // namespace

ToolAttributes defaultAttributes(int tool) {
    switch (tool) {
    case FreehandTool: return {QColor(0x0000e0), 6, {}, {}};
    case HighlighterTool: return {QColor(Qt::yellow), 40, {}, {}};
    case LineTool: return {QColor(0xd00000), 6, {}, {}};
    case FrameTool: return {QColor(0xd00000), 6, {}, {}};
    case AreaTool: return {QColor(0x808080), 0, {}, {}};
    case TextTool:
    case FileTextTool: return {QColor(Qt::black), 0, fontOf(12, false), {}};
    case NoteTool: return {QColor(Qt::black), 0, fontOf(10, false), QColor(0xffff99)};
    case StampTool: return {QColor(0xd00000), 6, fontOf(20, true), {}};
    default: return {};
    }
}

QString toolName(int tool) {
    switch (tool) {
    case FreehandTool: return QStringLiteral("Freihandlinie");
    case HighlighterTool: return QStringLiteral("Textmarker");
    case LineTool: return QStringLiteral("Gerade Linie");
    case FrameTool: return QStringLiteral("Rahmen");
    case AreaTool: return QStringLiteral("Fläche");
    case TextTool: return QStringLiteral("Text");
    case NoteTool: return QStringLiteral("Notiz");
    case FileTextTool: return QStringLiteral("Text aus Datei");
    case StampTool: return QStringLiteral("Stempel");
    default: return {};
    }
}

ToolAttributesDialog::ToolAttributesDialog(int tool, const ToolAttributes& attributes, QWidget* parent)
    : QDialog(parent), attributes_(attributes) {
    setWindowTitle(QStringLiteral("Eigenschaften: ") + toolName(tool));
    auto* form = new QFormLayout;
    form->addRow(writesText(tool) ? QStringLiteral("Schriftfarbe:") : QStringLiteral("Farbe:"),
                 colour_ = addColourBox("farbe", attributes.colour));
    if (tool == NoteTool)
        form->addRow(QStringLiteral("Hintergrund:"), background_ = addColourBox("hintergrund", attributes.background));
    if (drawsLines(tool)) {
        width_ = new QSpinBox;
        width_->setObjectName(QStringLiteral("breite"));
        width_->setRange(1, 200);
        width_->setValue(attributes.lineWidth);
        form->addRow(QStringLiteral("Linienbreite (Bildpunkte):"), width_);
    }
    if (writesText(tool)) {
        family_ = new QFontComboBox;
        family_->setObjectName(QStringLiteral("schrift"));
        family_->setCurrentFont(attributes.font);
        size_ = new QSpinBox;
        size_->setObjectName(QStringLiteral("groesse"));
        size_->setRange(4, 144);
        size_->setValue(attributes.font.pointSize());
        bold_ = new QCheckBox(QStringLiteral("&Fett"));
        bold_->setObjectName(QStringLiteral("fett"));
        bold_->setChecked(attributes.font.bold());
        italic_ = new QCheckBox(QStringLiteral("&Kursiv"));
        italic_->setObjectName(QStringLiteral("kursiv"));
        italic_->setChecked(attributes.font.italic());
        form->addRow(QStringLiteral("Schrift:"), family_);
        form->addRow(QStringLiteral("Größe (Punkt):"), size_);
        form->addRow(bold_);
        form->addRow(italic_);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

// A list of named colours; a colour that is not among them is offered by its code.
QComboBox* ToolAttributesDialog::addColourBox(const char* name, const QColor& colour) {
    auto* box = new QComboBox;
    box->setObjectName(QString::fromUtf8(name));
    for (const auto& [caption, rgb] : kColours)
        box->addItem(swatch(QColor(rgb)), QString::fromUtf8(caption), QColor(rgb));
    int index = box->findData(colour);
    if (index < 0) {
        box->addItem(swatch(colour), colour.name(), colour);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
    return box;
}

ToolAttributes ToolAttributesDialog::attributes() const {
    ToolAttributes chosen = attributes_;
    chosen.colour = colour_->currentData().value<QColor>();
    if (background_) chosen.background = background_->currentData().value<QColor>();
    if (width_) chosen.lineWidth = width_->value();
    if (family_) {
        chosen.font = family_->currentFont();
        chosen.font.setPointSize(size_->value());
        chosen.font.setBold(bold_->isChecked());
        chosen.font.setItalic(italic_->isChecked());
    }
    return chosen;
}

StampDialog::StampDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Stempel wählen"));
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("stempel"));
    for (const char* stamp : kStamps) list_->addItem(QString::fromUtf8(stamp));
    list_->addItem(kDateStamp);
    list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

QString StampDialog::stamp() const {
    const QListWidgetItem* item = list_->currentItem();
    return item ? item->text() : QString();
}

}  // namespace palvenor::imaging
