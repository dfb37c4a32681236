#include "ScanDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

namespace palvenor::acquire {

namespace {

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QComboBox* choice(const char* name, const QStringList& items, const QString& current) {
    auto* box = new QComboBox;
    box->setObjectName(QString::fromUtf8(name));
    box->addItems(items);
    box->setCurrentText(current);
    box->setEnabled(!items.isEmpty());
    return box;
}

}  // namespace

SourceDialog::SourceDialog(const QList<ScannerDevice>& devices, const QString& current, QWidget* parent)
    : QDialog(parent), list_(new QListWidget) {
    setWindowTitle(QStringLiteral("Twain-Quelle wählen"));
    list_->setObjectName(QStringLiteral("lstQuelle"));
    for (const ScannerDevice& device : devices) {
        auto* item = new QListWidgetItem(QStringLiteral("%1 – %2").arg(device.name, device.description), list_);
        item->setData(Qt::UserRole, device.name);
        if (device.name == current || list_->count() == 1) list_->setCurrentItem(item);
    }
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(okCancel(this));
}

QString SourceDialog::chosen() const {
    return list_->currentItem() ? list_->currentItem()->data(Qt::UserRole).toString() : QString();
}

ScanSettingsDialog::ScanSettingsDialog(const ScanSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(QStringLiteral("Scanner-Einstellungen"));
    resolution_ = new QSpinBox;
    resolution_->setObjectName(QStringLiteral("txtAufloesung"));
    resolution_->setRange(settings.minResolution, settings.maxResolution);
    resolution_->setValue(settings.resolution);
    resolution_->setSuffix(QStringLiteral(" dpi"));
    resolution_->setEnabled(settings.maxResolution > 0);
    mode_ = choice("cboModus", settings.modes, settings.mode);
    source_ = choice("cboVorlage", settings.sources, settings.source);
    const QRectF& area = settings.area;
    left_ = millimetres("txtLinks", area.left(), settings.maxArea.width());
    top_ = millimetres("txtOben", area.top(), settings.maxArea.height());
    width_ = millimetres("txtBreite", area.width(), settings.maxArea.width());
    height_ = millimetres("txtHoehe", area.height(), settings.maxArea.height());
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Auflösung:"), resolution_);
    form->addRow(QStringLiteral("&Modus:"), mode_);
    form->addRow(QStringLiteral("&Vorlage:"), source_);
    form->addRow(QStringLiteral("Bereich &links (mm):"), left_);
    form->addRow(QStringLiteral("Bereich &oben (mm):"), top_);
    form->addRow(QStringLiteral("&Breite (mm):"), width_);
    form->addRow(QStringLiteral("&Höhe (mm):"), height_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

QDoubleSpinBox* ScanSettingsDialog::millimetres(const char* name, double value, double max) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(QString::fromUtf8(name));
    box->setDecimals(1);
    box->setRange(0, max);
    box->setValue(value);
    box->setEnabled(max > 0);
    return box;
}

ScanSettings ScanSettingsDialog::chosen() const {
    ScanSettings s = settings_;
    if (resolution_->isEnabled()) s.resolution = resolution_->value();
    s.mode = mode_->currentText();
    s.source = source_->currentText();
    if (left_->isEnabled())
        s.area = QRectF(left_->value(), top_->value(), width_->value(), height_->value());
    return s;
}

}  // namespace palvenor::acquire
