#pragma once

#include "app/model/AccountBook.h"
#include "base/Result.h"

#include <QMainWindow>
#include <QPoint>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QAction;
class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QMenu;
class QPushButton;
class QStringListModel;
class QTimer;
class Session;
class FieldBox;
class frmAbout;
class frmLocked;
class frmChangeLogin;
class NotesEditor;

// The main window: one account at a time in five fields, and the menus of every command. A view of the session's
// account book (app/model/AccountBook.h) and lock (app/model/Session.h), which hold the state and decide; the
// window shows that state and forwards the user's events to them, and shows it again before every prompt.
// Files: Form1.cpp (wiring, menus, load), Form1_layout.cpp, Form1_view.cpp (showing the state),
// Form1_handlers.cpp (the events), Form1_window.cpp (window options, lock, exit).
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    // endProgram ends the program with the exit status given; the window calls it when an operation says the
    // program must end.
    Form1(Session& session, std::function<void(ExitStatus)> endProgram, QWidget* parent = nullptr);
    ~Form1() override;

    // The load sequence, on the table the session loaded.
    void Form_Load();
    // Writes the whole table and shows the outcome; ends the program when the result says so.
    Result SaveToFile();
    // Clears the clipboard, wipes the secrets and ends the program.
    void Form_Unload();

    AccountBook& book() { return book_; }
    QTimer* idleTimer() const { return Timer1; }
    frmLocked* lockScreen() const { return lockScreen_; }

    static constexpr const char* kPlaceholder = AccountBook::kPlaceholder;

public slots:
    // The window's own commands: side windows, the idle timer, the lock and exit.
    void sec_off_Click();
    void sec_on_Click();
    void Login_Click();
    void About_Click();
    void Exit_Click();
    void Lock_Click();
    void Timer1_Timer();

