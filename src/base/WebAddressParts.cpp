#include "base/WebAddressParts.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

bool letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

bool among(std::string_view text, std::string_view allowed)
{
    return std::all_of(text.begin(), text.end(), [allowed](char c) {
        return letter(c) || digit(c) || allowed.find(c) != std::string_view::npos;
    });
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<std::string_view> labels(std::string_view host)
{
    std::vector<std::string_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t dot = host.find('.', from);
        parts.push_back(host.substr(from, dot == std::string_view::npos ? std::string_view::npos : dot - from));
        if (dot == std::string_view::npos)
            return parts;
        from = dot + 1;
    }
}

// host (lower case, no trailing dot) as a dotted IPv4 address of four decimal numbers; nullopt for any other
// form, which the desktop's parser alone reads (some as a number, "127.1", some as a name, "999.1.1.1").
std::optional<std::uint32_t> dottedQuad(std::string_view host)
{
    const std::vector<std::string_view> parts = labels(host);
    if (parts.size() != 4)
        return std::nullopt;
    std::uint32_t address = 0;
    for (std::string_view part : parts) {
        if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), digit) ||
            (part.size() > 1 && part[0] == '0'))
            return std::nullopt;
        const int value = std::stoi(std::string(part));
        if (value > 255)
            return std::nullopt;
        address = address << 8 | static_cast<std::uint32_t>(value);
    }
    return address;
}

} // namespace

HostKind KindOfIPv4(std::uint32_t address)
{
    const auto in = [address](std::uint32_t network, int bits) {
        return (address >> (32 - bits)) == (network >> (32 - bits));
    };
    if (in(0x7F000000, 8) || in(0x00000000, 8)) // loopback, and "this network" that reaches this computer
        return HostKind::LoopbackAddress;
    if (in(0x0A000000, 8) || in(0xAC100000, 12) || in(0xC0A80000, 16) || in(0xA9FE0000, 16) || in(0x64400000, 10))
        return HostKind::LocalNetAddress; // private, link-local, and the provider's shared range
    return HostKind::Address;
}

std::optional<WebAddressParts> PlainWebAddressParts(const std::string& text)
{
    const WebAddressParts none;
    // A byte a URL cannot hold makes no address; the desktop's parser refuses them as strictly.
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; }))
        return none;
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return std::nullopt;
    const std::size_t colon = text.find("://");
    if (colon == std::string::npos || colon == 0 || !letter(text[0]) ||
        !among(std::string_view(text).substr(0, colon), "+-.") || text.find_first_of("/?#") < colon)
        return none; // no "scheme://": no host
    std::string scheme = text.substr(0, colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), lower);

    const std::size_t start = colon + 3;
    const std::size_t end = std::min(text.find_first_of("/?#", start), text.size());
    const std::string_view authority = std::string_view(text).substr(start, end - start);
    const std::string_view rest = std::string_view(text).substr(end);
    if (!among(rest, "-._~/?#=&+:@,;!*$()'") || std::count(rest.begin(), rest.end(), '#') > 1)
        return std::nullopt;

    const std::size_t at = authority.rfind('@');
    const std::string_view user = at == std::string_view::npos ? std::string_view() : authority.substr(0, at);
    const std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
    if (!among(user, "-._~:!$&'()*+,;=") || hostPort.starts_with('['))
        return std::nullopt; // an IPv6 address is the desktop's to read
    const std::size_t portColon = hostPort.find(':');
    const std::string_view host = hostPort.substr(0, portColon);
    const std::string_view port =
        portColon == std::string_view::npos ? std::string_view() : hostPort.substr(portColon + 1);
    if (portColon != std::string_view::npos) {
        // An empty port is the "http:" of a doubled scheme ("http://http://x"), no port at all.
        if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), digit) ||
            std::stoi(std::string(port)) > 65535)
            return none;
        if (port.size() > 1 && port[0] == '0')
            return std::nullopt;
    }

    std::string ascii(host);
    std::transform(ascii.begin(), ascii.end(), ascii.begin(), lower);
    const std::string_view bare = std::string_view(ascii).substr(0, ascii.size() - (ascii.ends_with('.') ? 1 : 0));
    if (bare.empty() || ascii.size() > 253 || !among(bare, "-.") || bare.front() == '.')
        return bare.empty() ? none : std::optional<WebAddressParts>();
    WebAddressParts parts;
    parts.valid = true;
    parts.scheme = scheme;
    parts.userPart = user;
    parts.hostShown = host;
    parts.hostAscii = ascii;
    if (const std::optional<std::uint32_t> address = dottedQuad(ascii)) {
        parts.kind = KindOfIPv4(*address);
    } else {
        const std::vector<std::string_view> names = labels(bare);
        for (std::string_view label : names) {
            if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
                return none;
            if (label.starts_with("xn--"))
                return std::nullopt; // whether it is a valid international name is the desktop's to say
        }
        if (digit(names.back().front()))
            return std::nullopt; // a number in another form, or a name a browser refuses
    }
    parts.normalized = scheme + "://" + (at == std::string_view::npos ? "" : std::string(user) + "@") + ascii +
                       (port.empty() ? "" : ":" + std::string(port)) + std::string(rest);
    return parts;
}
