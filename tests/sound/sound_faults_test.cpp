#include "sound_faults.h"

#include <QTest>

Q_DECLARE_METATYPE(SoundFault)
Q_DECLARE_METATYPE(SoundServer::Kind)

// The real game against a real private sound server, killed, absent or hung:
// every hit after the server is back must sound, and a hung server must not
// keep the game from ending.
class SoundFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void heard_once_back_data()
    {
        QTest::addColumn<SoundFault>("fault");
        QTest::addColumn<SoundServer::Kind>("kind");
        for (const auto kind : {SoundServer::Kind::pulseaudio, SoundServer::Kind::pipewire}) {
            for (const SoundFault fault : {SoundFault::killed_mid_round, SoundFault::killed_at_title,
                                           SoundFault::absent_at_start, SoundFault::hung_then_closed,
                                           SoundFault::hung_then_sigterm}) {
                QTest::addRow("%s, %s", SoundServer::name(kind), describe(fault)) << fault << kind;
            }
        }
        QTest::addRow("%s, %s", SoundServer::name(SoundServer::Kind::pulseaudio_beside_pipewire),
                      describe(SoundFault::killed_mid_round))
            << SoundFault::killed_mid_round << SoundServer::Kind::pulseaudio_beside_pipewire;
    }

    void heard_once_back()
    {
        QFETCH(SoundFault, fault);
        QFETCH(SoundServer::Kind, kind);
        const SoundFaultOutcome outcome = play_through(fault, kind, ZUMBREL_PROGRAM, ZUMBREL_DATA_DIR);
        if (fault == SoundFault::hung_then_closed || fault == SoundFault::hung_then_sigterm) {
            QVERIFY(outcome.end.has_value());
            QVERIFY2(!outcome.end->timed_out, "the game did not end while its sound server hung");
            QVERIFY(!outcome.end->crashed);
            QCOMPARE(outcome.end->exit_code, 0);
            return;
        }
        QCOMPARE(outcome.streams_before_start, 0);
        // Trying the server again and again, rather than once a second, would take a core.
        QVERIFY2(outcome.away_ticks < 50 * away_seconds, qPrintable(QString::number(outcome.away_ticks)));
        QVERIFY2(outcome.reopened_ms.has_value(), "the game's output did not come back to the server within 4 s");
        QCOMPARE(outcome.heard, outcome.hits);
        QVERIFY2(!outcome.through_pulse, "PipeWire was reached through its PulseAudio server, not its own driver");
    }
};

QTEST_GUILESS_MAIN(SoundFaultsTest)
#include "sound_faults_test.moc"
