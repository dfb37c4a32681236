#include "frmProcessOptions.h"

#include "CharacterGridView.h"
#include "Cp1252.h"
#include "OcrSettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace palvenor::ocr {

namespace {

struct Switch {
    const char* name;
    const char* caption;
    const char* toolTip;
    int16_t ProcessOptions::*field;
    bool checkedMeans;     // the field's value while the box is checked
    bool factoryChecked;   // the box after "Zurücksetzen"
};

const Switch kSwitches[] = {
    {"chkInvertWholePage", "Seite &Invertieren", "Invert whole page  before processing",
     &ProcessOptions::InvertWholePage, true, false},
    {"chkDeskew", "&Geraderichten", "Deskew the page before processing", &ProcessOptions::DeskewOff, false, true},
    {"chkNoiseRemove", "&Rauschunterdrückung", "Remove noise before processing", &ProcessOptions::NoiseRemoveOff,
     false, true},
    {"chkLineRemove", "&Leerzeilen entfernen", "Remove lines and underlines before processing",
     &ProcessOptions::LineRemoveOff, false, true},
    {"chkDeshade", "Schatten entfernen", "Remove shading before processing", &ProcessOptions::DeshadeOff, false,
     true},
    {"chkInvert", "&Zonen invertieren", "Invert individual zones (as required) before processing",
     &ProcessOptions::InvertOff, false, true},
    {"chkSectioning", "Seite &aufteilen", "Section page into \"read order\"", &ProcessOptions::SectioningOn, true,
     false},
    {"chkMergeBreak", "&Verbinde/Trenne Zeichen", "Merge broken characters and break joined characters",
     &ProcessOptions::MergeBreakOff, false, true},
    {"chkLineReject", "&Unsinnige Zeilen löschen", "Reject lines of rubbish after processing",
     &ProcessOptions::LineRejectOff, false, true},
    {"chkCharacterReject", "Unsinnige Zeichen &löschen", "Reject poorly recognised characters after processing",
     &ProcessOptions::CharacterRejectOff, false, true},
    {"chkLex", "Le&xikon verwenden", "Use lexicon to improve character recognition", &ProcessOptions::LexOff,
     false, true},
};

struct Rotation {
    const char* caption;
    const char* toolTip;
    int orientation;
};

const Rotation kRotations[] = {
    {"&Automatisch", "Detect and rotate automaticallly", kDetectOrientation},
    {"&Nicht drehen", "Never rotate", kNeverRotate},
    {"Drehen +&90°", "Rotate the image 90° before processing", 1},
    {"Drehen +&180°", "Rotate the image 180° before processing", 2},
    {"Drehen +&270°", "Rotate the image 270° before processing", 3},
};

struct Group {
    const char* name;
    const char* caption;
    const char* toolTip;
    CodeRanges ranges;
};

// "Alle Zeichen" comes first: the other boxes follow its state.
const Group kGroups[] = {
    {"chkEnableAll", "Alle Zeichen", "Enable all characters", {{0, 255}}},
    {"chkEnableLwcAlpha", "Kleinbuchstaben", "Enable lowercase alphabetic characters", {{'a', 'z'}}},
    {"chkEnableUpcAlpha", "Großbuchstaben", "Enable uppercase alphabetic characters", {{'A', 'Z'}}},
    {"chkEnableNumeric", "Ziffern", "Enable numeric characters", {{'0', '9'}}},
    {"chkEnableLwcAccent", "Akzente klein", "Enable lowercase accented characters",
     {{154, 158}, {224, 246}, {248, 255}}},
    {"chkEnableUpcAccent", "Akzente groß", "Enable uppercase accented characters",
     {{138, 142}, {159, 159}, {192, 214}, {216, 223}}},
};

// A group box: a click on a grayed box checks it, as on an unchecked one.
class GroupCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

Qt::CheckState toCheckState(GroupState state) {
    switch (state) {
    case GroupState::Unchecked: return Qt::Unchecked;
    case GroupState::Checked: return Qt::Checked;
    case GroupState::Grayed: break;
    }
    return Qt::PartiallyChecked;
}

template <typename Button>
Button* named(Button* button, const char* name, const char* toolTip) {
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromUtf8(toolTip));
    return button;
}

}  // namespace

