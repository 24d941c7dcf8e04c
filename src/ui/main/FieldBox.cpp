#include "ui/main/FieldBox.h"

#include "ui/SecretText.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>

FieldBox::FieldBox(QWidget* parent) : QLineEdit(parent)
{
    setMouseTracking(true);
    // The mask character is "*" on every style.
    setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    setAcceptDrops(true);
    connect(QGuiApplication::clipboard(), &QClipboard::selectionChanged, this, [this] { ++selectionChanges_; });
}

void FieldBox::setTypingLimit(int limit)
{
    typingLimit_ = limit;
    setMaxLength(limit);
}

void FieldBox::showText(const QString& text)
{
    // Raise the limit before a longer text goes in, lower it only after a shorter one is in: the box never cuts.
    const int room = std::max(typingLimit_, static_cast<int>(text.size()));
    if (room > maxLength())
        setMaxLength(room);
    setText(text);
    // The box shows line breaks as blanks: a text of several lines shows from its first one.
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        setCursorPosition(0);
    if (room < maxLength())
        setMaxLength(room);
}

void FieldBox::setFieldText(const QString& text)
{
    // The text given up may be a secret: its buffer is overwritten before the box lets it go.
    const QString& old = concealed_ ? hidden_.text : this->text();
    if (old.constData() != text.constData())
        OverwriteShared(old);
    if (concealed_)
        hidden_ = {text, static_cast<int>(text.size()), -1, 0, false};
    else
        showText(text);
}

void FieldBox::conceal()
{
    if (concealed_)
        return;
    hidden_ = {text(), cursorPosition(), selectionStart(), selectionLength(), isModified()};
    concealed_ = true;
    const QSignalBlocker quiet(this);
    setText(QString()); // the box now holds the only reference to the text, in hidden_
}

void FieldBox::reveal()
{
    if (!concealed_)
        return;
    concealed_ = false;
    {
        const QSignalBlocker quiet(this);
        showText(hidden_.text); // shares the buffer: no copy of the text is made
    }
    if (hidden_.selectionStart >= 0 && hidden_.selectionLength > 0) {
        // The caret stays at the end the selection was made towards.
        const bool backwards = hidden_.cursor == hidden_.selectionStart;
        if (backwards)
            setSelection(hidden_.selectionStart + hidden_.selectionLength, -hidden_.selectionLength);
        else
            setSelection(hidden_.selectionStart, hidden_.selectionLength);
    } else {
        setCursorPosition(hidden_.cursor);
    }
    setModified(hidden_.modified);
    hidden_ = {};
}

void FieldBox::setMasked(bool masked)
{
    setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

void FieldBox::setDragSource(bool on)
{
    dragSource_ = on;
    pressedOnSelection_ = false;
}

QString FieldBox::dragText() const
{
    if (!hasSelectedText())
        return {};
    // selectedText() of a masked box is still the real text; take it from text() to be independent of that.
    return text().mid(selectionStart(), selectionLength());
}

bool FieldBox::event(QEvent* event)
{
    // The line edit publishes a selection made with the keyboard or the mouse as the primary selection; a box of
    // secrets takes it back before the event ends, so the desktop never gets to ask for its text.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!selectionPrivate_ || !clipboard->supportsSelection())
        return QLineEdit::event(event);
    const int before = selectionChanges_;
    const bool handled = QLineEdit::event(event);
    if (selectionChanges_ != before && clipboard->ownsSelection())
        clipboard->clear(QClipboard::Selection);
    return handled;
}

void FieldBox::mousePressEvent(QMouseEvent* event)
{
    pressedOnSelection_ = false;
    if (dragSource_ && event->button() == Qt::LeftButton && hasSelectedText()) {
        const int pos = cursorPositionAt(event->position().toPoint());
        if (pos >= selectionStart() && pos <= selectionEnd()) {
            pressedOnSelection_ = true;
            pressPos_ = event->position().toPoint();
            return; // keep the selection for the drag
        }
    }
    QLineEdit::mousePressEvent(event);
}

void FieldBox::mouseMoveEvent(QMouseEvent* event)
{
    if (pressedOnSelection_ && (event->buttons() & Qt::LeftButton)) {
        if ((event->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
            pressedOnSelection_ = false;
            startDrag();
        }
        return;
    }
    if (event->buttons() == Qt::NoButton)
        emit mouseMoved();
    QLineEdit::mouseMoveEvent(event);
}

void FieldBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (pressedOnSelection_) {
        pressedOnSelection_ = false;
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
    }
    QLineEdit::mouseReleaseEvent(event);
}

void FieldBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void FieldBox::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    emit mouseMoved();
}

void FieldBox::startDrag()
{
    const QString carried = dragText();
    if (carried.isEmpty())
        return;
    emit dragStarting();
    auto* data = new QMimeData;
    data->setText(carried);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // Offer copy and move, but the box keeps its text whatever the target does.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

// A drop onto a box changes nothing.
void FieldBox::dragEnterEvent(QDragEnterEvent* event)
{
    event->ignore();
}

void FieldBox::dragMoveEvent(QDragMoveEvent* event)
{
    event->ignore();
}

void FieldBox::dropEvent(QDropEvent* event)
{
    event->ignore();
}
