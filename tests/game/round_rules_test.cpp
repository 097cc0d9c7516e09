#include "game/round_rules.h"
#include "recording_view.h"

#include <QTest>

#include <vector>

using game::RoundRules;
using game::True;
using game::False;

namespace {

constexpr std::int16_t space = 32;
constexpr std::int16_t key_a = 65;

void press_space(RoundRules& rules)
{
    rules.Form_KeyDown(space, 0);
    rules.Form_KeyUp(space, 0);
}

void hit(RoundRules& rules, int times)
{
    for (int i = 0; i < times; ++i)
        press_space(rules);
}

void tick(RoundRules& rules, int times)
{
    for (int i = 0; i < times; ++i)
        rules.Timer1_Timer();
}

} // namespace

class RoundRulesTest : public QObject {
    Q_OBJECT

private slots:
    void first_round_hit_by_hit_data();
    void first_round_hit_by_hit();
    void bar_follows_every_hit();
    void stage_frames_data();
    void stage_frames();
    void full_score_data();
    void full_score();
    void key_down_after_full_score_repeats_the_ending();
    void time_out_data();
    void time_out();
    void countdown_captions();
    void start_resets_only_what_it_should();
    void frames_alternate_across_rounds();
    void latch_data();
    void latch();
    void latch_survives_start();
};

void RoundRulesTest::first_round_hit_by_hit_data()
{
    QTest::addColumn<int>("hits");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<float>("width");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("pic_base");
    QTest::addColumn<int>("frame_flag");
    QTest::addColumn<int>("picture");
    QTest::addColumn<QString>("cue");

    QTest::newRow("1") << 1 << "1" << 200.f << 1 << 254 << 2 << int(True) << 1 << "p2";
    QTest::newRow("2") << 2 << "2" << 199.f << 2 << 253 << 2 << int(False) << 2 << "p1";
    QTest::newRow("19") << 19 << "19" << 182.f << 19 << 236 << 2 << int(True) << 1 << "p2";
    QTest::newRow("20") << 20 << "20" << 181.f << 20 << 235 << 4 << int(False) << 4 << "p1";
    QTest::newRow("21") << 21 << "21" << 180.f << 21 << 234 << 4 << int(True) << 3 << "p2";
    QTest::newRow("199") << 199 << "199" << 2.f << 199 << 56 << 20 << int(True) << 19 << "p2";
}

void RoundRulesTest::first_round_hit_by_hit()
{
    QFETCH(int, hits);
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    hit(rules, hits);

    QFETCH(QString, caption);
    QFETCH(float, width);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, pic_base);
    QFETCH(int, frame_flag);
    QFETCH(int, picture);
    QFETCH(QString, cue);
    QCOMPARE(QString::fromStdString(view.hit_caption), caption);
    QCOMPARE(view.width, width);
    QCOMPARE(view.colour, game::rgb(red, green, 0));
    QCOMPARE(rules.state().pic_base, pic_base);
    QCOMPARE(int(rules.state().frame_flag), frame_flag);
    QCOMPARE(view.pictures.back(), picture);
    QCOMPARE(QString::fromStdString(view.cues.back()), cue);
    QCOMPARE(int(view.pictures.size()), hits);
    QCOMPARE(int(view.cues.size()), hits);
}

void RoundRulesTest::bar_follows_every_hit()
{
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    for (int k = 1; k <= 200; ++k) {
        press_space(rules);
        QCOMPARE(view.width, float(201 - k));
        QCOMPARE(game::red_of(view.colour), k);
        QCOMPARE(game::green_of(view.colour), 255 - k);
        QCOMPARE(game::blue_of(view.colour), 0);
    }
}

void RoundRulesTest::stage_frames_data()
{
    // The frame each hit of a first round shows: odd hits the stage's odd
    // frame, even hits its even frame; stages begin at 1, 20, 40, ..., 180.
    QTest::addColumn<int>("hit");
    QTest::addColumn<int>("picture");
    const int stage_ends[][2] = {{19, 1}, {39, 3}, {59, 5}, {79, 7}, {99, 9},
                                 {119, 11}, {139, 13}, {159, 15}, {179, 17}, {199, 19}};
    for (const auto& [last_hit, odd_frame] : stage_ends) {
        const int first_hit = last_hit == 19 ? 1 : last_hit - 19;
        QTest::addRow("first of stage %d", odd_frame / 2 + 1) << first_hit << (first_hit % 2 ? odd_frame : odd_frame + 1);
        QTest::addRow("last of stage %d", odd_frame / 2 + 1) << last_hit << odd_frame;
    }
    QTest::newRow("200") << 200 << 20;
}

