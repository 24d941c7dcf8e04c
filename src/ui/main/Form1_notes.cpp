// The Notes box's lines, in an editor of their own: notes brought in from other programs may hold line breaks.
#include "app/model/NoteLines.h"
#include "ui/SecretText.h"
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"
#include "ui/main/NotesEditor.h"

#include <QAction>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>

namespace {
const char* const kNoteLinesName = "Notes, line by line";

// The mark is a pilcrow drawn in the box's own text colour, so it follows the style and the screen's scale.
QIcon PilcrowIcon(const QWidget* box)
{
    const qreal scale = box->devicePixelRatioF();
    const int side = box->fontMetrics().height();
    QPixmap pixmap(QSize(side, side) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(box->palette().color(QPalette::Text));
    painter.setFont(box->font());
    painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, QString(QChar(0x00B6)));
    return QIcon(pixmap);
}
} // namespace

void Form1::wireNoteLines()
{
    noteLinesMark_ = txtGeneral->addAction(PilcrowIcon(txtGeneral), QLineEdit::TrailingPosition);
    noteLinesMark_->setObjectName(QStringLiteral("noteLinesMark"));
    noteLinesMark_->setText(QString::fromLatin1(kNoteLinesName));
    noteLinesMark_->setToolTip(QStringLiteral("Notes, line by line (Ctrl+Enter)"));
    noteLinesMark_->setVisible(false);
    connect(noteLinesMark_, &QAction::triggered, this, &Form1::editNoteLines);
    // Enter alone stays GO.
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(keys, txtGeneral, nullptr, nullptr, Qt::WidgetShortcut), &QShortcut::activated, this,
                &Form1::editNoteLines);
}

void Form1::showNoteLinesMark()
{
    const bool lines = !txtGeneral->isMasked() && HasLineBreaks(book_.boxText(AccountBook::Notes).view());
    if (noteLinesMark_->isVisible() != lines)
        noteLinesMark_->setVisible(lines);
}

void Form1::editNoteLines()
{
    // A masked note stays masked; the editor would show it.
    if (txtGeneral->isMasked() || !txtGeneral->isEnabled())
        return;
    if (notesEditor_) {
        notesEditor_->activateWindow();
        return;
    }
    notesEditor_ = new NotesEditor(LinesForEditing(book_.boxText(AccountBook::Notes).view()), this);
    // Modal for the whole program, but not a nested event loop: the idle timer keeps ticking and the lock can
    // close it.
    notesEditor_->setWindowModality(Qt::ApplicationModal);
    connect(notesEditor_, &QDialog::finished, this,
            [this](int result) { closeNoteLines(result == QDialog::Accepted ? KeepLines::AsEdit : KeepLines::No); });
    notesEditor_->show();
}

void Form1::closeNoteLines(KeepLines keep)
{
    NotesEditor* editor = notesEditor_;
    if (!editor)
        return;
    notesEditor_ = nullptr;
    if (keep != KeepLines::No)
        putNoteLines(editor->lines(), keep);
    editor->hide();
    editor->deleteLater();
}

void Form1::putNoteLines(const SecretString& lines, KeepLines keep)
{
    const SecretString note = NoteFromLines(lines.view(), book_.boxText(AccountBook::Notes).view());
    if (note == book_.boxText(AccountBook::Notes))
        return;
    // Into the box as the book will have it, then to the book as an edit of the box.
    const bool was = settingText_;
    settingText_ = true;
    txtGeneral->setFieldText(ShownText(note));
    settingText_ = was;
    if (keep == KeepLines::WhileRendering)
        book_.boxEdited(AccountBook::Notes, note);
    else
        act([&] { book_.boxEdited(AccountBook::Notes, note); });
}
