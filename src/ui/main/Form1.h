#pragma once

#include "app/AccountRecord.h"
#include "app/OptionsFile.h"
#include "ui/main/AccountNameList.h"

#include <QMainWindow>
#include <QStringList>

#include <string>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QStringListModel;
class QTimer;
struct AppState;
class FieldBox;
class frmAbout;
class frmLocked;
class frmChangeLogin;

// The main window: one account at a time in five fields, every account in memory, and the menus of every
// command. Its handlers are spread over files by concern: Form1.cpp (layout, load, options, account list),
// Form1_modes.cpp, Form1_lookup.cpp, Form1_editing.cpp, Form1_clipboard.cpp, Form1_website.cpp,
// Form1_generator.cpp, Form1_exchange.cpp, Form1_window.cpp (window options, lock, exit).
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(AppState& state, QWidget* parent = nullptr);
    ~Form1() override;

    // The load sequence; false when the program ended during it (the caller returns at once).
    bool Form_Load();

    // Writes the whole table and shows the outcome. False only when the program ended (the recovery
    // question was answered No); every caller then returns at once.
    bool SaveToFile();

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

    // Clipboard.
    void cmdCopy2_Click();
    void cmdCopy3_Click();
    void cmdCopy4_Click();
    void Clear_Clipboard_Click();

    // Website and online help.
    void cmdCopy1_Click();
    void Online_Click();
    void RunBrowser(const std::string& url, int windowStyle);

    // Password generator.
    void passwordGen_Click();
    void PasswordGenerator();

    // Export and import.
    void Export_Click();
    void Import_Click();

    // Window options, security, lock and exit.
    void OnTop_Click();
    void mnuTooltips_Click();
    void sec_off_Click();
    void sec_on_Click();
    void Login_Click();
    void About_Click();
    void Exit_Click();
    void Lock_Click();
    void Timer1_Timer();
    // Clears the clipboard and ends the program.
    void Form_Unload();

    // Closes the login settings dialog and the About box when they are open (the lock does this).
    void closeSideWindows();
    // Hides the window behind the lock screen (it comes back at the same place), closes the side windows,
    // clears the clipboard and cancels open prompts: the lock by command and the idle lock alike.
    void lockWindow();
    // The lock empties the four boxes and the combo text, so that nothing behind the lock screen can read them
    // (accessibility clients included); the unlock puts them back exactly. Neither runs any change rule.
    void concealFields();
    void revealFields();

    AccountTable& accountTable() { return AccountTable_; }
    const OptionsRecord& options() const { return options_; }
    AppState& state() { return state_; }
    QTimer* idleTimer() const { return Timer1; }
    QAction* onTopAction() const { return OnTop; }
    frmLocked* lockScreen() const { return lockScreen_; }
    const SecretString& generatedPassword() const { return GeneratedPassword; }

    // The placeholder the account combo box shows at start.
    static constexpr const char* kPlaceholder = "< Select or type account here >";

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls(); // Form1_layout.cpp
    void placeControls();
    void wireControls();
    void buildMenus();
    void setTabOrder();
    void applyMasksFromOptions();
    void applyToolTips(bool on);
    void setMask(FieldBox* box, QAction* item, bool masked);
    void storeMask(FieldBox* box, QAction* item, OptionsRecord::Field field, bool masked);
    void toggleMask(FieldBox* box, QAction* item, OptionsRecord::Field field);
    void setAllMasks(bool masked);

    // Options file: refresh the window's copy from disk when the file exists; write it back only when
    // what the file holds would change.
    void readOptions();
    void writeOptions();

    // The account list of the combo box, kept in the user's collation order without regard to letter case.
    void fillAccountList();    // from the table, skipping the header marker
    void rebuildAccountList(); // empties the list (and the combo text) and fills it again
    void addAccountName(const QString& name);
    // Sets the combo text and runs the change rule, as a change made by code does.
    void setComboText(const QString& text);
    QString comboText() const;
    // Shows a record number in lblID (empty: no record on display).
    void setRecordLabel(const QString& recordNo);
    // The element on display (lblID + 1 as an index into the 0-based table), or -1.
    int displayedIndex() const;

    void enterDragDropMode();
    void enterEditMode();
    void boxChangeRule();

    // Lookup and editing: shows the element at index (lblID, the combo text, the four boxes) without running
    // the box change rule; the callers set the buttons and the mode themselves.
    void showRecord(int index);
    // The four boxes' texts into the record: Add and Change store what the window shows.
    void takeFields(AccountRecord& r) const;
    // The website button's work; false when the program ended during its save.
    bool openWebsite();

    AppState& state_;
    AccountTable AccountTable_;
    OptionsRecord options_;
    std::string lastOptionsLine_; // what the options file held when last read or written

    bool AutoCompleteSuppressed = false;
    bool SkipWebsiteOnGo = false;
    bool settingText_ = false; // the window itself is filling the boxes
    SecretString GeneratedPassword;

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

    AccountNameList accountNames_; // mirror of the combo list, in list order
    QStringListModel* accountModel_ = nullptr;

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

    // Menus and items.
    QMenu* File = nullptr;
    QMenu* View = nullptr;
    QMenu* Options = nullptr;
    QMenu* Help = nullptr;
    QAction* New = nullptr;
    QAction* Import = nullptr;
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
};
