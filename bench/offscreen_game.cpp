#include "bench/offscreen_game.h"

#include "summary.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QWindow>

OffscreenGame::OffscreenGame(media::SoundDevice& sounds)
    : form_(sounds, [](const QString& message) { give_up(qUtf8Printable(message)); })
{
    form_.Form_Load();
    form_.show();
    form_.activateWindow();
    const QDeadlineTimer deadline(5000);
    while (QApplication::focusWidget() == nullptr && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    if (QApplication::focusWidget() == nullptr)
        give_up("the window never got the keyboard focus");
    QApplication::processEvents();
}

PictureBox& OffscreenGame::picture_box()
{
    return *form_.findChild<PictureBox*>(QStringLiteral("Picture2"));
}

void OffscreenGame::move_to(QScreen& screen)
{
    form_.windowHandle()->setScreen(&screen);
    form_.move(screen.geometry().topLeft());
    QApplication::processEvents();
    if (form_.screen() != &screen)
        give_up("the window did not move to another screen");
}

QTimer& OffscreenGame::timer()
{
    return *form_.findChild<QTimer*>(QStringLiteral("Timer1"));
}

void OffscreenGame::press_space()
{
    qt_handleKeyEvent(form_.windowHandle(), QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier,
                      QStringLiteral(" "));
}

void OffscreenGame::release_space()
{
    qt_handleKeyEvent(form_.windowHandle(), QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier,
                      QStringLiteral(" "));
}

void prepare_offscreen_run(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const char* const data_dir = argc > 1 ? argv[1] : ZUMBREL_DATA_DIR;
    if (chdir(data_dir) != 0) {
        std::fprintf(stderr, "zumbrel bench: cannot enter the data folder %s\n", data_dir);
        std::exit(1);
    }
}
