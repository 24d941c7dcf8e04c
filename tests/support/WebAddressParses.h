#pragma once

#include "base/WebAddressParts.h"

#include <ostream>
#include <vector>

// How the desktop's parser (QUrl) takes texts apart: the scripted desktop of the tests answers these texts so,
// and tests/platform/qt/QtWebAddressTest.cpp checks every row against the real parse. plain: the plain parse of
// the other desktops answers the text too, and must agree.
struct KnownParse
{
    const char* text;
    WebAddressParts parts;
    bool plain;
};

inline WebAddressParts WebParts(const char* scheme, const char* user, const char* shown, const char* ascii,
                                HostKind kind, const char* normalized)
{
    return {true, scheme, user, shown, ascii, kind, normalized};
}

inline const std::vector<KnownParse>& KnownWebAddressParses()
{
    using enum HostKind;
    const WebAddressParts none;
    static const std::vector<KnownParse> rows = {
        // Names in other alphabets, or in punycode.
        {"http://b\u0430nk.example",
         WebParts("http", "", "b\u0430nk.example", "xn--bnk-6cd.example", Name, "http://xn--bnk-6cd.example"), false},
        {"http://xn--80ak6aa92e.com",
         WebParts("http", "", "xn--80ak6aa92e.com", "xn--80ak6aa92e.com", Name, "http://xn--80ak6aa92e.com"), false},
        {"http://b\u00e4nk.de/\u00e4",
         WebParts("http", "", "b\u00e4nk.de", "xn--bnk-qla.de", Name, "http://xn--bnk-qla.de/%C3%A4"), false},
        // A full-width dot and an invisible character, which the parser maps away.
        {"http://bank\u3002example",
         WebParts("http", "", "bank\u3002example", "bank.example", Name, "http://bank.example"), false},
        {"http://bank\uFF0Eexample",
         WebParts("http", "", "bank\uFF0Eexample", "bank.example", Name, "http://bank.example"), false},
        {"http://bank\u200B.example/login",
         WebParts("http", "", "bank\u200B.example", "bank.example", Name, "http://bank.example/login"), false},
        // Numbers in every form the parser reads, and names of this computer.
        {"http://0x7f000001", WebParts("http", "", "0x7f000001", "127.0.0.1", LoopbackAddress, "http://127.0.0.1"),
         false},
        {"http://2130706433", WebParts("http", "", "2130706433", "127.0.0.1", LoopbackAddress, "http://127.0.0.1"),
         false},
        {"http://127.1", WebParts("http", "", "127.1", "127.0.0.1", LoopbackAddress, "http://127.0.0.1"), false},
        {"http://0177.0.0.1", WebParts("http", "", "0177.0.0.1", "127.0.0.1", LoopbackAddress, "http://127.0.0.1"),
         false},
        {"http://127.0.0.1.", WebParts("http", "", "127.0.0.1.", "127.0.0.1", LoopbackAddress, "http://127.0.0.1."),
         false},
        {"http://0", WebParts("http", "", "0", "0.0.0.0", LoopbackAddress, "http://0.0.0.0"), false},
        {"http://[::1]", WebParts("http", "", "[::1]", "[::1]", LoopbackAddress, "http://[::1]"), false},
        {"http://localhost", WebParts("http", "", "localhost", "localhost", Name, "http://localhost"), true},
        {"http://app.localhost:3000",
         WebParts("http", "", "app.localhost", "app.localhost", Name, "http://app.localhost:3000"), true},
        // The local network: private and link-local numbers, a name without a dot.
        {"http://10.0.0.1", WebParts("http", "", "10.0.0.1", "10.0.0.1", LocalNetAddress, "http://10.0.0.1"), true},
        {"http://192.168.1.1/admin",
         WebParts("http", "", "192.168.1.1", "192.168.1.1", LocalNetAddress, "http://192.168.1.1/admin"), true},
        {"http://172.16.0.1", WebParts("http", "", "172.16.0.1", "172.16.0.1", LocalNetAddress, "http://172.16.0.1"),
         true},
        {"http://172.31.255.254",
         WebParts("http", "", "172.31.255.254", "172.31.255.254", LocalNetAddress, "http://172.31.255.254"), true},
        {"http://169.254.169.254/latest",
         WebParts("http", "", "169.254.169.254", "169.254.169.254", LocalNetAddress, "http://169.254.169.254/latest"),
         true},
        {"http://[fe80::1]", WebParts("http", "", "[fe80::1]", "[fe80::1]", LocalNetAddress, "http://[fe80::1]"),
         false},
        {"http://[::ffff:192.168.0.1]",
         WebParts("http", "", "[::ffff:192.168.0.1]", "[::ffff:192.168.0.1]", LocalNetAddress,
                  "http://[::ffff:192.168.0.1]"),
         false},
        {"http://intranet/login", WebParts("http", "", "intranet", "intranet", Name, "http://intranet/login"), true},
        // A public number, and a user part in front of the host.
        {"http://8.8.8.8", WebParts("http", "", "8.8.8.8", "8.8.8.8", Address, "http://8.8.8.8"), true},
        {"http://172.32.0.1", WebParts("http", "", "172.32.0.1", "172.32.0.1", Address, "http://172.32.0.1"), true},
        {"http://bank.example@evil.example/login",
         WebParts("http", "bank.example", "evil.example", "evil.example", Name,
                  "http://bank.example@evil.example/login"),
         true},
        // Ordinary addresses.
        {"https://bank.example/login",
         WebParts("https", "", "bank.example", "bank.example", Name, "https://bank.example/login"), true},
        {"HTTPS://Bank.Example/x?y=1",
         WebParts("https", "", "Bank.Example", "bank.example", Name, "https://bank.example/x?y=1"), true},
        {"http://bank.example:8080/p-._~!$&'()*+,;=:@/q?x=1&y=a+b#f:@/?",
         WebParts("http", "", "bank.example", "bank.example", Name,
                  "http://bank.example:8080/p-._~!$&'()*+,;=:@/q?x=1&y=a+b#f:@/?"),
         true},
        {"ftp://files.example.com",
         WebParts("ftp", "", "files.example.com", "files.example.com", Name, "ftp://files.example.com"), true},
        // No web address: no "scheme://", no host, a number no browser reads, characters a URL cannot hold.
        {"http//x", none, true},
        {"http:bank.example", none, true},
        {" http://bank.example", none, true},
        {"javascript:alert(1)", none, true},
        {"file:///etc/passwd", none, true},
        {"http://http://x", none, true},
        {"http://999.1.1.1", none, false},
        {"http://[v1.x]", none, false},
        {"http://bank.example/a b", none, true},
        {"http://-bank.example", none, true},
    };
    return rows;
}

inline void PrintTo(const WebAddressParts& p, std::ostream* out)
{
    *out << (p.valid ? "{" : "{invalid ") << p.scheme << " user=" << p.userPart << " shown=" << p.hostShown
         << " ascii=" << p.hostAscii << " kind=" << static_cast<int>(p.kind) << " -> " << p.normalized << "}";
}
