#include "ui/main/WebAddress.h"

#include <QUrl>

#include <utility>

namespace {

// Where the authority of an http or https text stands (after "//", up to the path, query or fragment):
// {start, length}; {-1, 0} for any other text.
std::pair<qsizetype, qsizetype> httpAuthority(const QString& text)
{
    qsizetype start = -1;
    if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        start = 7;
    else if (text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        start = 8;
    else
        return {-1, 0};
    qsizetype end = start;
    while (end < text.size() && text[end] != u'/' && text[end] != u'?' && text[end] != u'#')
        ++end;
    return {start, end - start};
}

// text with the host of its authority in ASCII form.
QString asciiHost(const QString& text)
{
    const auto [start, length] = httpAuthority(text);
    if (start < 0)
        return text;
    const QString authority = text.mid(start, length);
    const qsizetype hostStart = authority.lastIndexOf(u'@') + 1;
    qsizetype hostEnd = authority.indexOf(u':', hostStart);
    if (hostEnd < 0 || authority.mid(hostStart).startsWith(u'['))
        hostEnd = authority.size();
    const QString host = authority.mid(hostStart, hostEnd - hostStart);
    bool ascii = true;
    for (QChar c : host)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return text;
    QString shown = QString::fromLatin1(QUrl::toAce(host));
    if (shown.isEmpty()) // no valid international name: its characters as codes, never as look-alikes
        shown = QString::fromLatin1(QUrl::toPercentEncoding(host, " !\"$&'()*+,;=<>[]^`{|}"));
    return text.left(start + hostStart) + shown + text.mid(start + hostEnd);
}

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

QString ShownAddress(const QString& original)
{
    const QString text = asciiHost(original);
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
