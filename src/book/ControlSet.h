#pragma once

#include <QHash>
#include <QObject>
#include <QString>

namespace palvenor {

// The named controls of a window (menu entries, buttons, fields, option
// buttons), found by their object names so commands can enable, check and
// read them as the program's rules name them. A name with no control in the
// window is ignored.
class ControlSet {
public:
    // Registers a QAction or a QWidget under its object name.
    void add(QObject* control);
    QObject* find(const QString& name) const;

    void setEnabled(const QString& name, bool enabled);
    bool isEnabled(const QString& name) const;
    void setChecked(const QString& name, bool checked);
    bool isChecked(const QString& name) const;

    template <typename Names>
    void setAllEnabled(const Names& names, bool enabled) {
        for (const auto& name : names) setEnabled(QString::fromUtf8(name), enabled);
    }

private:
    QHash<QString, QObject*> controls_;
};

}  // namespace palvenor
