#pragma once

#include <QString>
#include <QWidget>

// A new widget of type T under parent, carrying its designed object name, by which tests and
// readers find it.
template<typename T>
T *named(QWidget *parent, const char *objectName)
{
    auto *widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(objectName));
    return widget;
}
