#pragma once

#include <QString>

#include <string>

// What the seam's dialogs share: the core's UTF-8 texts as Qt strings, and controls named for screen readers.

inline QString fromUtf8(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The accessible name is the visible label without its access-key mark.
template <class Widget> Widget* named(Widget* w, const char* objectName, const QString& label)
{
    w->setObjectName(QString::fromLatin1(objectName));
    w->setAccessibleName(QString(label).remove(u'&'));
    return w;
}
