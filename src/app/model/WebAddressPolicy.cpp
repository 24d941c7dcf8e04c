#include "app/model/WebAddressPolicy.h"

#include "app/files/ExportLayouts.h"

namespace {

const char* const kOpens = "This web address opens ";
const char* const kOpenIt = ".\r\nOpen it?";
const char* const kThisComputer = ", this computer itself";
const char* const kLocalNetwork = ", a computer on your local network";
const char* const kByNumber = ", a computer named by its number only";
const char* const kLookAlike = ", a name spelt with characters that can pass for others";

// The reason a host is not what it seems, as the question's words after its name; empty for a plain name.
std::string doubt(const WebAddressParts& parts)
{
    switch (parts.kind) {
    case HostKind::LoopbackAddress:
        return kThisComputer;
    case HostKind::LocalNetAddress:
        return kLocalNetwork;
    case HostKind::Address:
        return kByNumber;
    case HostKind::Name:
        break;
    }
    const std::string& host = parts.hostAscii;
    const std::string bare = host.ends_with(".") ? host.substr(0, host.size() - 1) : host;
    if (bare == "localhost" || bare.ends_with(".localhost"))
        return kThisComputer;
    if (bare.find('.') == std::string::npos)
        return kLocalNetwork; // a name without a dot is looked up on the local network
    // Written otherwise than it opens (other alphabets, a full-width dot, an invisible character), or in punycode,
    // which browsers show in the letters it stands for.
    if (LowerAscii(parts.hostShown) != host || host.starts_with("xn--") || host.find(".xn--") != std::string::npos)
        return kLookAlike;
    return {};
}

} // namespace

AddressDecision DecideWebAddress(const WebAddressParts& parts)
{
    AddressDecision decision;
    if (!parts.valid || parts.hostAscii.empty() || (parts.scheme != "http" && parts.scheme != "https"))
        return decision;
    decision.address = parts.normalized;
    decision.action = AddressDecision::Ask;
    // The host's own doubt says more than a user part does: it is asked first, and once.
    if (const std::string why = doubt(parts); !why.empty())
        decision.question = kOpens + parts.hostAscii + why + kOpenIt;
    else if (!parts.userPart.empty()) // "bank.example@evil.example" reads as the bank and opens evil.example
        decision.question = kOpens + parts.hostAscii + ". Open it?";
    else
        decision.action = AddressDecision::Open;
    return decision;
}