frmProcessOptions::frmProcessOptions(JobInfo& configured, QWidget* parent)
    : QDialog(parent), configured_(configured), job_(configured) {
    setObjectName(QStringLiteral("frmProcessOptions"));
    setWindowTitle(QStringLiteral("OCR Optionen"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(makeSwitches(), 0, 0);
    auto* middle = new QVBoxLayout;
    middle->addWidget(makeOrientation());
    middle->addWidget(makeLanguage());
    layout->addLayout(middle, 0, 1);
    layout->addWidget(makeGroupBoxes(), 0, 2);
    layout->addWidget(makeCharacters(), 1, 0, 1, 3);
    layout->addWidget(makeButtons(), 2, 0, 1, 3);
    showOptions();
}

QWidget* frmProcessOptions::makeSwitches() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    for (const Switch& option : kSwitches) {
        auto* box = named(new QCheckBox(QString::fromUtf8(option.caption)), option.name, option.toolTip);
        connect(box, &QCheckBox::toggled, this, [this, &option](bool checked) {
            job_.Options.*option.field = checked == option.checkedMeans ? kOcrTrue : kOcrFalse;
        });
        layout->addWidget(box);
        switches_.push_back(box);
    }
    layout->addStretch();
    return column;
}

QWidget* frmProcessOptions::makeOrientation() {
    auto* frame = new QGroupBox(QStringLiteral("&Orientierung"));
    frame->setToolTip(QStringLiteral("Rotate the image before processing"));
    auto* layout = new QVBoxLayout(frame);
    orientation_ = new QButtonGroup(this);
    int index = 0;
    for (const Rotation& rotation : kRotations) {
        const QByteArray name = "optRotate" + QByteArray::number(index++);
        auto* button = named(new QRadioButton(QString::fromUtf8(rotation.caption)), name.constData(),
                             rotation.toolTip);
        orientation_->addButton(button, rotation.orientation);
        layout->addWidget(button);
    }
    connect(orientation_, &QButtonGroup::idToggled, this, [this](int orientation, bool checked) {
        if (checked) job_.Options.Orientation = uint8_t(orientation);
    });
    layout->addStretch();
    return frame;
}

QWidget* frmProcessOptions::makeLanguage() {
    auto* frame = new QGroupBox(QStringLiteral("&Sprache"));
    frame->setToolTip(QStringLiteral("Language model the text is read with"));
    language_ = new QComboBox;
    language_->setObjectName(QStringLiteral("cboSprache"));
    for (const LanguageChoice& choice : kLanguageChoices)
        language_->addItem(QString::fromUtf8(choice.name), int(choice.language));
    connect(language_, &QComboBox::currentIndexChanged, this,
            [this](int index) { job_.Options.Language = uint8_t(language_->itemData(index).toInt()); });
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(language_);
    return frame;
}

QWidget* frmProcessOptions::makeGroupBoxes() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    for (const Group& group : kGroups) {
        auto* box = named(new GroupCheckBox(QString::fromUtf8(group.caption)), group.name, group.toolTip);
        box->setTristate(true);
        connect(box, &QCheckBox::stateChanged, this,
                [this, &group](int state) { applyGroup(group.ranges, state); });
        layout->addWidget(box);
        groups_.push_back({box, group.ranges});
    }
    layout->addStretch();
    return column;
}

QWidget* frmProcessOptions::makeCharacters() {
    auto* area = new QWidget;
    auto* layout = new QVBoxLayout(area);
    auto* label = new QLabel(QStringLiteral("Erkennbare Zeichen"));
    label->setToolTip(QStringLiteral("Disable characters for recognition"));
    picCharacters_ = new CharacterGridView(job_.Options.DisableCharacter);
    picCharacters_->setObjectName(QStringLiteral("picCharacters"));
    picCharacters_->setToolTip(QStringLiteral("Left click to see the character and right click to toggle disable"));
    picCharacters_->leftPressed = [this](int code) { showBigCharacter(code); };
    picCharacters_->leftReleased = [this] { hideBigCharacter(); };
    picCharacters_->rightPressed = [this](int code) { toggleCharacter(code); };
    txtCharNo_ = new QLineEdit;
    txtCharNo_->setObjectName(QStringLiteral("txtCharNo"));
    txtCharNo_->setReadOnly(true);
    txtCharNo_->setMaximumWidth(60);
    QSizePolicy keepPlace = txtCharNo_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    txtCharNo_->setSizePolicy(keepPlace);
    txtCharNo_->hide();
    layout->addWidget(label);
    layout->addWidget(picCharacters_);
    layout->addWidget(txtCharNo_);

    picBigChar_ = new QLabel(this);
    picBigChar_->setObjectName(QStringLiteral("picBigChar"));
    picBigChar_->setFrameShape(QFrame::Box);
    picBigChar_->setAlignment(Qt::AlignCenter);
    picBigChar_->setAutoFillBackground(true);
    QFont big = picBigChar_->font();
    big.setPointSize(32);
    picBigChar_->setFont(big);
    picBigChar_->setFixedSize(64, 72);
    picBigChar_->hide();
    return area;
}

