#include "ui/main/WebAddress.h"

#include <QUrl>

bool IsWebAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    // QUrl keeps schemes in lower case, whatever was typed.
    const QString scheme = url.scheme();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

namespace {

bool hidden(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    const char16_t u = c.unicode();
    return u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

} // namespace

QString ShownAddress(const QString& text)
{
    QString shown = text.size() > kShownAddressLength ? text.left(kShownAddressLength) : text;
    if (!shown.isEmpty() && shown.back().isHighSurrogate() && text.size() > kShownAddressLength)
        shown.chop(1); // never half a character
    for (QChar& c : shown)
        if (hidden(c))
            c = QChar::ReplacementCharacter;
    if (text.size() > kShownAddressLength)
        shown += QLatin1String("...");
    return shown;
}
