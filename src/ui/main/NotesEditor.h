#pragma once

#include "cipher/SecretString.h"

#include <QDialog>

class QPlainTextEdit;

// The account's notes line by line, for notes with line breaks that the one-line box shows run together. Modal
// without a nested event loop: the idle timer keeps ticking and the lock can close it.
class NotesEditor : public QDialog
{
    Q_OBJECT

public:
    // lines: the note with LF line endings.
    NotesEditor(const SecretString& lines, QWidget* parent = nullptr);
    ~NotesEditor() override;

    // What the editor holds, LF line endings.
    SecretString lines() const;

private:
    QPlainTextEdit* text_;
};
