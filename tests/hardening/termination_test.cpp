#include "app/layout.h"
#include "desktop.h"
#include "disk_audio.h"
#include "game_process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>

namespace {

constexpr int patience_ms = 20000;

// Whether the process catches both SIGTERM and SIGINT, as the game does from
// just before its event loop starts.
bool catches_termination_signals(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    static const QRegularExpression caught("^SigCgt:\\s*([0-9a-f]+)$", QRegularExpression::MultilineOption);
    const quint64 both = 1ULL << (SIGTERM - 1) | 1ULL << (SIGINT - 1);
    return status.open(QIODevice::ReadOnly)
        && (caught.match(QString::fromLatin1(status.readAll())).captured(1).toULongLong(nullptr, 16) & both) == both;
}

// Waits for `done`, but not for a game that has said it will have no sound;
// what it said is added to `said`.
bool until_or_no_sound(ChildProcess& game, QString& said, const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(patience_ms);
    while (!done() && !deadline.hasExpired()) {
        said += game.readAllStandardError();
        if (said.contains("zumbrel: no sound"))
            return false;
        QTest::qWait(20);
    }
    return done();
}

bool maps_module(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/zumbrel-sound.so");
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
    // Offscreen: what Qt said before the display was reached, passed on after.
    QTest::addColumn<QString>("platforms");
    QTest::addColumn<QString>("said_first");
    QTest::newRow("offscreen, idle, SIGTERM") << false << SIGTERM << "offscreen" << "";
    QTest::newRow("offscreen, idle, SIGINT") << false << SIGINT << "offscreen" << "";
    QTest::newRow("an X display refused, then offscreen, idle, SIGTERM")
        << false << SIGTERM << "xcb;offscreen" << "could not connect to display";
    QTest::newRow("X11, mid-round, SIGTERM") << true << SIGTERM << "xcb" << "";
    QTest::newRow("X11, mid-round, SIGINT") << true << SIGINT << "xcb" << "";
}

void TerminationTest::signal_ends_cleanly()
{
    QFETCH(bool, mid_round);
    QFETCH(int, signal);
    QFETCH(QString, platforms);
    QFETCH(QString, said_first);
    const QTemporaryDir dir;
    const QString output = dir.filePath("out.raw");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SDL_AUDIODRIVER", "disk");
    env.insert("SDL_DISKAUDIOFILE", output);

    env.insert("QT_QPA_PLATFORM", platforms);
    if (!mid_round) {
        env.insert("DISPLAY", ":4711"); // no server behind it
        ChildProcess game({ZUMBREL_PROGRAM}, with_full_leak_stacks(env), ZUMBREL_DATA_DIR,
                          QProcess::ForwardedOutputChannel);
        QVERIFY(game.started());
        // A signal that came sooner would end the game as if it crashed.
        QTRY_VERIFY2_WITH_TIMEOUT(catches_termination_signals(game.processId()), "no signal handlers", patience_ms);
        // It opens on a thread of its own, and stays open a while before resting.
        QString said;
        QVERIFY2(until_or_no_sound(game, said, [&] { return QFile::exists(output); }),
                 qPrintable("the sound device never opened: " + said));
        const GameRun end = game.end_with(signal, patience_ms);
        said += end.standard_error;
        QVERIFY2(!end.timed_out && !end.crashed && end.exit_code == 0, said.toLocal8Bit());
        QVERIFY2(sanitizer_finding(said).isEmpty(), said.toLocal8Bit());
        QVERIFY2(said.contains(said_first), said.toLocal8Bit());
        return;
    }

    const auto x = make_desktop("x11", ZUMBREL_PROGRAM, ZUMBREL_DATA_DIR);
    QVERIFY2(x->isValid(), "cannot start Xvfb");
    env = x->environment();
    env.insert("QT_QPA_PLATFORM", platforms);
    // Where the game's user, whoever that is, may write.
    const QString played = x->environment().value("XDG_RUNTIME_DIR") + "/out.raw";
    env.insert("SDL_AUDIODRIVER", "disk");
    env.insert("SDL_DISKAUDIOFILE", played);
    QVERIFY2(x->start_game(with_full_leak_stacks(env)), "no window within 30 s");
    ChildProcess& game = *x->game();
    x->click_control(layout::start_btn.rect);
    // Heard through the sound module, found as the program finds it; a game
    // that says it has none fails here at once. A hit before the module has
    // loaded goes unheard, as a slow machine may still be loading it: hit on.
    QString said;
    int polls = 0;
    QVERIFY2(until_or_no_sound(game, said, [&] {
                 if (polls++ % 10 == 0)
                     x->tap({"space"});
                 return anything_sounded(played);
             }),
             qPrintable("no hit sounded: " + said));
    QVERIFY(maps_module(game.processId()));

    const GameRun end = x->end_game(signal, patience_ms);
    said += end.standard_error;
    QVERIFY2(!end.timed_out && !end.crashed && end.exit_code == 0, said.toLocal8Bit());
    QVERIFY2(sanitizer_finding(said).isEmpty(), said.toLocal8Bit());
}

QTEST_GUILESS_MAIN(TerminationTest)
#include "termination_test.moc"
