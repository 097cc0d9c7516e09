#include "game/round_rules.h"
#include "recording_view.h"
#include "round_model.h"

#include <QTest>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>

using Event = RoundModel::Event;

namespace {

constexpr int sequence_count = 100000;

const char* name_of(Event event)
{
    switch (event) {
    case Event::start_click: return "start";
    case Event::tick: return "tick";
    case Event::space_down: return "space-down";
    case Event::other_down: return "other-down";
    case Event::key_up: return "key-up";
    }
    return "?";
}

// Each sequence gets its own mix of events, so some hammer through a whole
// round to the full score and others let the time run out.
std::vector<Event> random_sequence(std::mt19937& random)
{
    std::uniform_real_distribution<double> share(0.0, 1.0);
    const double tick = 0.1 * share(random) * share(random) * share(random);
    const double start = 0.002 + 0.03 * share(random);
    const double other = 0.1 * share(random);
    const double up = 0.2 + 0.4 * share(random);
    std::discrete_distribution<int> pick({start, tick, 1.0, other, up});
    std::vector<Event> events(std::uniform_int_distribution<int>(1, 1500)(random));
    for (Event& event : events)
        event = static_cast<Event>(pick(random));
    return events;
}

// Runs the rules and the model side by side; describes the first difference.
std::optional<std::string> first_difference(const std::vector<Event>& events)
{
    RecordingView view;
    game::RoundRules rules(view);
    RoundModel model;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Event event = events[i];
        if (!model.deliverable(event))
            continue;
        std::vector<int> pictures;
        std::vector<std::string> cues;
        model.apply(event, pictures, cues);
        view.forget_requests();
        switch (event) {
        case Event::start_click: rules.start_btn_Click(); break;
        case Event::tick: rules.Timer1_Timer(); break;
        case Event::space_down: rules.Form_KeyDown(32, 0); break;
        case Event::other_down: rules.Form_KeyDown(65, 0); break;
        case Event::key_up: rules.Form_KeyUp(32, 0); break;
        }
        const RoundModel::Screen seen{view.hit_caption, view.seconds_caption,
                                      static_cast<int>(view.width), game::red_of(view.colour),
                                      game::green_of(view.colour), view.start_enabled,
                                      view.timer_enabled};
        if (!(seen == model.screen()) || view.pictures != pictures || view.cues != cues)
            return "differs at event " + std::to_string(i + 1) + " (" + name_of(event) + ")";
    }
    return std::nullopt;
}

// Drops events, in ever smaller runs, as long as the difference remains.
std::vector<Event> shrink(std::vector<Event> events)
{
    for (std::size_t run = events.size() / 2; run >= 1; run /= 2) {
        for (std::size_t at = 0; at + run <= events.size();) {
            std::vector<Event> shorter = events;
            shorter.erase(shorter.begin() + at, shorter.begin() + at + run);
            if (first_difference(shorter))
                events = std::move(shorter);
            else
                at += run;
        }
    }
    return events;
}

} // namespace

class ModelTest : public QObject {
    Q_OBJECT

private slots:
    void rules_agree_with_the_model_on_random_sequences();
};

void ModelTest::rules_agree_with_the_model_on_random_sequences()
{
    std::mt19937 random(20261207);
    int full_scores = 0;
    for (int n = 0; n < sequence_count; ++n) {
        const std::vector<Event> events = random_sequence(random);
        if (const auto difference = first_difference(events)) {
            std::ostringstream text;
            const std::vector<Event> reproducer = shrink(events);
            text << "sequence " << n << ' ' << *first_difference(reproducer) << "; shrunk to:";
            for (const Event event : reproducer)
                text << ' ' << name_of(event);
            QFAIL(text.str().c_str());
        }
        RoundModel model;
        std::vector<int> pictures;
        std::vector<std::string> cues;
        for (const Event event : events)
            if (model.deliverable(event))
                model.apply(event, pictures, cues);
        full_scores += std::count(pictures.begin(), pictures.end(), 24) > 0;
    }
    qInfo("%d of %d sequences reached the full score", full_scores, sequence_count);
    // The sequences must reach the rare states too, or the comparison proves little.
    QVERIFY2(full_scores > sequence_count / 100, qPrintable(QString::number(full_scores)));
}

QTEST_APPLESS_MAIN(ModelTest)
#include "model_test.moc"
