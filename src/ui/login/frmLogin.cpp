#include "ui/login/frmLogin.h"

#include "app/model/Session.h"
#include "ui/SecretText.h"
#include "ui/login/Twips.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <initializer_list>

namespace {

// The pad: button name, caption, digit, and its place on the form.
struct PadKey
{
    const char* name;
    const char* caption;
    char digit;
    int left;
    int top;
};

constexpr PadKey kPad[] = {
    {"Command1", "&1", '1', 3390, 450},  {"Command2", "&2", '2', 3795, 450},  {"Command3", "&3", '3', 4200, 450},
    {"Command4", "&4", '4', 3390, 810},  {"Command5", "&5", '5', 3795, 810},  {"Command6", "&6", '6', 4200, 810},
    {"Command7", "&7", '7', 3390, 1170}, {"Command8", "&8", '8', 3795, 1170}, {"Command10", "&9", '9', 4200, 1170},
    {"Command9", "&0", '0', 4200, 1530},
};

constexpr int kFrameLeft = 3255;
constexpr int kFrameTop = 165;

} // namespace

frmLogin::frmLogin(Session& session, std::function<void()> openMain, std::function<void(ExitStatus)> endProgram,
                   QWidget* parent)
    : QDialog(parent), model_(session.loginCheck()), openMain_(std::move(openMain)), endProgram_(std::move(endProgram))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral(" Login"));
    buildControls();
}

frmLogin::~frmLogin()
{
    // A key still being derived finds nobody to open the accounts for.
    if (model_.busy())
        model_.abandon();
    if (txtPassword1)
        WipeBox(txtPassword1);
}

const LoginCheck& frmLogin::model() const
{
    return model_;
}

void frmLogin::buildControls()
{
    std::vector<twips::Placement> places;
    const QFont bold = twips::labelFont(font());

    lblUserName = new QLabel(QStringLiteral("User Name"), this);
    lblUserName->setObjectName(QStringLiteral("lblLabels"));
    lblUserName->setFont(bold);
    places.push_back({lblUserName, 105, 270, 1080, 240, lblUserName->text()});

    txtUsername = new QLineEdit(this);
    txtUsername->setObjectName(QStringLiteral("txtUsername"));
    txtUsername->setAccessibleName(QStringLiteral("User Name"));
    txtUsername->setMaxLength(50);
    places.push_back({txtUsername, 1290, 255, 1740, 315});
    lblUserName->setBuddy(txtUsername);

    lblPassword1 = new QLabel(QStringLiteral("Password 1"), this);
    lblPassword1->setObjectName(QStringLiteral("lblLabels"));
    lblPassword1->setFont(bold);
    places.push_back({lblPassword1, 105, 870, 1005, 240, lblPassword1->text()});

    txtPassword1 = new QLineEdit(this);
    txtPassword1->setObjectName(QStringLiteral("txtPassword1"));
    txtPassword1->setAccessibleName(QStringLiteral("Password 1"));
    txtPassword1->setMaxLength(50);
    twips::maskWithStars(txtPassword1);
    places.push_back({txtPassword1, 1290, 855, 1740, 315});
    lblPassword1->setBuddy(txtPassword1);
    txtPassword1->installEventFilter(this);

    Frame1 = new QGroupBox(QStringLiteral(" Password 2 "), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAccessibleName(QStringLiteral("Password 2"));
    Frame1->setFont(bold);
    places.push_back({Frame1, kFrameLeft, kFrameTop, 1425, 1755, Frame1->title(), twips::kButtonMargins});

    QWidget* previous = txtPassword1;
    QWidget::setTabOrder(txtUsername, txtPassword1);
    for (const PadKey& key : kPad) {
        auto* b = new QPushButton(QString::fromLatin1(key.caption), Frame1);
        b->setObjectName(QString::fromLatin1(key.name));
        b->setAccessibleName(QString(QLatin1Char(key.digit)));
        b->setFont(font());
        // Enter means OK wherever the focus is; Space presses the focused digit.
        b->setAutoDefault(false);
        places.push_back({b, key.left - kFrameLeft, key.top - kFrameTop, 315, 315, b->text(), twips::kButtonMargins});
        const char digit = key.digit;
        connect(b, &QPushButton::clicked, this, [this, digit] { padDigit(digit); });
        b->installEventFilter(this);
        QWidget::setTabOrder(previous, b);
        previous = b;
    }

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    places.push_back({cmdOK, 105, 1530, 1350, 360, cmdOK->text(), twips::kButtonMargins});
    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAccessibleName(QStringLiteral("Cancel"));
    cmdCancel->setAutoDefault(false);
    places.push_back({cmdCancel, 1710, 1530, 1320, 360, cmdCancel->text(), twips::kButtonMargins});
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);

    // A protected file: one line more, below everything, for what OK opens.
    const bool note = model_.opensProtectedFile();
    if (note) {
        lblStatus = new QLabel(QString::fromLatin1(kProtectedFileNote), this);
        lblStatus->setObjectName(QStringLiteral("lblStatus"));
        lblStatus->setTextFormat(Qt::PlainText);
        lblStatus->setAccessibleName(lblStatus->text());
        places.push_back({lblStatus, 105, 2025, 4650, 240, lblStatus->text()});
    }

    twips::Layout unit(font());
    twips::placeAll(unit, places);
    setFixedSize(unit.size(kDialogWidth, note ? kProtectedDialogHeight : kDialogHeight));

    QWidget::setTabOrder(previous, cmdOK);
    QWidget::setTabOrder(cmdOK, cmdCancel);
    txtUsername->setFocus();
}

