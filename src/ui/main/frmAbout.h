#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

// The splash window that runs the start-up sequence (once per run: the program's StartupDone), the About box
// otherwise.
class frmAbout : public QWidget
{
    Q_OBJECT

public:
    // With a startupSequence the window is the splash: the sequence runs once, 1300 ms after it shows. Without,
    // the About box; mainWindow is restored by its OK.
    explicit frmAbout(std::function<void()> startupSequence, QWidget* mainWindow = nullptr);

    void Form_Load();
    void Timer1_Timer();
    void cmdOK_Click();
    // Closes the window whatever its role: the splash's end once the start-up has opened its window.
    void unload();

    bool isSplash() const { return splash_; }
    QTimer* timer() const { return Timer1; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::function<void()> startupSequence_;
    QWidget* mainWindow_;
    bool splash_ = false;
    bool sequenceRan_ = false;
    bool unloading_ = false;
    QTimer* Timer1 = nullptr;
    QPushButton* cmdOK = nullptr;
};