QWidget* frmProcessOptions::makeButtons() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    const auto addButton = [this, layout](const char* name, const QString& caption, auto run) {
        auto* button = new QPushButton(caption);
        button->setObjectName(QString::fromLatin1(name));
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, run);
        return button;
    };
    addButton("cmdReset", QStringLiteral("Zurücksetzen"), [this] { resetToFactory(); })
        ->setToolTip(QStringLiteral("Reset all options to factory defaults"));
    layout->addStretch();
    addButton("cmdOK", QStringLiteral("OK"), [this] { handBack(); })->setDefault(true);
    addButton("cmdCancel", QStringLiteral("Abbrechen"), [this] { reject(); });
    return row;
}

void frmProcessOptions::showOptions() {
    const QScopedValueRollback updating(updating_, true);
    for (size_t i = 0; i < switches_.size(); ++i) {
        const Switch& option = kSwitches[i];
        switches_[i]->setChecked(isSet(job_.Options.*option.field) == option.checkedMeans);
    }
    if (QAbstractButton* rotation = orientation_->button(job_.Options.Orientation)) rotation->setChecked(true);
    if (const int index = language_->findData(int(job_.Options.Language)); index >= 0)
        language_->setCurrentIndex(index);
    picCharacters_->update();
    showGroupStates();
}

// The boxes follow "Alle Zeichen" while it is checked or unchecked; while
// it is grayed each shows its own group. Only the groups holding a code
// switched in the grid can change their state, so recomputing all of them
// after such a switch gives the same picture.
void frmProcessOptions::showGroupStates() {
    const QScopedValueRollback updating(updating_, true);
    const DisabledCharacters& disabled = job_.Options.DisableCharacter;
    const GroupState all = groupState(groups_.front().ranges, disabled);
    for (const GroupBox& group : groups_)
        group.box->setCheckState(toCheckState(all == GroupState::Grayed ? groupState(group.ranges, disabled) : all));
}

void frmProcessOptions::applyGroup(const CodeRanges& ranges, int checkState) {
    if (updating_) return;
    setGroupEnabled(ranges, checkState == Qt::Checked, job_.Options.DisableCharacter);
    picCharacters_->update();
    showGroupStates();
}

void frmProcessOptions::showBigCharacter(int code) {
    const QRect cell = picCharacters_->grid().cellOf(code);
    const char32_t character = fromCp1252(uint8_t(code));
    picBigChar_->setText(QString::fromUcs4(&character, 1));
    picBigChar_->move(picCharacters_->mapTo(this, cell.topRight() + QPoint(4, 0)));
    picBigChar_->raise();
    picBigChar_->show();
    txtCharNo_->setText(QString::number(code));
    txtCharNo_->show();
    picCharacters_->setCursor(Qt::BlankCursor);
}

void frmProcessOptions::hideBigCharacter() {
    picBigChar_->hide();
    txtCharNo_->hide();
    picCharacters_->unsetCursor();
}

void frmProcessOptions::toggleCharacter(int code) {
    int16_t& flag = job_.Options.DisableCharacter[code];
    flag = isSet(flag) ? kOcrFalse : kOcrTrue;
    picCharacters_->updateCell(code);
    showGroupStates();
}

void frmProcessOptions::resetToFactory() {
    setGroupEnabled(groups_.front().ranges, true, job_.Options.DisableCharacter);
    orientation_->button(kDetectOrientation)->setChecked(true);
    language_->setCurrentIndex(language_->findData(int(OcrLanguage::Automatic)));
    for (size_t i = 0; i < switches_.size(); ++i) switches_[i]->setChecked(kSwitches[i].factoryChecked);
    picCharacters_->update();
    showGroupStates();
}

void frmProcessOptions::handBack() {
    configured_ = job_;
    accept();
}

}  // namespace palvenor::ocr
