#pragma once

#include "Scanner.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QListWidget;
class QSpinBox;

namespace palvenor::acquire {

// The choice of the scanner among the devices found.
class SourceDialog : public QDialog {
    Q_OBJECT
public:
    SourceDialog(const QList<ScannerDevice>& devices, const QString& current, QWidget* parent = nullptr);
    QString chosen() const;

private:
    QListWidget* list_ = nullptr;
};

// The open device's settings: resolution, mode, scan area and source.
class ScanSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ScanSettingsDialog(const ScanSettings& settings, QWidget* parent = nullptr);
    ScanSettings chosen() const;

private:
    QDoubleSpinBox* millimetres(const char* name, double value, double max);

    ScanSettings settings_;
    QSpinBox* resolution_ = nullptr;
    QComboBox* mode_ = nullptr;
    QComboBox* source_ = nullptr;
    QDoubleSpinBox* left_ = nullptr;
    QDoubleSpinBox* top_ = nullptr;
    QDoubleSpinBox* width_ = nullptr;
    QDoubleSpinBox* height_ = nullptr;
};

}  // namespace palvenor::acquire
