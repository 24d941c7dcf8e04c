#pragma once

#include <QLineEdit>
#include <QPoint>

// One of the main window's account fields. Besides editing it can be masked ("*" for every character) and,
// in Drag/Drop mode, serves as a drag source for its selected text (also while masked: the drag carries the
// real text) and selects its whole text when the mouse passes over it. A drop onto it changes nothing.
class FieldBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit FieldBox(QWidget* parent = nullptr);

    // Typing stops at limit characters. Text put in by the program (setFieldText) is kept whole even when it is
    // longer, so a stored value is never cut short by showing it.
    void setTypingLimit(int limit);
    void setFieldText(const QString& text);

    // While concealed the box holds no text, for the eye and for accessibility clients alike; reveal() puts
    // back what it held, with its caret, selection and modified flag. Text the program sets meanwhile is what
    // comes back. Neither emits textChanged.
    void conceal();
    void reveal();
    bool isConcealed() const { return concealed_; }

    void setMasked(bool masked);
    bool isMasked() const { return echoMode() != QLineEdit::Normal; }

    void setDragSource(bool on);
    bool isDragSource() const { return dragSource_; }

    // The text that a drag started now would carry.
    QString dragText() const;

    // A box of secrets keeps its selections out of the X primary selection, which any program on the desktop
    // may read without asking: the copy buttons are the way out for a secret.
    void setSelectionPrivate(bool on) { selectionPrivate_ = on; }
    bool isSelectionPrivate() const { return selectionPrivate_; }

signals:
    void doubleClicked();
    void mouseMoved();
    void dragStarting();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void startDrag();

    // What a concealed box held.
    struct Hidden
    {
        QString text;
        int cursor = 0;
        int selectionStart = -1;
        int selectionLength = 0;
        bool modified = false;
    };
    void showText(const QString& text); // setText without cutting a longer text

    bool concealed_ = false;
    Hidden hidden_;
    int typingLimit_ = 32767;
    bool dragSource_ = false;
    bool selectionPrivate_ = false;
    int selectionChanges_ = 0; // how often the primary selection changed
    bool pressedOnSelection_ = false;
    QPoint pressPos_;
};
