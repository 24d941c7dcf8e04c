#include "ui/main/NotesEditor.h"

#include "ui/SecretText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

NotesEditor::NotesEditor(const SecretString& lines, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NotesEditor"));
    setWindowTitle(QStringLiteral("Notes"));
    auto* label = new QLabel(QStringLiteral("&Notes, line by line:"), this);
    label->setTextFormat(Qt::PlainText);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("txtLines"));
    text_->setAccessibleName(QStringLiteral("Notes, line by line:"));
    // Tab moves on to the buttons, as in every other box of the program.
    text_->setTabChangesFocus(true);
    text_->setPlainText(ShownText(lines));
    label->setBuddy(text_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    resize(420, 240);
    text_->setFocus();
}

NotesEditor::~NotesEditor()
{
    // Notes may be secret: the text goes with the editor, its undo history with it.
    const QString shown = text_->toPlainText();
    OverwriteShared(shown);
    text_->document()->clear();
}

SecretString NotesEditor::lines() const
{
    QString shown = text_->toPlainText();
    SecretString lines = SecretOf(shown);
    Overwrite(shown);
    return lines;
}
