#include "data_copy.h"
#include "game_window.h"
#include "window_invariants.h"

#include "media/sound_backend.h"
#include "media/sound_output.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <set>

// Full rounds, one after another, through the real window with the real
// pictures and sound device: whatever a round takes it must give back. The
// memory bench plays the same rounds ten times as long.
class SoakTest : public QObject {
    Q_OBJECT

private slots:
    void rounds_leave_nothing_behind();
};

void SoakTest::rounds_leave_nothing_behind()
{
    constexpr int rounds = 100;
    const std::set<int> reported{1, 10, rounds};
    const CurrentDir inside(ZUMBREL_DATA_DIR);
    qputenv("SDL_AUDIODRIVER", "dummy");
    media::SoundOutput sounds;
    sounds.start([] { return media::make_sdl_backend(); });
    GameWindow window(sounds);
    QVERIFY(window.active());
    WindowInvariants invariants(window);

    QElapsedTimer clock;
    clock.start();
    for (int round = 1; round <= rounds; ++round) {
        QString broken;
        QVERIFY(window.play_round([&] {
            if (broken.isEmpty())
                broken = invariants.check();
        }));
        QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("round %1: %2").arg(round).arg(broken)));
        QVERIFY2(window.reports().isEmpty(), qPrintable(window.reports().join('\n')));
        QCOMPARE(window.form().round_state().hit_count, 200);
        QVERIFY(window.control<QPushButton>(layout::start_btn).isEnabled());
        if (reported.contains(round))
            qInfo("after round %4d: VmRSS %ld kB, %lld ms", round, status_kb("VmRSS"), clock.elapsed());
    }
    window.form().close();
}

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
