#include "ui/main/Form1.h"

#include "app/model/Session.h"
#include "platform/Platform.h"
#include "ui/main/AccountCombo.h"
#include "ui/main/FieldBox.h"
#include "ui/main/Form1Texts.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

// Forwards key presses of the combo box and of the GO button to the window's key handlers.
class KeyForwarder : public QObject
{
public:
    KeyForwarder(QObject* parent, std::function<void(int, Qt::KeyboardModifiers)> handler)
        : QObject(parent), handler_(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Tab and Shift+Tab only move the focus on: they are no key of the control they leave.
            if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
                handler_(key->key(), key->modifiers());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int, Qt::KeyboardModifiers)> handler_;
};

// Enter on a focused button presses that button, as Space does; GO, the default button, does so by itself.
class EnterPresses : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
                auto* button = static_cast<QPushButton*>(watched);
                if (button->isEnabled())
                    button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

// The button pictures live in the UI library's resource, which a static library must register by hand.
static void initButtonPictures()
{
    Q_INIT_RESOURCE(buttons);
}

Form1::Form1(Session& session, std::function<void(ExitStatus)> endProgram, QWidget* parent)
    : QMainWindow(parent), session_(session), book_(session.book()), endProgram_(std::move(endProgram))
{
    initButtonPictures();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("  Coffernote"));
    createControls();
    placeControls();
    wireControls();
    buildMenus();
    setTabOrder();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(60000);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    // Another computer's save arrives through a synchronised folder as a change in the data folder; a moment
    // later (its files come one by one) the session takes it in.
    lookTimer_ = new QTimer(this);
    lookTimer_->setSingleShot(true);
    lookTimer_->setInterval(500);
    connect(lookTimer_, &QTimer::timeout, this, &Form1::lookOutside);
    folderWatcher_ = new QFileSystemWatcher(this);
    folderWatcher_->addPath(QString::fromStdString(session_.programFolder()));
    connect(folderWatcher_, &QFileSystemWatcher::directoryChanged, lookTimer_, qOverload<>(&QTimer::start));

    // A message or question asked in the middle of an operation finds the window as the operation has left it
    // so far: the user decides while looking at the account it concerns.
    session_.platform().setPromptObserver(this, [this] { showBook(); });
}

Form1::~Form1()
{
    session_.platform().removePromptObserver(this);
}

void Form1::wireControls()
{
    connect(cboSelect->lineEdit(), &QLineEdit::textEdited, this, [this] { cboSelect_Change(); });
    // The combo box holds the focus and hands typed keys to its line edit directly, past any filter there; keys
    // sent to the line edit itself come through its own filter. A key seen by both runs the handler twice,
    // which changes nothing.
    auto* comboKeys =
        new KeyForwarder(this, [this](int key, Qt::KeyboardModifiers mods) { cboSelect_KeyDown(key, mods); });
    cboSelect->installEventFilter(comboKeys);
    cboSelect->lineEdit()->installEventFilter(comboKeys);
    cmdGo->installEventFilter(
        new KeyForwarder(this, [this](int key, Qt::KeyboardModifiers mods) { cmdGo_KeyDown(key, mods); }));
    // GO is the default button: Enter in the combo box or a field presses it when it is enabled.
    auto pressGo = [this] {
        if (cmdGo->isEnabled())
            cmdGo->click();
    };
    connect(cboSelect->lineEdit(), &QLineEdit::returnPressed, this, pressGo);
    connect(cmdGo, &QPushButton::clicked, this, &Form1::cmdGo_Click);
    auto* enterPresses = new EnterPresses(this);
    for (QPushButton* b : {Add_Account, cmdChange, cmdDelete, cmdCancel, cmdCopy1, cmdCopy2, cmdCopy3, cmdCopy4})
        b->installEventFilter(enterPresses);
    connect(Add_Account, &QPushButton::clicked, this, &Form1::Add_Account_Click);
    connect(cmdChange, &QPushButton::clicked, this, &Form1::cmdChange_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &Form1::cmdDelete_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &Form1::cmdCancel_Click);
    connect(cmdCopy1, &QPushButton::clicked, this, &Form1::cmdCopy1_Click);
    connect(cmdCopy2, &QPushButton::clicked, this, &Form1::cmdCopy2_Click);
    connect(cmdCopy3, &QPushButton::clicked, this, &Form1::cmdCopy3_Click);
    connect(cmdCopy4, &QPushButton::clicked, this, &Form1::cmdCopy4_Click);

    const std::pair<FieldBox*, void (Form1::*)()> boxes[] = {
        {txtUserid, &Form1::txtUserid_Change},
        {txtPassword, &Form1::txtPassword_Change},
        {txtWebsite, &Form1::txtWebsite_Change},
        {txtGeneral, &Form1::txtGeneral_Change},
    };
    for (const auto& [b, handler] : boxes) {
        FieldBox* fieldBox = b;
        connect(fieldBox, &QLineEdit::textChanged, this, handler);
        connect(fieldBox, &QLineEdit::returnPressed, this, pressGo);
        connect(fieldBox, &FieldBox::doubleClicked, this, [this, fieldBox] { box_DblClick(fieldBox); });
        connect(fieldBox, &FieldBox::mouseMoved, this, [this, fieldBox] { box_MouseMove(fieldBox); });
        // The box keeps its text whatever the drop target does; its selection goes as the drag begins.
        connect(fieldBox, &FieldBox::dragStarting, fieldBox, &QLineEdit::deselect);
    }
    wireNoteLines();
}

