#include "ControlSet.h"

#include <QAbstractButton>
#include <QAction>
#include <QWidget>

namespace palvenor {

void ControlSet::add(QObject* control) { controls_.insert(control->objectName(), control); }

QObject* ControlSet::find(const QString& name) const { return controls_.value(name); }

void ControlSet::setEnabled(const QString& name, bool enabled) {
    QObject* control = find(name);
    if (auto* action = qobject_cast<QAction*>(control))
        action->setEnabled(enabled);
    else if (auto* widget = qobject_cast<QWidget*>(control))
        widget->setEnabled(enabled);
}

bool ControlSet::isEnabled(const QString& name) const {
    QObject* control = find(name);
    if (auto* action = qobject_cast<QAction*>(control)) return action->isEnabled();
    if (auto* widget = qobject_cast<QWidget*>(control)) return widget->isEnabled();
    return false;
}

void ControlSet::setChecked(const QString& name, bool checked) {
    QObject* control = find(name);
    if (auto* action = qobject_cast<QAction*>(control))
        action->setChecked(checked);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setChecked(checked);
}

bool ControlSet::isChecked(const QString& name) const {
    QObject* control = find(name);
    if (auto* action = qobject_cast<QAction*>(control)) return action->isChecked();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->isChecked();
    return false;
}

}  // namespace palvenor
