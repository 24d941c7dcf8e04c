#include "ui/login/frmLocked.h"

#include "cipher/SecureWipe.h"
#include "ui/login/Twips.h"
#include "ui/main/Form1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

frmLocked::frmLocked(AppState& state, Form1& mainWindow) : QDialog(nullptr), model_(state), main_(mainWindow)
{
    setObjectName(QStringLiteral("frmLocked"));
    setWindowTitle(QStringLiteral(" Locked"));
    buildControls();
}

frmLocked::~frmLocked() = default;

void frmLocked::buildControls()
{
    std::vector<twips::Placement> places;

    Command1 = new QPushButton(QStringLiteral("UNLOCK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAccessibleName(QStringLiteral("UNLOCK"));
    QFont big = twips::labelFont(font());
    big.setPointSizeF(12);
    Command1->setFont(big);
    places.push_back({Command1, 1260, 420, 1800, 600, Command1->text(), twips::kButtonMargins});
    connect(Command1, &QPushButton::clicked, this, &frmLocked::Command1_Click);

    lblLabels = new QLabel(QStringLiteral("&Password:"), this);
    lblLabels->setObjectName(QStringLiteral("lblLabels"));
    lblLabels->setFont(twips::labelFont(font()));
    places.push_back({lblLabels, 240, 300, 1005, 255, lblLabels->text()});

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setAccessibleName(QStringLiteral("Password:"));
    twips::maskWithStars(txtPassword);
    txtPassword->setMaxLength(50);
    places.push_back({txtPassword, 1260, 270, 2820, 315});
    lblLabels->setBuddy(txtPassword);

    auto button = [this, &places](const char* name, const QString& caption, int left) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(caption);
        b->setAutoDefault(false);
        places.push_back({b, left, 840, 1200, 360, caption, twips::kButtonMargins});
        return b;
    };
    cmdOK = button("cmdOK", QStringLiteral("OK"), 240);
    cmdOK->setDefault(true);
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"), 1560);
    cmdExit = button("cmdExit", QStringLiteral("Exit"), 2880);
    connect(cmdOK, &QPushButton::clicked, this, &frmLocked::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLocked::cmdCancel_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmLocked::cmdExit_Click);

    twips::Layout unit(font());
    twips::placeAll(unit, places);
    setFixedSize(unit.size(4320, 1440));

    QWidget::setTabOrder(txtPassword, cmdOK);
    QWidget::setTabOrder(cmdOK, cmdCancel);
    QWidget::setTabOrder(cmdCancel, cmdExit);
}

void frmLocked::Form_Load()
{
    model_.lock();
    showStage();
}

void frmLocked::enterIdleState(bool empty)
{
    if (empty)
        model_.lock();
    else
        model_.cmdCancel_Click();
    showStage();
}

void frmLocked::showStage()
{
    if (model_.boxEmptied())
        txtPassword->clear();
    const bool entry = model_.stage() == LockScreen::Stage::Entry;
    for (QWidget* w : std::initializer_list<QWidget*>{lblLabels, txtPassword, cmdOK, cmdCancel, cmdExit})
        w->setVisible(entry);
    Command1->setVisible(!entry);
    if (entry) {
        txtPassword->setFocus();
        // UNLOCK took the default while it had the focus; Enter means OK again.
        cmdOK->setDefault(true);
    } else {
        Command1->setFocus();
    }
}

void frmLocked::Command1_Click()
{
    model_.Command1_Click();
    showStage();
}

void frmLocked::cmdCancel_Click()
{
    model_.cmdCancel_Click();
    showStage();
}

void frmLocked::cmdOK_Click()
{
    std::string typed = txtPassword->text().toStdString();
    const bool unlocked = model_.cmdOK_Click(typed);
    wipe(typed);
    showStage(); // idle again, the box emptied
    if (unlocked)
        unlock();
}

void frmLocked::unlock()
{
    main_.revealFields();
    main_.showWhereLeft(); // also restores a window that was minimized when it was locked
    main_.raise();
    main_.activateWindow();
    main_.idleTimer()->start();
    hide();
}

void frmLocked::cmdExit_Click()
{
    // The main window's unload clears the clipboard and ends the program; nothing runs after it.
    if (model_.cmdExit_Click().mustEnd())
        main_.Form_Unload();
}

void frmLocked::Form_Unload()
{
    cmdExit_Click();
}

void frmLocked::reject()
{
    // Esc is Exit's key, and Exit shows only while the password is being entered.
    if (model_.escapeExits())
        cmdExit_Click();
}

void frmLocked::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}
