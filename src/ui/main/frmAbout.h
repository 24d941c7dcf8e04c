#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;
struct AppState;

// The splash window on the first load of a run, the About box on every later load.
class frmAbout : public QWidget
{
    Q_OBJECT

public:
    // startupSequence runs once, 1300 ms after the splash shows. mainWindow is restored by the About box's OK.
    frmAbout(AppState& state, std::function<void()> startupSequence, QWidget* mainWindow = nullptr);

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
    AppState& state_;
    std::function<void()> startupSequence_;
    QWidget* mainWindow_;
    bool splash_ = false;
    bool sequenceRan_ = false;
    bool unloading_ = false;
    QTimer* Timer1 = nullptr;
    QPushButton* cmdOK = nullptr;
};