void Form1::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& caption, bool checkable = false) {
        auto* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(checkable);
        return a;
    };
    // "&" gives every menu and item an access key, unique within its menu; the captions shown stay as they are.
    // File uses N, I, A, E, R, L, C and X.
    File = menuBar()->addMenu(QStringLiteral("&File"));
    File->setObjectName(QStringLiteral("File"));
    New = item(File, "New", QStringLiteral("&New"));
    Import = item(File, "Import", QStringLiteral("&Import"));
    ImportFromProgram = item(File, "ImportFromProgram", QStringLiteral("Import from &Another Program..."));
    Export = item(File, "Export", QStringLiteral("&Export"));
    RestoreVersion = item(File, "RestoreVersion", QStringLiteral("&Restore an Earlier Version..."));
    Login = item(File, "Login", QStringLiteral("&Login Settings"));
    Clear_Clipboard = item(File, "Clear_Clipboard", QStringLiteral("&Clear Clipboard"));
    Exit = item(File, "Exit", QStringLiteral("E&xit"));
    Exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    View = menuBar()->addMenu(QStringLiteral("&View"));
    View->setObjectName(QStringLiteral("View"));
    Command1 = item(View, "Command1", QStringLiteral("Mask &Notes"), true);
    MaskUser = item(View, "MaskUser", QStringLiteral("Mask &Username"), true);
    MaskPwd = item(View, "MaskPwd", QStringLiteral("Mask &Password"), true);
    View->addSeparator()->setObjectName(QStringLiteral("Separator2"));
    mask_all = item(View, "mask_all", QStringLiteral("Mask &All"));
    mask_none = item(View, "mask_none", QStringLiteral("Mask N&one"));

    Options = menuBar()->addMenu(QStringLiteral("&Options"));
    Options->setObjectName(QStringLiteral("Options"));
    OnTop = item(Options, "OnTop", QStringLiteral("&Always on Top"), true);
    OnTop->setChecked(true);
    passwordGen = item(Options, "passwordGen", QStringLiteral("&Generate Password"));
    LoginSelect = item(Options, "LoginSelect", QStringLiteral("&Drag/ Drop Mode"), true);
    mnuTooltips = item(Options, "mnuTooltips", QStringLiteral("&Show ToolTips"), true);
    mnuTooltips->setChecked(true);
    Options->addSeparator()->setObjectName(QStringLiteral("Separator"));
    Lock = item(Options, "Lock", QStringLiteral("&Lock Now"));
    Lock->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    sec_off = item(Options, "sec_off", QStringLiteral("Security O&FF"), true);
    sec_on = item(Options, "sec_on", QStringLiteral("Security O&N"), true);
    sec_on->setChecked(true);

    Help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help->setObjectName(QStringLiteral("Help"));
    Online = item(Help, "Online", QStringLiteral("&Online Help"));
    About = item(Help, "About", QStringLiteral("&About"));

    // The handlers decide the check marks themselves: undo Qt's own toggle before they run.
    auto handle = [this](QAction* a, void (Form1::*handler)()) {
        connect(a, &QAction::triggered, this, [this, a, handler] {
            if (a->isCheckable())
                a->setChecked(!a->isChecked());
            (this->*handler)();
        });
    };
    handle(New, &Form1::New_Click);
    handle(Import, &Form1::Import_Click);
    handle(ImportFromProgram, &Form1::ImportFromProgram_Click);
    handle(Export, &Form1::Export_Click);
    handle(RestoreVersion, &Form1::RestoreVersion_Click);
    handle(Login, &Form1::Login_Click);
    handle(Clear_Clipboard, &Form1::Clear_Clipboard_Click);
    handle(Exit, &Form1::Exit_Click);
    handle(Command1, &Form1::Command1_Click);
    handle(MaskUser, &Form1::MaskUser_Click);
    handle(MaskPwd, &Form1::MaskPwd_Click);
    handle(mask_all, &Form1::mask_all_Click);
    handle(mask_none, &Form1::mask_none_Click);
    handle(OnTop, &Form1::OnTop_Click);
    handle(passwordGen, &Form1::passwordGen_Click);
    handle(LoginSelect, &Form1::LoginSelect_Click);
    handle(mnuTooltips, &Form1::mnuTooltips_Click);
    handle(Lock, &Form1::Lock_Click);
    handle(sec_off, &Form1::sec_off_Click);
    handle(sec_on, &Form1::sec_on_Click);
    handle(Online, &Form1::Online_Click);
    handle(About, &Form1::About_Click);
}

