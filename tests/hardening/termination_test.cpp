#include "disk_audio.h"
#include "running_game.h"
#include "xvfb.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

constexpr int patience_ms = 20000;

bool appears_within(const QString& path, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!QFile::exists(path) && !deadline.hasExpired())
        QThread::msleep(10);
    return QFile::exists(path);
}

} // namespace

// The real program, with SDL's disk driver standing in for a sound card,
// told to stop by a signal while it runs.
class TerminationTest : public QObject {
    Q_OBJECT

private slots:
    void signal_ends_cleanly_data();
    void signal_ends_cleanly();
};

void TerminationTest::signal_ends_cleanly_data()
{
    QTest::addColumn<bool>("mid_round");
    QTest::addColumn<int>("signal");
    QTest::newRow("offscreen, idle, SIGTERM") << false << SIGTERM;
    QTest::newRow("offscreen, idle, SIGINT") << false << SIGINT;
    QTest::newRow("X11, mid-round, SIGTERM") << true << SIGTERM;
    QTest::newRow("X11, mid-round, SIGINT") << true << SIGINT;
}

void TerminationTest::signal_ends_cleanly()
{
    QFETCH(bool, mid_round);
    QFETCH(int, signal);
    const QTemporaryDir dir;
    const QString output = dir.filePath("out.raw");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SDL_AUDIODRIVER", "disk");
    env.insert("SDL_DISKAUDIOFILE", output);

    if (!mid_round) {
        env.insert("QT_QPA_PLATFORM", "offscreen");
        RunningGame game(ZUMBREL_DATA_DIR, env);
        QVERIFY(game.started());
        // The sound device opens just before the window; a moment later it shows.
        QVERIFY2(appears_within(output, patience_ms), "the sound device never opened");
        QThread::msleep(1000);
        const GameRun end = game.end_with(signal, patience_ms);
        QVERIFY2(!end.timed_out && !end.crashed && end.exit_code == 0, end.standard_error.toLocal8Bit());
        QVERIFY2(sanitizer_finding(end.standard_error).isEmpty(), end.standard_error.toLocal8Bit());
        return;
    }

    const Xvfb x;
    QVERIFY2(x.isValid(), "cannot start Xvfb");
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", x.name());
    RunningGame game(ZUMBREL_DATA_DIR, env);
    QVERIFY(game.started());
    const xcb_window_t window = x.wait_for_shown_window(patience_ms);
    QVERIFY2(window != 0, "no window within 20 s");
    const QString id = QString::number(window);
    x.xdotool({"windowfocus", "--sync", id});
    x.xdotool({"mousemove", "--window", id, "148", "108", "click", "1"});
    x.xdotool({"key", "--delay", "30", "space", "space", "space", "space", "space"});
    QTRY_VERIFY2_WITH_TIMEOUT(anything_sounded(output), "no hit sounded: the round never ran", patience_ms);

    const GameRun end = game.end_with(signal, patience_ms);
    QVERIFY2(!end.timed_out && !end.crashed && end.exit_code == 0, end.standard_error.toLocal8Bit());
    QVERIFY2(sanitizer_finding(end.standard_error).isEmpty(), end.standard_error.toLocal8Bit());
}

QTEST_GUILESS_MAIN(TerminationTest)
#include "termination_test.moc"
