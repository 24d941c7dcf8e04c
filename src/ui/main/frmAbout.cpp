#include "ui/main/frmAbout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

frmAbout::frmAbout(std::function<void()> startupSequence, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog), startupSequence_(std::move(startupSequence)), mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Coffernote"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* layout = new QVBoxLayout(this);
    auto* product = new QLabel(QStringLiteral("Coffernote"), this);
    product->setObjectName(QStringLiteral("lblProduct"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    product->setFont(big);
    product->setAlignment(Qt::AlignCenter);
    auto* tagline = new QLabel(QStringLiteral("Your accounts and passwords, encrypted."), this);
    tagline->setAlignment(Qt::AlignCenter);
    auto* build = new QLabel(QStringLiteral("Build " COFFERNOTE_VERSION), this);
    build->setObjectName(QStringLiteral("lblBuild"));
    build->setAlignment(Qt::AlignCenter);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdOK->setVisible(false);
    // A little air beside each line, whatever its width in the desktop's font.
    for (QLabel* l : {product, tagline, build})
        l->setMargin(2);
    layout->addWidget(product);
    layout->addWidget(tagline);
    layout->addWidget(build);
    layout->addWidget(cmdOK, 0, Qt::AlignCenter);
    setMinimumWidth(320);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(1300);
    connect(Timer1, &QTimer::timeout, this, &frmAbout::Timer1_Timer);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    // Esc closes the About box like its OK button; the splash ignores it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (!splash_)
            cmdOK_Click();
    });
}

void frmAbout::Form_Load()
{
    if (startupSequence_) {
        splash_ = true;
        // A splash window: no title bar and no close button, and no part in ending the program.
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
        Timer1->start();
    } else {
        splash_ = false;
        cmdOK->setVisible(true);
    }
}

void frmAbout::Timer1_Timer()
{
    // One-shot: the sequence never runs twice, even while one of its questions is open.
    Timer1->stop();
    if (!splash_ || sequenceRan_)
        return;
    sequenceRan_ = true;
    if (startupSequence_)
        startupSequence_();
}

void frmAbout::cmdOK_Click()
{
    if (mainWindow_)
        mainWindow_->setWindowState(mainWindow_->windowState() & ~Qt::WindowMinimized);
    close();
}

void frmAbout::unload()
{
    unloading_ = true;
    close();
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    // Alt+F4 or a window manager's close on the splash would end the program before it began: only the
    // start-up itself unloads the splash.
    if (splash_ && !unloading_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmAbout::mousePressEvent(QMouseEvent* event)
{
    hide();
    QWidget::mousePressEvent(event);
}