void Form1::setTabOrder()
{
    QWidget* order[] = {cboSelect, txtWebsite, txtGeneral,  txtUserid, txtPassword, cmdCopy1,  cmdCopy2,
                        cmdCopy3,  cmdCopy4,   Add_Account, cmdGo,     cmdChange,   cmdCancel, cmdDelete};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    cboSelect->setFocus();
}

void Form1::Form_Load()
{
    session_.openMain();
    showBook();
    showLock(); // the idle timer starts
    // The combo box starts with the focus and its prompt selected, as a combo box selects its text when it
    // gets the focus: the first keystroke replaces the prompt instead of adding to it. The caret stays in
    // front, so the prompt shows from its beginning.
    const int promptLength = static_cast<int>(cboSelect->currentText().size());
    cboSelect->lineEdit()->setSelection(promptLength, -promptLength);
}

Result Form1::SaveToFile()
{
    Result saved;
    run([this, &saved] { return saved = book_.SaveToFile(); });
    return saved;
}

void Form1::applyToolTips(bool on)
{
    const std::pair<QWidget*, const char*> tips[] = {
        {cboSelect, kTipSelect},      {cmdGo, kTipGo},
        {cmdCopy1, kTipCopy1},        {cmdCopy2, kTipCopy2},
        {cmdCopy3, kTipCopy3},        {cmdCopy4, kTipCopy4},
        {Add_Account, kTipAdd},       {cmdChange, kTipChange},
        {cmdCancel, kTipCancel},      {cmdDelete, kTipDelete},
        {txtPassword, kTipDragFirst}, {txtUserid, kTipDragFirst},
        {txtGeneral, kTipEditFirst},  {txtWebsite, kTipEditFirst},
    };
    for (const auto& [w, text] : tips)
        w->setToolTip(on ? QString::fromUtf8(text) : QString());
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}
