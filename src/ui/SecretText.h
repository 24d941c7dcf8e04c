#pragma once

#include "cipher/SecretString.h"

#include <QString>

class QLineEdit;

// Secrets crossing between the core and the widgets. Qt keeps its own copies of what a box shows (its text,
// its undo history, the copies it makes while it lays the text out); these helpers make sure that no copy of
// our own is left behind on the way.

// The text of a box as a secret: UTF-16 to UTF-8 to the secret, the UTF-8 copy overwritten on the way.
SecretString SecretTextOf(const QLineEdit* box);
// The same for any text a widget shows.
SecretString SecretOf(const QString& shown);
// A secret as the one QString a widget then shares (no other copy of it stays).
QString ShownText(const SecretString& secret);
// Overwrites a string's own buffer, if nothing else shares it, and empties it.
void Overwrite(QString& text);
// Overwrites the buffer text shares with every other holder of it (a box's own text, which text() shares), so
// that whoever lets it go next leaves nothing behind. Text from a literal is left as it is.
void OverwriteShared(const QString& text);
// Overwrites the box's own text buffer before the box lets it go, and empties the box.
void WipeBox(QLineEdit* box);
