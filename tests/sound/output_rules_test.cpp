#include "media/output_rules.h"

#include <QtTest>

#include <optional>
#include <vector>

namespace {

using Rules = media::OutputRules;
using Clock = Rules::Clock;
using Step = Rules::Step;

// What happens to the output, at a time in ms from the rules' start. Where
// the driver tells loss by its mixing alone, the mixer is asked for sound
// every few ms unless `stalled` says from when not.
enum class Event { ready, rest, play, opened, failed, closed, removed, stalled, mixing_tells };

struct Happening {
    int at_ms = 0;
    Event event = Event::ready;
    int length_ms = 0; // a sound's, for `play`
};

struct Case {
    std::vector<Happening> happenings;
    int decide_at_ms = 0;
    Step step = Step::wait;
    // When it would decide otherwise with nothing happening; -1: never.
    int wake_at_ms = -1;
};

Clock::time_point at(int ms)
{
    return Clock::time_point() + std::chrono::hours(1) + std::chrono::milliseconds(ms);
}

} // namespace

Q_DECLARE_METATYPE(Case)

class OutputRulesTest : public QObject {
    Q_OBJECT

private slots:
    void decides_data()
    {
        QTest::addColumn<Case>("c");
        using E = Event;
        const Happening opened{0, E::opened};
        QTest::newRow("opens at once, for the sounds to load") << Case{{}, 0, Step::open, -1};
        QTest::newRow("open at the title") << Case{{opened}, 1999, Step::wait, 2000};
        QTest::newRow("let go after 2 s at the title") << Case{{opened}, 2000, Step::close, 2000};
        QTest::newRow("a sound keeps it 2 s after it ends")
            << Case{{opened, {1000, E::play, 100}}, 3099, Step::wait, 3100};
        QTest::newRow("let go 2 s after a sound ends") << Case{{opened, {1000, E::play, 100}}, 3100, Step::close, 3100};
        QTest::newRow("a later, shorter sound keeps the longer one's end")
            << Case{{opened, {1000, E::play, 500}, {1100, E::play, 10}}, 3400, Step::wait, 3500};
        QTest::newRow("opened late: 2 s from the opening")
            << Case{{{900, E::opened}}, 2800, Step::wait, 2900};
        QTest::newRow("a round keeps it, checked once a second")
            << Case{{opened, {100, E::ready}}, 60000, Step::wait, 61000};
        QTest::newRow("a round's start checks at once") << Case{{opened, {500, E::ready}}, 499, Step::wait, 500};
        QTest::newRow("let go 2 s after the round's last sound")
            << Case{{opened, {100, E::ready}, {24000, E::play, 100}, {25000, E::rest}}, 26099, Step::wait, 26100};
        QTest::newRow("let go at once after a quiet round")
            << Case{{opened, {100, E::ready}, {25000, E::rest}}, 25000, Step::close, 2000};
        QTest::newRow("let go: left alone at the title") << Case{{opened, {2000, E::closed}}, 90000, Step::wait, -1};
        QTest::newRow("let go: a round opens it at once")
            << Case{{opened, {2000, E::closed}, {5000, E::ready}}, 5000, Step::open, 2000};
        QTest::newRow("none to be had: left alone at the title") << Case{{{0, E::failed}}, 90000, Step::wait, -1};
        QTest::newRow("none to be had: a round tries at once")
            << Case{{{0, E::failed}, {5000, E::ready}}, 5000, Step::open, 1000};
        QTest::newRow("none to be had: tried again a second later")
            << Case{{{0, E::ready}, {0, E::failed}}, 999, Step::wait, 1000};
        QTest::newRow("none to be had: tried again once a second")
            << Case{{{0, E::ready}, {0, E::failed}, {1000, E::failed}}, 2000, Step::open, 2000};
        QTest::newRow("none to be had: not after the round")
            << Case{{{0, E::ready}, {0, E::failed}, {900, E::rest}}, 5000, Step::wait, -1};
        QTest::newRow("lost: said so") << Case{{opened, {100, E::ready}, {200, E::removed}}, 200, Step::close, 1200};
        QTest::newRow("lost: reopened at once in a round")
            << Case{{opened, {100, E::ready}, {1100, E::removed}, {1100, E::closed}}, 1100, Step::open, 1100};
        const Happening tells{0, E::mixing_tells};
        QTest::newRow("lost: mixing paused half a second")
            << Case{{opened, tells, {100, E::ready}, {2000, E::stalled}}, 2501, Step::close, 3501};
        QTest::newRow("not lost: mixing paused less")
            << Case{{opened, tells, {100, E::ready}, {2000, E::stalled}}, 2500, Step::wait, 3500};
        QTest::newRow("not lost: a new stream held back while settling")
            << Case{{opened, tells, {100, E::ready}, {0, E::stalled}}, 1499, Step::wait, 2499};
        QTest::newRow("lost: held back past settling")
            << Case{{opened, tells, {100, E::ready}, {0, E::stalled}}, 1500, Step::close, 2500};
        QTest::newRow("not lost: a pause where the driver would say")
            << Case{{opened, {100, E::ready}, {0, E::stalled}}, 9000, Step::wait, 10000};
    }

    void decides()
    {
        QFETCH(Case, c);
        Rules rules(at(0));
        Rules::Signs signs;
        std::optional<int> stalled_at;
        bool mixing_tells = false;
        const auto signs_at = [&](int ms) {
            if (mixing_tells)
                signs.mixed_at = at(stalled_at.value_or(ms));
            return signs;
        };
        for (const Happening& h : c.happenings) {
            switch (h.event) {
            case Event::ready: rules.keep_ready(true, at(h.at_ms)); break;
            case Event::rest: rules.keep_ready(false, at(h.at_ms)); break;
            case Event::play: rules.played(at(h.at_ms), std::chrono::milliseconds(h.length_ms)); break;
            case Event::opened: rules.opened(true, at(h.at_ms)); break;
            case Event::failed: rules.opened(false, at(h.at_ms)); break;
            case Event::closed: rules.closed(at(h.at_ms)); break;
            case Event::removed: signs.removed = true; break;
            case Event::mixing_tells: mixing_tells = true; break;
            case Event::stalled: stalled_at = h.at_ms; break;
            }
        }
        QCOMPARE(rules.decide(at(c.decide_at_ms), signs_at(c.decide_at_ms)), c.step);
        QCOMPARE(rules.wake_at(), c.wake_at_ms < 0 ? Clock::time_point::max() : at(c.wake_at_ms));
    }
};

QTEST_APPLESS_MAIN(OutputRulesTest)
#include "output_rules_test.moc"
