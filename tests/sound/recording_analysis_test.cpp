// The arithmetic behind the benches' figures: a wrong gap count, onset or
// clock would print plausible numbers that mean nothing.
#include "recording_analysis.h"
#include "summary.h"

#include <QTest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

namespace {

using Samples = std::vector<std::int16_t>;
using Clock = ArrivalTimeline::Clock;
using std::chrono::milliseconds;
using Stretches = std::vector<std::pair<std::size_t, std::size_t>>; // first frame, length
constexpr double rate = 44100;
constexpr double tone_hz = 441;
const Clock::time_point start{std::chrono::seconds(1000)};

// 100 frames of silence around the tone, with the stretches given set to zero.
Samples tone(std::size_t frames, const Stretches& silenced = {})
{
    Samples x(frames + 200, 0);
    for (std::size_t i = 0; i < frames; ++i)
        x[100 + i] = static_cast<std::int16_t>(
            std::lround(6000 * std::sin(2 * std::numbers::pi * tone_hz * (static_cast<double>(i) + 0.5) / rate)));
    for (const auto& [first, length] : silenced)
        std::fill_n(x.begin() + static_cast<std::ptrdiff_t>(100 + first), length, 0);
    return x;
}

// Given values over the stretches, silence elsewhere.
Samples sounds(std::size_t frames, const Stretches& loud, std::int16_t level = 1000)
{
    Samples x(frames, 0);
    for (const auto& [first, length] : loud)
        std::fill_n(x.begin() + static_cast<std::ptrdiff_t>(first), length, level);
    return x;
}

// Pieces of 10 frames at 1000 frames a second arriving 2 ms after the sink
// made their last frame, every third 4 ms later still; 5 ms sooner from
// frame 500 on, as after the sink made sound again.
ArrivalTimeline arrivals()
{
    ArrivalTimeline timeline(1000);
    for (std::size_t frames = 10; frames <= 1000; frames += 10)
        timeline.add(frames, start + milliseconds(frames - 1 + 2 + (frames % 30 == 0 ? 4 : 0))
                                 - milliseconds(frames > 500 ? 5 : 0));
    return timeline;
}

} // namespace

class RecordingAnalysisTest : public QObject {
    Q_OBJECT

private slots:
    void dropouts_data()
    {
        QTest::addColumn<Samples>("recording");
        QTest::addColumn<int>("gaps");
        QTest::addColumn<int>("silent");
        QTest::addColumn<int>("longest");
        QTest::addColumn<int>("breaks");
        QTest::newRow("whole tone, silence around it") << tone(4410) << 0 << 0 << 0 << 0;
        QTest::newRow("two gaps") << tone(4410, {{1000, 50}, {3000, 16}}) << 2 << 66 << 50 << 0;
        QTest::newRow("15 zeros are no gap") << tone(4410, {{1000, 15}}) << 0 << 0 << 0 << 0;
        Samples dropped = tone(4410);
        dropped.erase(dropped.begin() + 2000, dropped.begin() + 2037);
        QTest::newRow("the recorder dropped a piece") << dropped << 0 << 0 << 0 << 2;
    }

    void dropouts()
    {
        QFETCH(Samples, recording);
        const Dropouts found = dropouts_in_tone(recording, rate, tone_hz);
        QTEST(found.gaps, "gaps");
        QTEST(static_cast<int>(found.silent_frames), "silent");
        QTEST(static_cast<int>(found.longest_gap), "longest");
        QTEST(found.breaks, "breaks");
        QCOMPARE(found.tone_frames, recording.size() - 200);
    }

    void onsets_data()
    {
        QTest::addColumn<Samples>("recording");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("found"); // -1: none
        // Barely audible at 500, sounds at 1000, a 50-frame pause, sounds at 2150.
        const Samples x = joined_sounds();
        QTest::newRow("first loud frame after quiet") << x << 400 << 2500 << 1000;
        QTest::newRow("search starting on the onset") << x << 1000 << 2500 << 1000;
        QTest::newRow("already sounding: a short pause is no onset") << x << 1200 << 2500 << 2150;
        QTest::newRow("none before the end of the search") << x << 1200 << 2150 << -1;
        QTest::newRow("the recording's start counts as quiet") << sounds(500, {{0, 100}}) << 0 << 500 << 0;
        QTest::newRow("a sound begun before the search") << sounds(500, {{0, 100}}) << 50 << 500 << -1;
    }

