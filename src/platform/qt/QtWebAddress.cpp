#include "platform/qt/QtWebAddress.h"

#include <QHostAddress>
#include <QUrl>

namespace {

// The kind of computer an address by number reaches.
HostKind kindOf(const QHostAddress& address)
{
    bool v4 = false;
    const quint32 ip4 = address.toIPv4Address(&v4); // also an IPv4 address written as IPv6 ("::ffff:10.0.0.1")
    if (v4)
        return KindOfIPv4(ip4);
    if (address.isLoopback() || address == QHostAddress(QHostAddress::AnyIPv6))
        return HostKind::LoopbackAddress;
    if (address.isLinkLocal() || address.isUniqueLocalUnicast() || address.isSiteLocal())
        return HostKind::LocalNetAddress;
    return HostKind::Address;
}

// The last label of host is a number ("1", "0x7f"): browsers take such a host for an IPv4 address.
bool numericEnd(const QString& host)
{
    const QString last = host.section(u'.', -1);
    bool number = false;
    if (last.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        last.mid(2).toULongLong(&number, 16);
    else
        last.toULongLong(&number, 10);
    return number || last.compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0;
}

} // namespace

WebAddressParts ParseWebAddress(const QString& text)
{
    const WebAddressParts none;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return none;
    // The authority as the text spells it: "scheme://" up to the path, query or fragment, as QUrl splits it too.
    const qsizetype start = url.scheme().size() + 3;
    if (text.mid(url.scheme().size(), 3) != QLatin1String("://"))
        return none;
    qsizetype end = start;
    while (end < text.size() && text[end] != u'/' && text[end] != u'?' && text[end] != u'#')
        ++end;
    const QString authority = text.mid(start, end - start);
    const qsizetype at = authority.lastIndexOf(u'@');
    const QString hostPort = authority.mid(at + 1);
    const qsizetype portColon = hostPort.lastIndexOf(u':');
    const bool port = portColon >= 0 && portColon > hostPort.lastIndexOf(u']');
    // An empty port is the "http:" of a doubled scheme ("http://http://x"), which QUrl would drop: no address.
    if (port && portColon == hostPort.size() - 1)
        return none;

    WebAddressParts parts;
    parts.valid = true;
    parts.scheme = url.scheme().toStdString();
    parts.userPart = at < 0 ? std::string() : authority.left(at).toStdString();
    parts.hostShown = (port ? hostPort.left(portColon) : hostPort).toStdString();
    parts.normalized = url.toString(QUrl::FullyEncoded).toStdString();

    const QString host = url.host(QUrl::FullyEncoded);
    const QString bare = host.endsWith(u'.') ? host.chopped(1) : host; // browsers drop one trailing dot
    QHostAddress address;
    if (address.setAddress(bare)) {
        parts.kind = kindOf(address);
        parts.hostAscii = (address.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + address.toString() + u']'
                                                                               : address.toString())
                              .toStdString();
    } else if (numericEnd(bare) || hostPort.startsWith(u'[')) {
        return none; // a number no browser reads as an address ("999.1.1.1"), or a future form of address
    } else {
        parts.hostAscii = host.toStdString();
    }
    return parts;
}
