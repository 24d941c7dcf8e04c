#pragma once

#include "base/WebAddressParts.h"

#include <string>

// What the website command does with an address the desktop took apart: opens it, asks first, or refuses it.
struct AddressDecision
{
    enum Action { Open, Ask, Refuse };
    Action action = Refuse;
    std::string question; // Ask: names the host the address really opens, in a form that cannot deceive
    std::string address;  // Open and Ask: exactly what opens (the parse's normalized form)
};

// The one policy of web addresses. Refused: anything but an http or https URL with a host. Asked: an address whose
// host is not what it seems (a user part in front of it, a name spelt with characters that pass for others or in
// punycode, a number instead of a name, this computer, a computer of the local network). Opened: the rest.
AddressDecision DecideWebAddress(const WebAddressParts& parts);
