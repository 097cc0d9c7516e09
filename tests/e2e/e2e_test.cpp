#include "game_session.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace {

const QRect start_button_area{8, 96, 281, 25};
const QRect picture_area{17, 133, 265, 201};
constexpr int bar_left = 76;
constexpr int bar_row = 360;

struct Bar {
    int width = 0;
    QRgb colour = 0;
};

Bar bar_in(const QImage& window)
{
    const QRgb colour = window.pixel(bar_left, bar_row);
    int width = 0;
    while (bar_left + width < window.width() && window.pixel(bar_left + width, bar_row) == colour)
        ++width;
    return {width, colour};
}

QImage picture_file(int number)
{
    return QImage(QStringLiteral(ZUMBREL_DATA_DIR "/bmp/%1.bmp").arg(number)).convertToFormat(QImage::Format_RGB32);
}

QString describe(const Bar& bar)
{
    return QStringLiteral("%1 px of (%2, %3, %4)")
        .arg(bar.width).arg(qRed(bar.colour)).arg(qGreen(bar.colour)).arg(qBlue(bar.colour));
}

Bar bar_after(int hits)
{
    return {201 - hits, qRgb(hits, 255 - hits, 0)};
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void each_press_narrows_and_reddens_the_bar();
    void holding_space_counts_once();
    void quick_taps_all_count_data();
    void quick_taps_all_count();
    void other_keys_count_nothing();
    void full_score_ends_the_round();
    void round_times_out_after_25_seconds();
    void frame_keeps_one_size();
    void frame_shows_close_alone();
    void desktop_knows_the_installed_game();

private:
    // Polls window captures until the check holds or the time is up; returns the last capture.
    QImage wait_for(const std::function<bool(const QImage&)>& check, int milliseconds = 3000);
    bool bar_is(const Bar& expected, int milliseconds = 3000);
    // Over a short while in which nothing may change it.
    bool bar_stays(const Bar& expected);
    bool start_enabled(const QImage& window) const;
    bool shows_picture(int number, int milliseconds = 3000);
    // Presses Start; whether the button then shows disabled.
    bool start_round();

    std::unique_ptr<GameSession> session_;
    QImage enabled_button_;
};

QImage EndToEndTest::wait_for(const std::function<bool(const QImage&)>& check, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    QImage window = session_->capture();
    while (!check(window) && !deadline.hasExpired()) {
        QThread::msleep(5);
        window = session_->capture();
    }
    return window;
}

bool EndToEndTest::bar_is(const Bar& expected, int milliseconds)
{
    const Bar seen = bar_in(wait_for([&](const QImage& w) {
        const Bar bar = bar_in(w);
        return bar.width == expected.width && bar.colour == expected.colour;
    }, milliseconds));
    if (seen.width == expected.width && seen.colour == expected.colour)
        return true;
    qWarning("bar: expected %s, saw %s", qPrintable(describe(expected)), qPrintable(describe(seen)));
    return false;
}

bool EndToEndTest::bar_stays(const Bar& expected)
{
    QThread::msleep(300);
    return bar_is(expected, 0);
}

bool EndToEndTest::start_enabled(const QImage& window) const
{
    return window.copy(start_button_area) == enabled_button_;
}

bool EndToEndTest::shows_picture(int number, int milliseconds)
{
    const QImage expected = picture_file(number);
    return !expected.isNull()
        && wait_for([&](const QImage& w) { return w.copy(picture_area) == expected; }, milliseconds).copy(picture_area)
            == expected;
}

bool EndToEndTest::start_round()
{
    session_->click_start();
    return !start_enabled(wait_for([this](const QImage& w) { return !start_enabled(w); }));
}

void EndToEndTest::initTestCase()
{
    session_ = make_game_session(ZUMBREL_PROGRAM, ZUMBREL_DATA_DIR);
    QVERIFY2(session_->isValid(), "the display server did not start");
}

void EndToEndTest::init()
{
    QVERIFY2(session_->start_game(), "the game's window did not appear");
    // A loaded machine may take a while over the first frame.
    const QImage window = wait_for([](const QImage& w) { return w.size() == QSize(296, 375); }, 15000);
    QCOMPARE(window.size(), QSize(296, 375));
    QVERIFY2(shows_picture(25, 15000), "the title picture is not on screen");
    enabled_button_ = session_->capture().copy(start_button_area);
    QVERIFY(bar_is(bar_after(0)));
}

void EndToEndTest::cleanup()
{
    session_->use_button_layout({});
    session_->stop_game();
}

void EndToEndTest::each_press_narrows_and_reddens_the_bar()
{
    QVERIFY(start_round());
    QVERIFY(shows_picture(25)); // Start leaves the picture alone
    // The stage's frames alternate from the first one.
    for (int k = 1; k <= 5; ++k) {
        session_->tap({"space"});
        QVERIFY2(bar_is(bar_after(k)), qPrintable(QStringLiteral("after press %1").arg(k)));
        QVERIFY2(shows_picture(k % 2 ? 1 : 2), qPrintable(QStringLiteral("after press %1").arg(k)));
    }
}

void EndToEndTest::holding_space_counts_once()
{
    QVERIFY(start_round());
    session_->hold("space", 1300); // well past the auto-repeat delay
    QVERIFY(bar_is(bar_after(1)));
    QVERIFY(bar_stays(bar_after(1)));
}

