#include "ui/import/ImportPreviewDialog.h"

#include "cipher/SecureWipe.h"
#include "platform/qt/DialogText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

ImportPreviewDialog::ImportPreviewDialog(const ImportPreview& preview, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImportPreview"));
    setWindowTitle(QStringLiteral("Import from Another Program"));
    auto* layout = new QVBoxLayout(this);

    const QString summary = fromUtf8(preview.summary);
    auto* lblSummary = named(new QLabel(summary, this), "lblSummary", summary);
    lblSummary->setTextFormat(Qt::PlainText); // it quotes the file's own column names: never markup or a link
    lblSummary->setWordWrap(true);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblSummary->setFocusPolicy(Qt::StrongFocus); // read by screen readers as the user tabs through
    layout->addWidget(lblSummary);

    if (preview.existingNames > 0) {
        const QString question = QStringLiteral("Accounts whose names already exist:");
        layout->addWidget(named(new QLabel(question, this), "lblExisting", question));
        const QString number = QStringLiteral("&Add them with a number, as \"Name (2)\"");
        const QString skip = QStringLiteral("&Skip them");
        optNumber_ = named(new QRadioButton(number, this), "optNumber", number);
        optSkip_ = named(new QRadioButton(skip, this), "optSkip", skip);
        optNumber_->setChecked(true); // nothing the user had is left out unless they say so
        layout->addWidget(optNumber_);
        layout->addWidget(optSkip_);
    }

    const QString rowsLabel = QStringLiteral("&First accounts:");
    auto* lblRows = named(new QLabel(rowsLabel, this), "lblFirstAccounts", rowsLabel);
    layout->addWidget(lblRows);
    auto* grdRows = new QTableWidget(static_cast<int>(preview.firstRows.size()), 3, this);
    named(grdRows, "grdFirstAccounts", rowsLabel);
    grdRows->setHorizontalHeaderLabels(
        {QStringLiteral("Account Name"), QStringLiteral("Website"), QStringLiteral("User ID")});
    grdRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdRows->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdRows->setTabKeyNavigation(false); // Tab leaves the table for the buttons
    grdRows->verticalHeader()->setVisible(false);
    grdRows->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < static_cast<int>(preview.firstRows.size()); ++r) {
        const ImportPreviewRow& row = preview.firstRows[static_cast<std::size_t>(r)];
        grdRows->setItem(r, 0, new QTableWidgetItem(fromUtf8(row.name)));
        grdRows->setItem(r, 1, new QTableWidgetItem(fromUtf8(row.website)));
        const std::string_view id = row.userId.view();
        grdRows->setItem(r, 2, new QTableWidgetItem(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size()))));
    }
    grdRows->resizeColumnsToContents();
    grdRows_ = grdRows;
    lblRows->setBuddy(grdRows);
    layout->addWidget(grdRows);

    auto* buttons = new QDialogButtonBox(this);
    const QString importText = QStringLiteral("&Import");
    const QString cancelText = QStringLiteral("Cancel");
    auto* cmdImport = named(buttons->addButton(importText, QDialogButtonBox::AcceptRole), "cmdImport", importText);
    named(buttons->addButton(cancelText, QDialogButtonBox::RejectRole), "cmdCancel", cancelText);
    cmdImport->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    resize(560, 360);
    cmdImport->setFocus();
}

ImportPreviewDialog::~ImportPreviewDialog()
{
    // text() shares the item's own buffer: writing through it leaves no user ID behind when the items go.
    for (int r = 0; r < grdRows_->rowCount(); ++r)
        if (const QTableWidgetItem* item = grdRows_->item(r, 2)) {
            const QString id = item->text();
            if (!id.isEmpty() && id.capacity() > 0)
                wipeBytes(const_cast<QChar*>(id.constData()), static_cast<std::size_t>(id.size()) * sizeof(QChar));
        }
}

QDialog* ImportPreviewDialog::create(const ImportPreview& preview, QWidget* owner)
{
    return new ImportPreviewDialog(preview, owner);
}

static_assert(static_cast<int>(ImportChoice::Cancel) == QDialog::Rejected, "a closed preview imports nothing");

ImportChoice ImportPreviewDialog::choice() const
{
    return static_cast<ImportChoice>(result());
}

void ImportPreviewDialog::accept()
{
    done(static_cast<int>(optSkip_ && optSkip_->isChecked() ? ImportChoice::SkipExisting : ImportChoice::AddNumbered));
}
