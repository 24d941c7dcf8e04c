// The main window's controls and their places: twips turned into pixels for the font in use.
#include "ui/login/Twips.h"
#include "ui/main/AccountCombo.h"
#include "ui/main/FieldBox.h"
#include "ui/main/FixedColours.h"
#include "ui/main/Form1.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace {

constexpr int kClientWidth = 4665;
constexpr int kClientHeight = 3675;

// Names what a control is for, for screen readers.
template <typename W> W* named(W* w, const char* objectName, const QString& accessibleName)
{
    w->setObjectName(QString::fromLatin1(objectName));
    w->setAccessibleName(accessibleName);
    return w;
}

// What an editable combo box needs around its text: frame, arrow and the line edit's own margins.
double comboMargins(QComboBox* combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = true;
    const QSize text(0, combo->fontMetrics().height());
    return combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, combo).width() + 6;
}

} // namespace

void Form1::createControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    auto label = [client](const char* name, const QString& text) {
        return named(new QLabel(text, client), name, text);
    };
    auto box = [client](const char* name, const QString& accessible, int maxLength) {
        auto* b = named(new FieldBox(client), name, accessible);
        b->setTypingLimit(maxLength);
        return b;
    };
    auto button = [client](const char* name, const QString& caption) {
        auto* b = named(new QPushButton(caption, client), name, caption);
        b->setStyleSheet(fixedcolours::buttonSheet(fixedcolours::kSilver));
        return b;
    };
    // Our own pictures, not the desktop theme's: they are drawn for the buttons' fixed silver.
    auto pictureButton = [client](const char* name, const QString& accessible, const char* picture) {
        auto* b = named(new QPushButton(client), name, accessible);
        b->setIcon(QIcon(QString::fromLatin1(picture)));
        b->setStyleSheet(fixedcolours::buttonSheet(fixedcolours::kSilver));
        return b;
    };

    Label7 = label("Label7", QStringLiteral("ID"));
    lblID = named(new QLabel(client), "lblID", QStringLiteral("ID"));
    lblID->setTextFormat(Qt::PlainText); // the record number read from the file
    Label6 = label("Label6", QStringLiteral("Account Name"));

    auto* accountCombo = named(new AccountCombo(client), "cboSelect", QStringLiteral("Account Name"));
    connect(accountCombo, &AccountCombo::popupOpening, this, &Form1::cboSelect_DropDown);
    accountCombo->setPrompt(QString::fromLatin1(kPlaceholder));
    cboSelect = accountCombo;
    cboSelect->setEditable(true);
    cboSelect->setInsertPolicy(QComboBox::NoInsert);
    cboSelect->setCompleter(nullptr); // completion follows the window's own rule
    cboSelect->setMaxVisibleItems(20);
    accountModel_ = new QStringListModel(this);
    cboSelect->setModel(accountModel_);
    Label6->setBuddy(cboSelect);

    cmdGo = named(new QPushButton(QStringLiteral("GO"), client), "cmdGo", QStringLiteral("GO"));
    cmdGo->setStyleSheet(fixedcolours::buttonSheet(fixedcolours::kLightYellow));
    cmdGo->setDefault(true);

    // The mode label's name is its caption, so that screen readers tell the mode and hear it change.
    lblMode = new QLabel(client);
    lblMode->setObjectName(QStringLiteral("lblMode"));
    lblMode->setAutoFillBackground(true);

    Label4 = label("Label4", QStringLiteral("Website"));
    txtWebsite = box("txtWebsite", QStringLiteral("Website"), 100);
    cmdCopy1 = pictureButton("cmdCopy1", QStringLiteral("Open website"), ":/buttons/open-website.png");
    Label3 = label("Label3", QStringLiteral("Notes"));
    txtGeneral = box("txtGeneral", QStringLiteral("Notes"), 100);
    cmdCopy2 = pictureButton("cmdCopy2", QStringLiteral("Copy notes"), ":/buttons/copy.png");
    Label1 = label("Label1", QStringLiteral("User ID"));
    txtUserid = box("txtUserid", QStringLiteral("User ID"), 50);
    cmdCopy3 = pictureButton("cmdCopy3", QStringLiteral("Copy user ID"), ":/buttons/copy.png");
    Label2 = label("Label2", QStringLiteral("Password"));
    txtPassword = box("txtPassword", QStringLiteral("Password"), 50);
    cmdCopy4 = pictureButton("cmdCopy4", QStringLiteral("Copy password"), ":/buttons/copy.png");
    // Copy without reaching for the mouse. (Ctrl+Shift+U would suit the user ID, but input methods take it for
    // Unicode entry in a text box before the window sees it.)
    for (FieldBox* secret : {txtGeneral, txtUserid, txtPassword})
        secret->setSelectionPrivate(true);
    cmdCopy2->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    cmdCopy3->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    cmdCopy4->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    Label4->setBuddy(txtWebsite);
    Label3->setBuddy(txtGeneral);
    Label1->setBuddy(txtUserid);
    Label2->setBuddy(txtPassword);

    cmdChange = button("cmdChange", QStringLiteral("Change"));
    cmdDelete = button("cmdDelete", QStringLiteral("Delete"));
    Add_Account = button("Add_Account", QStringLiteral("Add"));
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"));
}