void RoundRulesTest::stage_frames()
{
    QFETCH(int, hit);
    QFETCH(int, picture);
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    ::hit(rules, hit);
    // The full score's 24 follows the frame of hit 200.
    QCOMPARE(view.pictures.at(hit - 1), picture);
}

void RoundRulesTest::full_score_data()
{
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<float>("width");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<std::vector<int>>("last_pictures");

    QTest::newRow("199") << 199 << "199" << 2.f << true << std::vector<int>{20, 19};
    QTest::newRow("200") << 200 << "200" << 1.f << false << std::vector<int>{19, 20, 24};
    // The 201st press is not counted, but it repeats the ending.
    QTest::newRow("201") << 201 << "200" << 1.f << false << std::vector<int>{20, 24, 24};
}

void RoundRulesTest::full_score()
{
    QFETCH(int, presses);
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    hit(rules, presses);

    QFETCH(QString, caption);
    QFETCH(float, width);
    QFETCH(bool, playing);
    QFETCH(std::vector<int>, last_pictures);
    QCOMPARE(QString::fromStdString(view.hit_caption), caption);
    QCOMPARE(view.width, width);
    QCOMPARE(rules.state().is_playing == True, playing);
    QCOMPARE(view.start_enabled, !playing);
    QCOMPARE(view.timer_enabled, playing);
    const std::vector<int> tail(view.pictures.end() - last_pictures.size(), view.pictures.end());
    QCOMPARE(tail, last_pictures);
    QCOMPARE(int(view.cues.size()), std::min(presses, 200));
    if (presses >= 200) {
        QCOMPARE(view.colour, game::rgb(200, 55, 0));
        QCOMPARE(view.cues.back(), std::string("p1"));
    }
}

void RoundRulesTest::key_down_after_full_score_repeats_the_ending()
{
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    hit(rules, 200);
    tick(rules, 3);
    const std::string seconds = view.seconds_caption;
    view.forget_requests();
    view.start_enabled = false;
    view.timer_enabled = true;

    rules.Form_KeyDown(key_a, 0);
    QCOMPARE(view.pictures, std::vector<int>{24});
    QVERIFY(view.start_enabled);
    QVERIFY(!view.timer_enabled);
    QVERIFY(view.cues.empty());
    QCOMPARE(view.seconds_caption, seconds);
}

void RoundRulesTest::time_out_data()
{
    QTest::addColumn<int>("hits");
    QTest::addColumn<std::vector<int>>("result_pictures");

    QTest::newRow("0") << 0 << std::vector<int>{21};
    QTest::newRow("59") << 59 << std::vector<int>{21};
    QTest::newRow("60") << 60 << std::vector<int>{};
    QTest::newRow("100") << 100 << std::vector<int>{};
    QTest::newRow("101") << 101 << std::vector<int>{22};
    QTest::newRow("150") << 150 << std::vector<int>{22};
    QTest::newRow("151") << 151 << std::vector<int>{22, 23};
    QTest::newRow("199") << 199 << std::vector<int>{22, 23};
}

void RoundRulesTest::time_out()
{
    QFETCH(int, hits);
    QFETCH(std::vector<int>, result_pictures);
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    hit(rules, hits);
    tick(rules, 24);
    QVERIFY(view.timer_enabled);
    QVERIFY(!view.start_enabled);
    view.forget_requests();

    rules.Timer1_Timer();
    QCOMPARE(view.seconds_caption, std::string("0"));
    QCOMPARE(view.pictures, result_pictures);
    QVERIFY(view.start_enabled);
    QVERIFY(!view.timer_enabled);
    QCOMPARE(rules.state().is_playing, False);

    // After the time-out the space bar no longer counts.
    press_space(rules);
    QCOMPARE(rules.state().hit_count, hits);
}

