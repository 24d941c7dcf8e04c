#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What kind of computer a web address's host names. The desktop's parser tells an address by number from a name;
// which names are local is the model's to judge.
enum class HostKind {
    Name,            // a name ("bank.example", "localhost")
    Address,         // an address by number that the world can reach ("8.8.8.8")
    LoopbackAddress, // this computer by number ("127.0.0.1", "[::1]", "0.0.0.0")
    LocalNetAddress, // a computer of the local network by number ("10.0.0.1", "192.168.1.1", "[fe80::1]")
};

// A text as the desktop's parser takes it, once: what the model judges and, unchanged, what opens.
struct WebAddressParts
{
    bool valid = false;    // the text is a URL with a host (of any scheme); the fields below are set only then
    std::string scheme;    // in lower case
    std::string userPart;  // what stands before an "@" in front of the host, as written; empty when none
    std::string hostShown; // the host as the text spells it: what the user reads
    // The host the address really opens, in the form that cannot pass for another: an international name in
    // ASCII (punycode), a number in dotted form ("0x7f000001" is 127.0.0.1), an IPv6 address in brackets.
    std::string hostAscii;
    HostKind kind = HostKind::Name;
    std::string normalized; // exactly what the desktop opens for the text: nothing else is ever opened

    bool operator==(const WebAddressParts&) const = default;
};

// The parse of a plain text without the desktop's libraries, for the desktops of the tests, benchmarks and tools:
// a text without a "scheme://" is no web address; a plain ASCII address of a name or a dotted IPv4 address is
// taken apart as the desktop's parser does. nullopt for anything else (international names, numbers in other
// forms, IPv6, percent escapes, less common characters): only the desktop's parser can say what those open.
std::optional<WebAddressParts> PlainWebAddressParts(const std::string& text);

// The kind of the IPv4 address a.b.c.d (a in the top byte): one list of the ranges for every parser.
HostKind KindOfIPv4(std::uint32_t address);
