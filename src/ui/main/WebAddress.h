#pragma once

#include <QString>

// How a web address the program will not open, or could not, is shown in a message. (Which addresses open is the
// model's policy, app/model/WebAddressPolicy.h, on the desktop's parse, platform/qt/QtWebAddress.h.)

// text as a message may show it on one line: every control character and line or paragraph separator
// becomes U+FFFD, bidirectional overrides too (they could make the text read differently from what it is),
// and a text longer than kShownAddressLength characters is cut there and ends in "...". The host of an http or
// https text is shown in its ASCII (punycode) form; one that has none keeps its other characters
// percent-encoded.
inline constexpr int kShownAddressLength = 200;
QString ShownAddress(const QString& text);
