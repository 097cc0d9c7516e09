#include "game_window.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QWindow>

GameWindow::GameWindow(media::SoundDevice& sounds) : form_(sounds, [this](const QString& report) { reports_ << report; })
{
    form_.Form_Load();
    form_.show();
    form_.activateWindow();
    active_ = QTest::qWaitForWindowActive(&form_);
}

QTimer& GameWindow::timer() const
{
    return *form_.findChild<QTimer*>(QStringLiteral("Timer1"));
}

void GameWindow::click_start()
{
    QTest::mouseClick(&control<QPushButton>(layout::start_btn), Qt::LeftButton);
}

void GameWindow::press(Qt::Key key) const
{
    QTest::keyPress(form_.windowHandle(), key);
}

void GameWindow::release(Qt::Key key) const
{
    QTest::keyRelease(form_.windowHandle(), key);
}

void GameWindow::tap(Qt::Key key) const
{
    press(key);
    release(key);
}

void GameWindow::post(Qt::Key key, bool down) const
{
    QCoreApplication::postEvent(form_.windowHandle(), new QKeyEvent(down ? QEvent::KeyPress : QEvent::KeyRelease, key,
                                                                    Qt::NoModifier, key == Qt::Key_Space ? " " : ""));
}
