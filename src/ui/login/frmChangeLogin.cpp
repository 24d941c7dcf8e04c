#include "ui/login/frmChangeLogin.h"

#include "app/model/LoginSettings.h"
#include "app/model/Session.h"
#include "platform/Platform.h"
#include "ui/SecretText.h"
#include "ui/login/Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

#include <initializer_list>
#include <memory>

namespace {

constexpr int kMaxNumpadDigits = LoginSettings::kMaxNumpadDigits;

// A text buffer with room for the longest pad entry, so that typing into it never moves it (a move would
// leave the earlier digits behind in the buffer given up).
QString roomyText(const QString& text)
{
    QString room;
    room.reserve(kMaxNumpadDigits + 1);
    room.append(text);
    return room;
}

} // namespace

frmChangeLogin::frmChangeLogin(Session& session, QWidget* mainWindow, std::function<Result()> save, QWidget* parent)
    : QDialog(parent), session_(session), main_(mainWindow), save_(std::move(save))
{
    setObjectName(QStringLiteral("frmChangeLogin"));
    setWindowTitle(QStringLiteral(" Login Settings"));
    numpadText_ = roomyText(QString());
    buildControls();
}

frmChangeLogin::~frmChangeLogin()
{
    forgetEntries();
}

void frmChangeLogin::forgetEntries()
{
    for (QLineEdit* box : {txtPassword1, txtConfirm, txtNumpad})
        WipeBox(box);
    Overwrite(numpadText_);
}

void frmChangeLogin::buildControls()
{
    std::vector<twips::Placement> places;
    const QFont bold = twips::labelFont(font());

    auto label = [this, &bold, &places](const QString& text, int left, int top, int width, int height) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QStringLiteral("lblLabels"));
        l->setFont(bold);
        places.push_back({l, left, top, width, height, text});
        return l;
    };
    auto box = [this](const char* name, const QString& accessible, int maxLength) {
        auto* b = new QLineEdit(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(accessible);
        b->setMaxLength(maxLength);
        return b;
    };

    QLabel* l = label(QStringLiteral("User Name"), 75, 210, 1080, 240);
    txtUsername = box("txtUsername", QStringLiteral("User Name"), 50);
    places.push_back({txtUsername, 1755, 195, 1740, 315});
    l->setBuddy(txtUsername);

    l = label(QStringLiteral("Password"), 75, 645, 1005, 240);
    txtPassword1 = box("txtPassword1", QStringLiteral("Password"), 50);
    twips::maskWithStars(txtPassword1);
    places.push_back({txtPassword1, 1755, 630, 1740, 315});
    l->setBuddy(txtPassword1);

    l = label(QStringLiteral("Confirm Password"), 90, 1080, 1695, 240);
    txtConfirm = box("txtConfirm", QStringLiteral("Confirm Password"), 50);
    twips::maskWithStars(txtConfirm);
    places.push_back({txtConfirm, 1755, 1065, 1740, 315});
    l->setBuddy(txtConfirm);

    l = label(QStringLiteral("Number Pad"), 90, 1560, 1695, 240);
    txtNumpad = box("txtNumpad", QStringLiteral("Number Pad"), kMaxNumpadDigits);
    txtNumpad->setInputMethodHints(Qt::ImhDigitsOnly);
    places.push_back({txtNumpad, 1770, 1500, 1740, 315});
    l->setBuddy(txtNumpad);
    txtNumpad->installEventFilter(this);
    // textEdited comes before textChanged: the first judges a user's change, the second carries it out.
    connect(txtNumpad, &QLineEdit::textEdited, this, &frmChangeLogin::txtNumpad_Edited);
    connect(txtNumpad, &QLineEdit::textChanged, this, &frmChangeLogin::txtNumpad_Changed);

    // One row below the login's own controls, which keep their places: the file encrypted with this login.
    // Alt+E: the dialog's only access key, so none of the login's controls loses one to it.
    chkEncrypt = new QCheckBox(QLatin1Char('&') + QString::fromLatin1(kEncryptChoiceText), this);
    chkEncrypt->setObjectName(QStringLiteral("chkEncrypt"));
    chkEncrypt->setAccessibleName(QString::fromLatin1(kEncryptChoiceText));
    places.push_back({chkEncrypt, 90, 2535, 3540, 315, chkEncrypt->text(), twips::kButtonMargins});

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    places.push_back({cmdOK, 270, 2040, 1350, 360, cmdOK->text(), twips::kButtonMargins});
    connect(cmdOK, &QPushButton::clicked, this, &frmChangeLogin::cmdOK_Click);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAccessibleName(QStringLiteral("Cancel"));
    cmdCancel->setAutoDefault(false);
    places.push_back({cmdCancel, 1875, 2040, 1320, 360, cmdCancel->text(), twips::kButtonMargins});
    connect(cmdCancel, &QPushButton::clicked, this, &frmChangeLogin::cmdCancel_Click);

    // Empty but while the new key is derived.
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextFormat(Qt::PlainText);
    places.push_back({lblStatus, 90, 2955, 3540, 240, QString::fromLatin1(kEncryptingAccounts)});

    twips::Layout unit(font());
    twips::placeAll(unit, places);
    setFixedSize(unit.size(3720, kDialogHeight));

    QWidget::setTabOrder(txtUsername, txtPassword1);
    QWidget::setTabOrder(txtPassword1, txtConfirm);
    QWidget::setTabOrder(txtConfirm, txtNumpad);
    QWidget::setTabOrder(txtNumpad, cmdOK);
    QWidget::setTabOrder(cmdOK, cmdCancel);
    QWidget::setTabOrder(cmdCancel, chkEncrypt);
    txtUsername->setFocus();
}

