#pragma once

#include "base/WebAddressParts.h"

#include <QString>

// The desktop's parse of a web address (Platform::parseWebAddress): QUrl reads the text strictly, once; its
// host comes out in ASCII (punycode) and numbers in their dotted form, as the browser will take them, and the
// normalized text is QUrl's fully encoded form of it.
WebAddressParts ParseWebAddress(const QString& text);