private slots:
    // Lookup and display.
    void cboSelect_Change();
    void cboSelect_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void cboSelect_DropDown();
    void cmdGo_Click();
    void cmdGo_KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // Editing.
    void Add_Account_Click();
    void cmdChange_Click();
    void cmdDelete_Click();
    void cmdCancel_Click();
    void New_Click();
    void txtUserid_Change();
    void txtPassword_Change();
    void txtWebsite_Change();
    void txtGeneral_Change();

    // Display modes.
    void LoginSelect_Click();
    void Command1_Click();
    void MaskUser_Click();
    void MaskPwd_Click();
    void mask_all_Click();
    void mask_none_Click();
    void box_DblClick(FieldBox* box);
    void box_MouseMove(FieldBox* box);
    // Notes with line breaks, read and edited line by line: a double-click on the Notes box when they have
    // some, Ctrl+Enter in it at any time.
    void editNoteLines();

    // Clipboard, website, online help, password generator, export and import.
    void cmdCopy1_Click();
    void cmdCopy2_Click();
    void cmdCopy3_Click();
    void cmdCopy4_Click();
    void Clear_Clipboard_Click();
    void Online_Click();
    void passwordGen_Click();
    void Export_Click();
    void Import_Click();
    void ImportFromProgram_Click();
    void RestoreVersion_Click();
    // A change in the data folder: not in the middle of an operation (its own save), a moment later.
    void lookOutside();

    // Window options.
    void OnTop_Click();
    void mnuTooltips_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls(); // Form1_layout.cpp
    void placeControls();
    void wireControls();
    void buildMenus();
    void setTabOrder();
    void applyToolTips(bool on);

    // Form1_view.cpp: the session's state onto the widgets.
    // Runs an operation of the book with the combo text the window holds, then shows the book's state, or
    // ends the program when the operation says so.
    void run(const std::function<Result()>& operation);
    void act(const std::function<void()>& operation);
    void showBook();
    // The lock: the window hidden behind the lock screen (coming back at the same place), its fields emptied
    // and the side windows closed, or shown again; the idle timer running as the session says.
    void showLock();
    void closeSideWindows();
    // The lock empties the four boxes and the combo text, so that nothing behind the lock screen can read them
    // (accessibility clients included); the unlock puts them back exactly. Neither runs any change rule.
    void concealFields();
    void revealFields();
    // Shows the window in its normal state at the place and size it had when it was locked.
    void showWhereLeft();
    void showTexts();
    void showAccountList();
    void showMode();
    void setComboText(const QString& text);
    void setRecordLabel(const QString& recordNo);
    FieldBox* boxOf(AccountBook::Box box) const;
    void boxEdited(AccountBook::Box box);

    Session& session_;
    AccountBook& book_;
    std::function<void(ExitStatus)> endProgram_;
    bool settingText_ = false; // the window itself is filling the boxes
    int shownNamesRevision_ = -1;
    std::array<int, AccountBook::BoxCount> shownBoxRevisions_{-1, -1, -1, -1};
    bool shownLocked_ = false;
    int operationDepth_ = 0;

    // The combo text while the window is locked.
    struct HiddenCombo
    {
        bool concealed = false;
        QString text;
        int cursor = 0;
        int selectionStart = -1;
        int selectionLength = 0;
        bool modified = false;
    } hiddenCombo_;

    QStringListModel* accountModel_ = nullptr;
    std::optional<QPoint> place_; // where the window's frame stood when it was locked

    // Controls, named as on the window.
    QLabel* Label7 = nullptr;
    QLabel* lblID = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* cboSelect = nullptr;
    QPushButton* cmdGo = nullptr;
    QLabel* lblMode = nullptr;
    QLabel* Label4 = nullptr;
    FieldBox* txtWebsite = nullptr;
    QPushButton* cmdCopy1 = nullptr;
    QLabel* Label3 = nullptr;
    FieldBox* txtGeneral = nullptr;
    QPushButton* cmdCopy2 = nullptr;
    QLabel* Label1 = nullptr;
    FieldBox* txtUserid = nullptr;
    QPushButton* cmdCopy3 = nullptr;
    QLabel* Label2 = nullptr;
    FieldBox* txtPassword = nullptr;
    QPushButton* cmdCopy4 = nullptr;
    QPushButton* cmdChange = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* Add_Account = nullptr;
    QPushButton* cmdCancel = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* lookTimer_ = nullptr;
    QFileSystemWatcher* folderWatcher_ = nullptr;

    // Menus and items.
    QMenu* File = nullptr;
    QMenu* View = nullptr;
    QMenu* Options = nullptr;
    QMenu* Help = nullptr;
    QAction* New = nullptr;
    QAction* Import = nullptr;
    QAction* ImportFromProgram = nullptr;
    QAction* RestoreVersion = nullptr;
    QAction* Export = nullptr;
    QAction* Login = nullptr;
    QAction* Clear_Clipboard = nullptr;
    QAction* Exit = nullptr;
    QAction* Command1 = nullptr;
    QAction* MaskUser = nullptr;
    QAction* MaskPwd = nullptr;
    QAction* mask_all = nullptr;
    QAction* mask_none = nullptr;
    QAction* OnTop = nullptr;
    QAction* passwordGen = nullptr;
    QAction* LoginSelect = nullptr;
    QAction* mnuTooltips = nullptr;
    QAction* Lock = nullptr;
    QAction* sec_off = nullptr;
    QAction* sec_on = nullptr;
    QAction* Online = nullptr;
    QAction* About = nullptr;

    frmLocked* lockScreen_ = nullptr;
    frmChangeLogin* changeLogin_ = nullptr;
    frmAbout* about_ = nullptr;
    NotesEditor* notesEditor_ = nullptr;
    QAction* noteLinesMark_ = nullptr; // in the Notes box, shown when the notes have line breaks
    void wireNoteLines();
    void showNoteLinesMark();
    // The editor's lines go into the Notes box as if typed there: on OK as an edit, on the lock while the window
    // renders it (nothing typed is lost); Cancel drops them.
    enum class KeepLines { No, AsEdit, WhileRendering };
    void closeNoteLines(KeepLines keep);
    void putNoteLines(const SecretString& lines, KeepLines keep);
};