void frmChangeLogin::Form_Load()
{
    LoginEntries entries;
    session_.loginSettings()->fillEntries(entries);
    txtUsername->setText(ShownText(entries.userName));
    txtPassword1->setText(ShownText(entries.password));
    txtConfirm->setText(ShownText(entries.confirm));
    // The box takes this buffer over (nothing else holds it), and keeps it as digits are typed.
    txtNumpad->setText(roomyText(ShownText(entries.numpad)));
    chkEncrypt->setChecked(entries.encrypt);
    // Above every other window, whatever the main window's "Always on Top" says.
    session_.platform().setWindowTopmost(1, this);
}

bool frmChangeLogin::txtNumpad_KeyPress(const QKeyEvent* key)
{
    // Keys that type nothing (arrows, Delete, Home) and the keys the dialog itself answers pass. Delete is
    // named: some desktops give it the text DEL (code 127), yet it types no character.
    switch (key->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        break;
    }
    // Ctrl+V types a control character (code 22) like any other Ctrl+letter: swallowed, so it pastes nothing.
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_V && mods == Qt::ControlModifier)
        return true;
    // The other editing commands pass; what a paste from the menu or an undo inserts is checked by
    // txtNumpad_Edited.
    for (const auto command : {QKeySequence::Paste, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::SelectAll,
                               QKeySequence::Undo, QKeySequence::Redo})
        if (key->matches(command))
            return false;
    const QString text = key->text();
    for (const QChar c : text)
        if (!LoginSettings::isNumber(c.unicode()))
            return true; // swallowed before it reaches the field
    return false;
}

void frmChangeLogin::txtNumpad_Edited(const QString& text)
{
    // The inserted part is what lies between the unchanged start and the unchanged end.
    const QString& before = numpadText_;
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < text.size() && before[prefix] == text[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < text.size() - prefix &&
           before[before.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;
    if (!LoginSettings::onlyNumbers(text.mid(prefix, text.size() - prefix - suffix).toStdU16String())) {
        // Anything but digits: the change is undone whole once the field has finished it.
        revertPending_ = true;
        revertCursor_ = static_cast<int>(prefix);
    }
}

void frmChangeLogin::txtNumpad_Changed(const QString& text)
{
    if (!revertPending_) {
        // Copied into its own buffer, not shared: a shared buffer would make the box copy its text at the
        // next key.
        numpadText_.resize(0);
        numpadText_.append(text); // also a text set by the program
        return;
    }
    revertPending_ = false;
    {
        const QSignalBlocker quiet(txtNumpad);
        WipeBox(txtNumpad); // the refused text held digits too
    }
    txtNumpad->setText(roomyText(numpadText_));
    txtNumpad->setCursorPosition(revertCursor_);
}

void frmChangeLogin::cmdOK_Click()
{
    if (unloaded_ || encrypting_)
        return;
    LoginEntries entries;
    entries.userName = SecretTextOf(txtUsername);
    entries.password = SecretTextOf(txtPassword1);
    entries.confirm = SecretTextOf(txtConfirm);
    entries.numpad = SecretTextOf(txtNumpad);
    entries.encrypt = chkEncrypt->isChecked();

    // The idle lock may come while a prompt is open or the key is derived: it closes this dialog (which may then be
    // gone) and hides the main window. Only locals are used once the operation has run; the operation keeps
    // itself until its end.
    const QPointer<frmChangeLogin> self(this);
    Session* const session = &session_;
    const QPointer<QWidget> main = main_;
    const auto settings = session_.loginSettings(save_, [self] { return self && !self->unloaded_; });
    LoginSettings* const operation = settings.get(); // alive while it calls back
    settings->changeLogin(entries, [self, session, main, operation](const Result& done) {
        if (self)
            self->showEncrypting(false);
        if (done.mustEnd() || !operation->closes())
            return; // the main window has ended the program, or the dialog stays (or went already)
        if (self)
            self->unload();
        if (!main)
            return;
        if (operation->removed()) {
            if (session->book().onTop())
                session->platform().setWindowTopmost(1, main);
        } else {
            main->show();
            main->raise();
        }
    });
    if (settings->busy() && self) // a prompt on the way may have seen the dialog closed and gone
        self->showEncrypting(true);
}

void frmChangeLogin::showEncrypting(bool encrypting)
{
    encrypting_ = encrypting;
    lblStatus->setText(encrypting ? QString::fromLatin1(kEncryptingAccounts) : QString());
    lblStatus->setAccessibleName(lblStatus->text());
    // What is typed or clicked meanwhile is dropped, not kept for later.
    for (QWidget* w : std::initializer_list<QWidget*>{txtUsername, txtPassword1, txtConfirm, txtNumpad, chkEncrypt,
                                                      cmdOK, cmdCancel})
        w->setEnabled(!encrypting);
    if (encrypting)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void frmChangeLogin::cmdCancel_Click()
{
    if (unloaded_ || encrypting_)
        return;
    unload();
    if (main_) {
        main_->show();
        main_->raise();
    }
}

void frmChangeLogin::unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    forgetEntries();
    done(QDialog::Rejected);
}

void frmChangeLogin::reject()
{
    cmdCancel_Click();
}

void frmChangeLogin::closeEvent(QCloseEvent* event)
{
    if (encrypting_) {
        event->ignore(); // the dialog stays until the accounts are encrypted (or the lock unloads it)
        return;
    }
    event->accept();
    unload();
}

bool frmChangeLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtNumpad && event->type() == QEvent::KeyPress && txtNumpad_KeyPress(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}