void frmLogin::Form_Load()
{
    model_.start();
    txtUsername->setFocus();
}

void frmLogin::padDigit(char digit)
{
    model_.padDigit(digit);
}

void frmLogin::cmdOK_Click()
{
    const bool wasFinished = model_.finished();
    // Called back once the check is over: at once, or when the key is derived, unless the dialog went first.
    const QPointer<frmLogin> self(this);
    LoginCheck::Calls calls;
    calls.deriving = [self](bool deriving) {
        if (self)
            self->showDeriving(deriving);
    };
    calls.finished = [self, wasFinished](const Result& checked) {
        if (self)
            self->loginChecked(checked, wasFinished);
    };
    model_.submitLogin(SecretTextOf(txtUsername), SecretTextOf(txtPassword1), std::move(calls));
}

void frmLogin::showDeriving(bool deriving)
{
    if (lblStatus) {
        lblStatus->setText(QString::fromLatin1(deriving ? kOpeningAccounts : kProtectedFileNote));
        lblStatus->setAccessibleName(lblStatus->text());
    }
    // What is typed or clicked meanwhile is dropped, not kept for later.
    for (QWidget* w : std::initializer_list<QWidget*>{txtUsername, txtPassword1, Frame1, cmdOK, cmdCancel})
        w->setEnabled(!deriving);
    if (deriving)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void frmLogin::loginChecked(const Result& checked, bool wasFinished)
{
    if (checked.mustEnd()) {
        leave(checked.exitStatus());
    } else if (checked.isReported()) {
        txtUsername->setFocus();
        txtUsername->selectAll();
    } else if (model_.loggedIn() && !wasFinished) {
        // The main window opens, then the dialog goes.
        if (openMain_)
            openMain_();
        WipeBox(txtPassword1);
        accept();
    }
}

void frmLogin::cmdCancel_Click()
{
    if (const Result cancelled = model_.cancelLogin(); cancelled.mustEnd())
        leave(cancelled.exitStatus());
}

void frmLogin::Form_Unload()
{
    cmdCancel_Click();
}

void frmLogin::reject()
{
    cmdCancel_Click();
}

void frmLogin::closeEvent(QCloseEvent* event)
{
    if (model_.busy()) {
        event->ignore(); // the key is being derived: the dialog stays until it is done
        return;
    }
    event->accept();
    Form_Unload();
}

void frmLogin::leave(ExitStatus exit)
{
    WipeBox(txtPassword1);
    hide();
    if (endProgram_)
        endProgram_(exit);
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtPassword1 && event->type() == QEvent::FocusIn) {
        // Entering the first password selects what it holds, however the focus came.
        txtPassword1->selectAll();
        return false;
    }
    if (event->type() == QEvent::KeyPress && watched->parent() == Frame1) {
        // With the focus on the pad, a bare digit key presses that digit's button, as its access key does.
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::NoModifier && key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9) {
            const char digit = static_cast<char>('0' + (key->key() - Qt::Key_0));
            for (const PadKey& k : kPad)
                if (k.digit == digit)
                    if (auto* b = Frame1->findChild<QPushButton*>(QString::fromLatin1(k.name))) {
                        b->setFocus(Qt::ShortcutFocusReason);
                        b->click();
                        return true;
                    }
        }
    }
    return QDialog::eventFilter(watched, event);
}
