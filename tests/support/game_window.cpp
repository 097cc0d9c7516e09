#include "game_window.h"

#include <QFile>
#include <QRegularExpression>
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

bool GameWindow::play_round(const std::function<void()>& after_each_hit)
{
    click_start();
    for (int hit = 0; hit < 200; ++hit) {
        tap();
        if (after_each_hit)
            after_each_hit();
    }
    return !form_.round_state().is_playing;
}

long status_kb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^%1:\\s*(\\d+)").arg(key), QRegularExpression::MultilineOption);
    return line.match(QString::fromLatin1(status.readAll())).captured(1).toLong();
}
