#pragma once

#include <QString>

// Stored texts (typed, or planted by an imported file) reach the desktop only when they are plainly a web
// address: anything else could name a local file or start whatever program handles another scheme.

// True when text, exactly as it stands, is an http or https URL with a host, parsed strictly. A colon after
// the host must be followed by a port ("http://http://x" is no address of host "http").
bool IsWebAddress(const QString& text);

// The host a web address really opens, in its ASCII (punycode) form, when a user part stands in front of it;
// empty when there is none. A look-alike international host cannot pass for another in ASCII.
QString HostBehindUserPart(const QString& url);

// text as a message may show it on one line: every control character and line or paragraph separator
// becomes U+FFFD, bidirectional overrides too (they could make the text read differently from what it is),
// and a text longer than kShownAddressLength characters is cut there and ends in "...". The host of an http or
// https text is shown in its ASCII (punycode) form; one that has none keeps its other characters
// percent-encoded.
inline constexpr int kShownAddressLength = 200;
QString ShownAddress(const QString& text);