void Form1::placeControls()
{
    const QString modeCaption = QStringLiteral(" Drag/Drop Mode ");
    const std::vector<twips::Placement> places = {
        {Label7, 360, 255, 315, 255, Label7->text(), twips::kLabelMargins},
        {lblID, 360, 465, 660, 315, QStringLiteral("32767"), twips::kLabelMargins},
        {Label6, 1125, 255, 1545, 255, Label6->text(), twips::kLabelMargins},
        {cboSelect, 1110, 465, 2565, 315, QString::fromLatin1(kPlaceholder), comboMargins(cboSelect)},
        {cmdGo, 3780, 450, 465, 360, cmdGo->text(), twips::kButtonMargins},
        {lblMode, 3375, 60, 1245, 255, modeCaption, twips::kLabelMargins},
        {Label4, 375, 1140, 795, 315, Label4->text(), twips::kLabelMargins},
        {txtWebsite, 1380, 1110, 2295, 315},
        {cmdCopy1, 3795, 1095, 465, 375},
        {Label3, 375, 1605, 795, 315, Label3->text(), twips::kLabelMargins},
        {txtGeneral, 1380, 1560, 2295, 315},
        {cmdCopy2, 3795, 1545, 465, 360},
        {Label1, 375, 2040, 795, 315, Label1->text(), twips::kLabelMargins},
        {txtUserid, 1380, 2010, 2295, 315},
        {cmdCopy3, 3795, 1995, 465, 360},
        {Label2, 375, 2520, 885, 315, Label2->text(), twips::kLabelMargins},
        {txtPassword, 1380, 2475, 2295, 315},
        {cmdCopy4, 3795, 2460, 465, 360},
        {cmdChange, 375, 3030, 915, 375, cmdChange->text(), twips::kButtonMargins},
        {cmdDelete, 1350, 3030, 915, 375, cmdDelete->text(), twips::kButtonMargins},
        {Add_Account, 2325, 3030, 915, 375, Add_Account->text(), twips::kButtonMargins},
        {cmdCancel, 3300, 3030, 915, 375, cmdCancel->text(), twips::kButtonMargins},
    };
    twips::Layout unit(font());
    twips::placeAll(unit, places);
    const int icon = std::min(cmdCopy1->width(), cmdCopy1->height()) * 2 / 3;
    for (QPushButton* b : {cmdCopy1, cmdCopy2, cmdCopy3, cmdCopy4})
        b->setIconSize(QSize(icon, icon));

    centralWidget()->setFixedSize(unit.size(kClientWidth, kClientHeight));
    // The window is as large as its controls need and no larger: it neither resizes nor maximises.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
}