void EndToEndTest::quick_taps_all_count_data()
{
    QTest::addColumn<int>("delay_ms");
    // No pause: a release and the next press reach the game together, with one
    // time stamp, as a busy machine hands on taps it has held back.
    QTest::newRow("no pause between taps") << 0;
    QTest::newRow("3 ms between taps") << 3;
}

// Whatever the gap, every release re-arms the space bar.
void EndToEndTest::quick_taps_all_count()
{
    QFETCH(int, delay_ms);
    QVERIFY(start_round());
    session_->tap(QStringList(150, QStringLiteral("space")), delay_ms);
    QVERIFY(bar_is(bar_after(150), 10000));
}

void EndToEndTest::other_keys_count_nothing()
{
    QVERIFY(start_round());
    session_->tap({"space"});
    QVERIFY(bar_is(bar_after(1)));
    session_->tap({"a", "Return", "b", "shift+x", "Escape", "1"}, 12);
    session_->hold("z", 1200);
    QVERIFY(bar_stays(bar_after(1)));
}

void EndToEndTest::full_score_ends_the_round()
{
    QVERIFY(start_round());
    session_->tap(QStringList(200, QStringLiteral("space")), 8);
    QVERIFY(bar_is({1, qRgb(200, 55, 0)}, 10000));
    QVERIFY(shows_picture(24));
    QVERIFY(start_enabled(wait_for([this](const QImage& w) { return start_enabled(w); })));

    session_->tap({"space", "space"});
    QVERIFY(bar_stays({1, qRgb(200, 55, 0)}));
}

void EndToEndTest::round_times_out_after_25_seconds()
{
    QElapsedTimer clock;
    clock.start();
    QVERIFY(start_round());
    session_->tap({"space", "space", "space"}, 12);
    QVERIFY(bar_is(bar_after(3)));

    QVERIFY(start_enabled(wait_for([this](const QImage& w) { return start_enabled(w); }, 30000)));
    QVERIFY(shows_picture(21));
    qInfo("round ended %.3f s after the click", double(clock.nsecsElapsed()) / 1e9);

    // Start gives the bar its full width back but keeps its last colour.
    QVERIFY(start_round());
    QVERIFY(bar_is({201, qRgb(3, 252, 0)}));
}

void EndToEndTest::frame_keeps_one_size()
{
    const QList<GameSession::FrameAction> actions = session_->frame_actions();
    if (actions.isEmpty())
        QSKIP("no frame here that the player could act on");
    // Under each button layout, so that a click lands where each would put a
    // maximise button; how many buttons each shows is frame_shows_close_alone's.
    QStringList layouts = session_->button_layouts();
    if (layouts.isEmpty())
        layouts = {QString()};
    for (const QString& layout : layouts) {
        session_->use_button_layout(layout);
        if (!layout.isEmpty())
            QThread::msleep(1500);
        for (GameSession::FrameAction action : actions) {
            if (!layout.isEmpty())
                action.name += " under " + layout;
            QElapsedTimer clock;
            action.act();
            clock.start();
            // Watched the whole time, so that a size shown only for a moment is seen and timed.
            qint64 other_size_ms = 0;
            qint64 last_ms = 0;
            QSize other_size;
            for (const int check_ms : {200, 1500}) {
                QSize seen;
                while ((last_ms = clock.elapsed()) < check_ms) {
                    seen = session_->capture().size();
                    if (seen != QSize(296, 375)) {
                        other_size = seen;
                        other_size_ms += clock.elapsed() - last_ms;
                    }
                }
                seen = session_->capture().size();
                QVERIFY2(seen == QSize(296, 375), qPrintable(QStringLiteral("%1 ms after the %2: %3 x %4")
                    .arg(check_ms).arg(action.name).arg(seen.width()).arg(seen.height())));
                const std::optional<int> buttons = layout.isEmpty() ? session_->frame_buttons() : std::nullopt;
                QVERIFY2(buttons.value_or(1) == 1, qPrintable(QStringLiteral("%1 ms after the %2: %3 buttons")
                    .arg(check_ms).arg(action.name).arg(buttons.value_or(1))));
            }
            if (other_size_ms > 0)
                qInfo("after the %s the window showed %d x %d for about %lld ms", qPrintable(action.name),
                      other_size.width(), other_size.height(), other_size_ms);
        }
    }
}

// Under each button layout of the desktop's, the default and one that adds
// minimise and maximise, as players choose.
void EndToEndTest::frame_shows_close_alone()
{
    const QStringList layouts = session_->button_layouts();
    if (layouts.isEmpty())
        QSKIP("no desktop settings here that choose the frame's buttons");
    for (const QString& layout : layouts) {
        session_->use_button_layout(layout);
        // The frame draws itself again once the settings have reached it.
        QThread::msleep(1500);
        const QString name = layout.isEmpty() ? QStringLiteral("the default layout") : layout;
        QVERIFY2(session_->caption_whole(), qPrintable("caption cut under " + name));
        const int buttons = session_->frame_buttons().value_or(0);
        const QString seen = QStringLiteral("%1 buttons under %2").arg(buttons).arg(name);
        QVERIFY2(buttons == 1, qPrintable(seen));
    }
}

// By its desktop entry, so the dock shows the game's own icon and name.
void EndToEndTest::desktop_knows_the_installed_game()
{
    const QString app = session_->app_id();
    if (app.isEmpty())
        QSKIP("this desktop does not say which application a window is");
    QCOMPARE(app, QStringLiteral("io.github.zumbrel.Zumbrel.desktop"));
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "e2e_test.moc"
