#include "platform/qt/VersionListDialog.h"

#include "platform/qt/DialogText.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

VersionListDialog::VersionListDialog(VersionList& versions, QWidget* parent) : QDialog(parent), versions_(versions)
{
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("Restore an Earlier Version"));
    auto* layout = new QVBoxLayout(this);

    const QString listLabel = QStringLiteral("&Versions kept (newest first):");
    auto* lblVersions = named(new QLabel(listLabel, this), "lblVersions", listLabel);
    layout->addWidget(lblVersions);
    lstVersions_ = named(new QListWidget(this), "lstVersions", listLabel);
    for (const std::string& row : versions_.rows())
        lstVersions_->addItem(fromUtf8(row)); // plain text: nothing in a row is read as markup
    lblVersions->setBuddy(lstVersions_);
    layout->addWidget(lstVersions_);

    const QString detailsLabel = QStringLiteral("&What a restore would change:");
    auto* lblDetails = named(new QLabel(detailsLabel, this), "lblDetails", detailsLabel);
    layout->addWidget(lblDetails);
    txtDetails_ = named(new QPlainTextEdit(this), "txtDetails", detailsLabel);
    txtDetails_->setReadOnly(true);
    txtDetails_->setTabChangesFocus(true);
    lblDetails->setBuddy(txtDetails_);
    layout->addWidget(txtDetails_);

    auto* buttons = new QDialogButtonBox(this);
    const QString restoreText = QStringLiteral("&Restore");
    const QString closeText = QStringLiteral("Close");
    auto* cmdRestore = named(buttons->addButton(restoreText, QDialogButtonBox::AcceptRole), "cmdRestore", restoreText);
    auto* cmdClose = named(buttons->addButton(closeText, QDialogButtonBox::RejectRole), "cmdClose", closeText);
    cmdRestore->setAutoDefault(false);
    cmdClose->setDefault(true); // Enter alone restores nothing
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(lstVersions_, &QListWidget::currentRowChanged, this, &VersionListDialog::showDetails);
    resize(560, 420);
    if (lstVersions_->count() > 0)
        lstVersions_->setCurrentRow(0);
    lstVersions_->setFocus();
}

void VersionListDialog::showDetails()
{
    // Opening a version may derive a login's key: the wait shows.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    txtDetails_->setPlainText(fromUtf8(versions_.details(lstVersions_->currentRow())));
    QGuiApplication::restoreOverrideCursor();
}

int VersionListDialog::chosen() const
{
    return result() == QDialog::Accepted ? lstVersions_->currentRow() : -1;
}
