#include "x_session.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>

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
    void each_press_narrows_and_reddens_the_bar();
    void holding_space_counts_once();
    void other_keys_count_nothing();
    void full_score_ends_the_round();
    void unattended_round_times_out_after_25_seconds();

private:
    // Polls window captures until the check holds or the time is up; returns the last capture.
    QImage wait_for(const std::function<bool(const QImage&)>& check, int milliseconds = 3000);
    bool bar_is(const Bar& expected, int milliseconds = 3000);
    bool start_enabled(const QImage& window) const;
    bool shows_picture(int number);
    void click_start();

    std::unique_ptr<XSession> x_;
    QImage enabled_button_;
    int hits_ = 0;
};

QImage EndToEndTest::wait_for(const std::function<bool(const QImage&)>& check, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    QImage window = x_->capture();
    while (!check(window) && !deadline.hasExpired()) {
        QThread::msleep(5);
        window = x_->capture();
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

bool EndToEndTest::start_enabled(const QImage& window) const
{
    return window.copy(start_button_area) == enabled_button_;
}

bool EndToEndTest::shows_picture(int number)
{
    const QImage expected = picture_file(number);
    return !expected.isNull()
        && wait_for([&](const QImage& w) { return w.copy(picture_area) == expected; }).copy(picture_area) == expected;
}

void EndToEndTest::click_start()
{
    x_->xdotool({"mousemove", "--window", x_->window(), "100", "108", "click", "1"});
    // Away from the button, so hover does not change how it looks.
    x_->xdotool({"mousemove", "--window", x_->window(), "150", "60"});
}

void EndToEndTest::initTestCase()
{
    x_ = std::make_unique<XSession>();
    QVERIFY2(x_->start_game(ZUMBREL_PROGRAM, ZUMBREL_DATA_DIR), "the game's window did not appear");
    x_->xdotool({"mousemove", "--window", x_->window(), "150", "60"});
    QImage window = wait_for([](const QImage& w) { return w.width() == 296 && w.height() == 375; });
    QCOMPARE(window.size(), QSize(296, 375));
    QThread::msleep(300); // let the first paint settle
    enabled_button_ = x_->capture().copy(start_button_area);
    QVERIFY(bar_is(bar_after(0)));
    QVERIFY2(shows_picture(25), "the title picture is not on screen");
}

void EndToEndTest::each_press_narrows_and_reddens_the_bar()
{
    click_start();
    QVERIFY(!start_enabled(wait_for([this](const QImage& w) { return !start_enabled(w); })));
    QVERIFY(shows_picture(25)); // Start leaves the picture alone
    // The stage's frames alternate from the first one.
    for (int k = 1; k <= 5; ++k) {
        x_->xdotool({"key", "space"});
        QVERIFY2(bar_is(bar_after(++hits_)), qPrintable(QStringLiteral("after press %1").arg(k)));
        QVERIFY2(shows_picture(k % 2 ? 1 : 2), qPrintable(QStringLiteral("after press %1").arg(k)));
    }
}

void EndToEndTest::holding_space_counts_once()
{
    x_->xdotool({"keydown", "space"});
    QThread::msleep(1300); // well past the server's auto-repeat delay
    x_->xdotool({"keyup", "space"});
    QVERIFY(bar_is(bar_after(++hits_)));
    QThread::msleep(300);
    QVERIFY(bar_is(bar_after(hits_), 0));
}

void EndToEndTest::other_keys_count_nothing()
{
    x_->xdotool({"key", "a", "Return", "b", "shift+x", "Escape", "1"});
    x_->xdotool({"keydown", "z"});
    QThread::msleep(1200);
    x_->xdotool({"keyup", "z"});
    QThread::msleep(300);
    QVERIFY(bar_is(bar_after(hits_), 0));
}

void EndToEndTest::full_score_ends_the_round()
{
    QStringList presses{"key", "--delay", "8"};
    for (int i = hits_; i < 200; ++i)
        presses << "space";
    x_->xdotool(presses);
    hits_ = 200;
    QVERIFY(bar_is({1, qRgb(200, 55, 0)}, 10000));
    QVERIFY(shows_picture(24));
    QVERIFY(start_enabled(wait_for([this](const QImage& w) { return start_enabled(w); })));

    x_->xdotool({"key", "space", "space"});
    QThread::msleep(300);
    QVERIFY(bar_is({1, qRgb(200, 55, 0)}, 0));
}

void EndToEndTest::unattended_round_times_out_after_25_seconds()
{
    QElapsedTimer clock;
    clock.start();
    click_start();
    // Start gives the bar its full width back but keeps its last colour.
    QVERIFY(bar_is({201, qRgb(200, 55, 0)}));
    QVERIFY(!start_enabled(x_->capture()));

    QVERIFY(start_enabled(wait_for([this](const QImage& w) { return start_enabled(w); }, 30000)));
    QVERIFY(shows_picture(21));
    qInfo("round without hits ended %.3f s after the click", double(clock.nsecsElapsed()) / 1e9);
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "e2e_test.moc"
