#pragma once

#include <QString>

// Stored texts (typed, or planted by an imported file) reach the desktop only when they are plainly a web
// address: anything else could name a local file or start whatever program handles another scheme.

// True when text, exactly as it stands, is an http or https URL with a host, parsed strictly.
bool IsWebAddress(const QString& text);

// text as a message may show it on one line: every control character and line or paragraph separator
// becomes U+FFFD, bidirectional overrides too (they could make the text read differently from what it is),
// and a text longer than kShownAddressLength characters is cut there and ends in "...".
inline constexpr int kShownAddressLength = 200;
QString ShownAddress(const QString& text);