    void onsets()
    {
        QFETCH(Samples, recording);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, found);
        const auto onset_at = onset(recording, static_cast<std::size_t>(from), static_cast<std::size_t>(to), rate);
        QCOMPARE(onset_at ? static_cast<int>(*onset_at) : -1, found);
    }

    void times_of_frames_data()
    {
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("ms");
        QTest::newRow("before the shift") << 100 << 102;
        QTest::newRow("the piece holding it sees the shift coming") << 300 << 301;
        QTest::newRow("after the shift") << 700 << 697;
    }

    void times_of_frames()
    {
        QFETCH(int, frame);
        QFETCH(int, ms);
        QCOMPARE(arrivals().time_of(static_cast<std::size_t>(frame)) - start, Clock::duration(milliseconds(ms)));
    }

    void frames_at_times_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("frame");
        QTest::newRow("before the recording") << 0 << 0;
        QTest::newRow("before the shift") << 102 << 100;
        QTest::newRow("at an arrival: from that piece on") << 305 << 303;
        QTest::newRow("after the shift") << 697 << 700;
        QTest::newRow("after the last arrival") << 1200 << 1203;
    }

    void frames_at_times()
    {
        QFETCH(int, ms);
        QTEST(static_cast<int>(arrivals().frame_at(start + milliseconds(ms))), "frame");
    }

    void time_to_onset_data()
    {
        QTest::addColumn<int>("pressed_ms");
        QTest::addColumn<int>("latency_ms"); // -100: unheard
        QTest::newRow("heard") << 190 << 12;
        QTest::newRow("heard a little before the press, within the clock's error") << 205 << -3;
        QTest::newRow("unheard within the window") << 300 << -100;
    }

    void time_to_onset()
    {
        QFETCH(int, pressed_ms);
        const auto latency = ::time_to_onset(sounds(1000, {{200, 20}}), arrivals(), start + milliseconds(pressed_ms),
                                             milliseconds(100), 1000);
        QTEST(latency ? static_cast<int>(std::chrono::round<milliseconds>(*latency).count()) : -100, "latency_ms");
    }

    // A hit of 5 ms that sounds for its first 4 (1000 frames a second, 4
    // frames a ms), heard from frame 10 of the recording.
    void lost_in_hits_data()
    {
        QTest::addColumn<Samples>("recording");
        QTest::addColumn<int>("lost");
        QTest::newRow("heard whole") << sounds(40, {{10, 16}}) << 0;
        QTest::newRow("a gap inside it") << sounds(40, {{10, 4}, {18, 8}}) << 4;
        Samples faint = sounds(40, {{10, 4}, {18, 8}});
        std::fill_n(faint.begin() + 14, 4, 1);
        QTest::newRow("faint but not silent is no gap") << faint << 0;
        QTest::newRow("cut short") << sounds(40, {{10, 8}}) << 8;
        QTest::newRow("the recording ends inside it") << sounds(22, {{10, 12}}) << 4;
    }

    void lost_in_hits()
    {
        QFETCH(Samples, recording);
        Samples hit(20, 0);
        std::fill_n(hit.begin(), 16, 200);
        QTEST(static_cast<int>(silent_frames_inside(recording, 10, hit, 4000)), "lost");
    }

    void hits_as_heard_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<Samples>("heard");
        QTest::newRow("the same rate, from the first loud sample") << 1000 << Samples{100, 200, 300, 400};
        QTest::newRow("a higher rate: samples repeat") << 500 << Samples{100, 100, 200, 200, 300, 300, 400, 400};
        QTest::newRow("a lower rate: samples skipped") << 2000 << Samples{100, 300};
    }

    void hits_as_heard()
    {
        QFETCH(int, rate);
        QTEST(as_heard(Samples{0, 10, 100, 200, 300, 400}, rate, 1000), "heard");
    }

    void percentiles_data()
    {
        QTest::addColumn<std::vector<double>>("samples");
        QTest::addColumn<int>("percent");
        QTest::addColumn<double>("expected");
        QTest::newRow("median of an even count: the lower") << std::vector<double>{4, 1, 3, 2} << 50 << 2.0;
        QTest::newRow("median of an odd count") << std::vector<double>{5, 1, 3} << 50 << 3.0;
        QTest::newRow("p99 of few: the largest") << std::vector<double>{4, 1, 3, 2} << 99 << 4.0;
        QTest::newRow("none") << std::vector<double>{} << 50 << 0.0;
    }

    void percentiles()
    {
        QFETCH(std::vector<double>, samples);
        QFETCH(int, percent);
        QTEST(percentile(samples, static_cast<std::size_t>(percent)), "expected");
    }

private:
    static Samples joined_sounds()
    {
        Samples x = sounds(2500, {{1000, 500}, {1550, 100}, {2150, 100}});
        std::fill_n(x.begin() + 500, 10, 63);
        return x;
    }
};

QTEST_APPLESS_MAIN(RecordingAnalysisTest)
#include "recording_analysis_test.moc"
