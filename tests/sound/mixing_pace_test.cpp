#include "media/mixing_pace.h"

#include <QtTest>

#include <vector>

namespace {

using Clock = media::MixingPace::Clock;
using Ms = std::chrono::duration<double, std::milli>;
constexpr int rate = 48000;
constexpr int frames = 128;
constexpr double buffer_ms = 1000.0 * frames / rate;
// Three seconds of them.
constexpr int asks = 3 * rate / frames;

// A server asks for a buffer each time it has played one. From `at_ms` on, each
// ask comes `late_ms` later: for good (the server ran dry) or only that once;
// and `slower` ms later for each second since.
struct Delay {
    double at_ms = 0;
    double late_ms = 0;
    bool lasting = true;
    double slower = 0;
};

struct Case {
    std::vector<Delay> delays;
    int dropouts = 0;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class MixingPaceTest : public QObject {
    Q_OBJECT

private slots:
    void counts_the_times_the_server_ran_dry_data()
    {
        QTest::addColumn<Case>("c");
        QTest::newRow("steady") << Case{{}, 0};
        QTest::newRow("held back while settling") << Case{{{10, 800}}, 0};
        QTest::newRow("held back once settled") << Case{{{1100, 800}}, 1};
        QTest::newRow("ran dry once") << Case{{{1500, 10}}, 1};
        QTest::newRow("ran dry twice") << Case{{{1500, 10}, {2000, 10}}, 2};
        QTest::newRow("late by most of a buffer, once") << Case{{{1500, 0.9 * buffer_ms, false}}, 0};
        QTest::newRow("late by a buffer and a half, once") << Case{{{1500, 1.5 * buffer_ms, false}}, 1};
        QTest::newRow("ahead") << Case{{{1500, -10}}, 0};
        QTest::newRow("a clock drifting") << Case{{{1000, 0, true, 0.5}}, 0};
        // 20 ms a second, twenty times what drift may be: a buffer late every 140 ms or so.
        QTest::newRow("a clock far slower") << Case{{{1000, 0, true, 20}}, 14};
        // Each ask 1.2 ms later than the last: every third passes a buffer's lateness.
        QTest::newRow("mixing slower than it plays") << Case{{{1000, 0, true, 450}}, 249};
        QTest::newRow("ahead, then back") << Case{{{1500, -10}, {2000, 10}}, 0};
    }

    void counts_the_times_the_server_ran_dry()
    {
        QFETCH(Case, c);
        media::MixingPace pace;
        // Restarted, the pace forgets the last output's.
        for (const double start_ms : {0.0, 5000.0}) {
            pace.restart(rate, std::chrono::seconds(1));
            int dropouts = 0;
            // Times of asks in one rounding each, so that 32-bit x86's wider
            // floating point lands on the same side of every edge.
            for (int ask = 0; ask < asks; ++ask) {
                const double ask_ms = 1000.0 * ask * frames / rate;
                double late = 0;
                for (const Delay& d : c.delays)
                    if (d.lasting ? ask_ms >= d.at_ms : ask == int(d.at_ms * rate / (1000.0 * frames)))
                        late += d.late_ms + d.slower * (ask_ms - d.at_ms) / 1000;
                const Ms at(start_ms + ask_ms + late);
                dropouts += pace.mixed(frames, Clock::time_point(std::chrono::duration_cast<Clock::duration>(at)));
            }
            QCOMPARE(dropouts, c.dropouts);
        }
    }
};

QTEST_APPLESS_MAIN(MixingPaceTest)
#include "mixing_pace_test.moc"
