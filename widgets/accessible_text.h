#pragma once

#include <QString>
#include <QWidget>

// What a screen reader says of a control: its name, and what it does.
inline void setAccessibleText(QWidget *control, const QString &name, const QString &description)
{
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}