void RoundRulesTest::countdown_captions()
{
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    QCOMPARE(view.seconds_caption, std::string("25")); // Start leaves it alone
    for (int left = 24; left >= 0; --left) {
        rules.Timer1_Timer();
        QCOMPARE(view.seconds_caption, std::to_string(left));
        QCOMPARE(view.timer_enabled, left > 0);
    }
}

void RoundRulesTest::start_resets_only_what_it_should()
{
    RecordingView view;
    RoundRules rules(view);
    press_space(rules); // before any round: not counted
    QCOMPARE(view.hit_caption, std::string("0"));
    QVERIFY(view.pictures.empty());

    rules.start_btn_Click();
    hit(rules, 37);
    tick(rules, 25);
    view.forget_requests();

    rules.start_btn_Click();
    QCOMPARE(view.width, 201.f);
    QCOMPARE(view.hit_caption, std::string("37"));
    QCOMPARE(view.seconds_caption, std::string("0"));
    QCOMPARE(view.colour, game::rgb(37, 218, 0));
    QVERIFY(view.pictures.empty());
    QVERIFY(view.timer_enabled);
    QVERIFY(!view.start_enabled);
    QCOMPARE(rules.state().hit_count, 0);
    QCOMPARE(rules.state().time_left, 25);
    QCOMPARE(rules.state().pic_base, 0);

    press_space(rules);
    QCOMPARE(view.colour, game::rgb(1, 254, 0));
}

void RoundRulesTest::frames_alternate_across_rounds()
{
    // A round's first frame depends on how many hits came before it, in all rounds.
    RecordingView view;
    RoundRules rules(view);
    int total = 0;
    for (const int hits : {3, 4, 1, 2, 5}) {
        rules.start_btn_Click();
        view.forget_requests();
        hit(rules, hits);
        const bool even_total = total % 2 == 0;
        QCOMPARE(view.pictures.front(), even_total ? 1 : 2);
        QCOMPARE(view.cues.front(), std::string(even_total ? "p2" : "p1"));
        total += hits;
        tick(rules, 25);
    }
}

void RoundRulesTest::latch_data()
{
    // Key events as code, direction ('d' down, 'u' up) and an optional shift
    // state after a colon; the hits they count.
    QTest::addColumn<QString>("events");
    QTest::addColumn<int>("hits");

    QTest::newRow("held space counts once") << "32d 32d 32d 32d" << 1;
    QTest::newRow("release re-arms") << "32d 32d 32u 32d" << 2;
    QTest::newRow("any key's release re-arms") << "32d 65d 65u 32d 32d" << 2;
    QTest::newRow("other keys never count") << "65d 65u 13d 13u 0d 0u" << 0;
    QTest::newRow("shift state does not matter") << "32d:1 32u:2 32d:7" << 2;
    QTest::newRow("release alone counts nothing") << "32u 65u" << 0;
}

void RoundRulesTest::latch()
{
    QFETCH(QString, events);
    QFETCH(int, hits);
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    for (const QString& event : events.split(' ')) {
        const QStringList parts = event.split(':');
        const auto code = static_cast<std::int16_t>(parts[0].chopped(1).toInt());
        const auto shift = static_cast<std::int16_t>(parts.size() > 1 ? parts[1].toInt() : 0);
        if (parts[0].endsWith('d'))
            rules.Form_KeyDown(code, shift);
        else
            rules.Form_KeyUp(code, shift);
    }
    QCOMPARE(rules.state().hit_count, hits);
    QCOMPARE(int(view.cues.size()), hits);
}

void RoundRulesTest::latch_survives_start()
{
    RecordingView view;
    RoundRules rules(view);
    rules.start_btn_Click();
    rules.Form_KeyDown(space, 0); // held through the time-out
    tick(rules, 25);
    rules.start_btn_Click();
    QCOMPARE(rules.state().key_latch, True);
    rules.Form_KeyDown(space, 0);
    QCOMPARE(rules.state().hit_count, 0);
    rules.Form_KeyUp(key_a, 0);
    rules.Form_KeyDown(space, 0);
    QCOMPARE(rules.state().hit_count, 1);
}

QTEST_APPLESS_MAIN(RoundRulesTest)
#include "round_rules_test.moc"
