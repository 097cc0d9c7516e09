#include "app/first_frame.h"
#include "app/form1.h"
#include "app/caption_bar.h"
#include "app/layout.h"
#include "game_window.h"
#include "picture_folder.h"
#include "recording_sound_device.h"

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// Notes each time the watched widget is drawn.
class PaintLog : public QObject {
    Q_OBJECT

public:
    explicit PaintLog(QStringList& order) : order_(order) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            order_ << "drawn";
        return false;
    }

private:
    QStringList& order_;
};

// How far the greys in the area stray from the bar's own, at the most.
int contrast(const QImage& image, const QRect& area, QRgb bar)
{
    int most = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            most = std::max(most, std::abs(qGray(image.pixel(x, y)) - qGray(bar)));
    return most;
}

bool is_kind(QWidget& widget, layout::Kind kind)
{
    switch (kind) {
    case layout::Kind::shape: return qobject_cast<Shape*>(&widget) != nullptr;
    case layout::Kind::label: return qobject_cast<QLabel*>(&widget) != nullptr;
    case layout::Kind::picture: return qobject_cast<PictureBox*>(&widget) != nullptr;
    case layout::Kind::button: return qobject_cast<QPushButton*>(&widget) != nullptr;
    }
    return false;
}

enum class CaptionState { active, inactive, hovered, pressed, hovered_then_left, pressed_then_left };

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void window_frame();
    void caption_looks_data();
    void caption_looks();
    void caption_closes_from_its_box_alone_data();
    void caption_closes_from_its_box_alone();
    void first_frame_hook_runs_once_after_the_drawing();
    void frame_requests_are_undone_data();
    void frame_requests_are_undone();
    void geometry_and_drawing_order();
    void texts_and_fonts_data();
    void texts_and_fonts();
    void drawn_pixels_data();
    void drawn_pixels();
    void focus_starts_on_picture_and_tabs_to_start();
    void key_preview_with_focus_on_start_button();
    void timer_and_button_through_a_round();
    void load_and_unload_send_the_sound_commands();
    void missing_title_picture_is_reported();
    void pictures_through_a_round_data();
    void pictures_through_a_round();
    void missing_picture_mid_game_is_reported_data();
    void missing_picture_mid_game_is_reported();

private:
    Form1& form() { return window_->form(); }
    template <typename T> T& control(const auto& which) { return window_->control<T>(which); }
    int shown_picture();

    std::unique_ptr<PictureFolder> pictures_;
    RecordingSoundDevice sounds_;
    std::unique_ptr<GameWindow> window_;
};

int Form1Test::shown_picture()
{
    const QImage& shown = control<PictureBox>(layout::Picture2).picture();
    for (int n = 1; n <= 25; ++n)
        if (shown == PictureFolder::colour_picture(n))
            return n;
    return 0;
}

void Form1Test::init()
{
    pictures_ = std::make_unique<PictureFolder>();
    sounds_.commands.clear();
    window_ = std::make_unique<GameWindow>(sounds_);
    QVERIFY(window_->active());
}

void Form1Test::cleanup()
{
    window_.reset();
    pictures_.reset();
}

void Form1Test::window_frame()
{
    QCOMPARE(form().windowTitle(), QString("Zumbrel"));
    QCOMPARE(form().size(), layout::window_size);
    QCOMPARE(form().minimumSize(), form().maximumSize());
    const Qt::WindowFlags flags = form().windowFlags();
    QVERIFY(flags & Qt::FramelessWindowHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(control<QWidget>(layout::Shape4).parentWidget()->geometry(), layout::client_area);

    const QImage image = form().grab().toImage();
    // An edge all round, in a colour of its own.
    const QRgb edge = form().palette().color(QPalette::Dark).rgb();
    const QRect outline = image.rect();
    for (const QPoint at : {outline.topLeft(), outline.bottomRight(), QPoint(150, 0), QPoint(0, 200),
                            QPoint(outline.right(), 100), QPoint(150, outline.bottom())})
        QCOMPARE(QColor(image.pixel(at)), QColor(edge));
    QVERIFY(image.pixel(layout::caption.topLeft()) != edge);
    // The title in the middle, a cross in the close box, and no other ink.
    const QRgb bar = image.pixel(layout::caption.topLeft() + QPoint(4, 4));
    const QRect caption = layout::caption.adjusted(0, 0, 0, -1);
    const QRect box = layout::close_box;
    QVERIFY(contrast(image, {98, caption.top(), 100, caption.height()}, bar) > 150);
    const int end = box.width() / 3; // a third of the box in, both upper ends of the cross
    QVERIFY(contrast(image, {box.left() + end - 1, box.top() + end - 1, 3, 3}, bar) > 150);
    QVERIFY(contrast(image, {box.right() - end - 1, box.top() + end - 1, 3, 3}, bar) > 150);
    QCOMPARE(contrast(image, {caption.left(), caption.top(), 97, caption.height()}, bar), 0);
    QCOMPARE(contrast(image, {199, caption.top(), box.left() - 199, caption.height()}, bar), 0);
}

void Form1Test::caption_looks_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<CaptionState>("state");
    QTest::addColumn<int>("least_title_contrast");
    QTest::addColumn<int>("most_title_contrast");
    QTest::addColumn<int>("least_box_shade");
    QTest::addColumn<int>("most_box_shade");
    for (const bool dark : {false, true}) {
        const char* const scheme = dark ? "dark" : "light";
        QTest::addRow("%s, active", scheme) << dark << CaptionState::active << 150 << 255 << 0 << 0;
        QTest::addRow("%s, inactive", scheme) << dark << CaptionState::inactive << 40 << 120 << 0 << 0;
        QTest::addRow("%s, close box hovered", scheme) << dark << CaptionState::hovered << 150 << 255 << 20 << 45;
        QTest::addRow("%s, close box pressed", scheme) << dark << CaptionState::pressed << 150 << 255 << 55 << 255;
        QTest::addRow("%s, pointer gone", scheme) << dark << CaptionState::hovered_then_left << 150 << 255 << 0 << 0;
        // Still held, as a close box shows it will not close on the release.
        QTest::addRow("%s, pointer gone with the button down", scheme)
            << dark << CaptionState::pressed_then_left << 150 << 255 << 20 << 45;
    }
}

// Colours from the palette, faint while another window has the focus, and a
// close box that answers the pointer.
void Form1Test::caption_looks()
{
    QFETCH(bool, dark);
    QFETCH(CaptionState, state);
    QFETCH(int, least_title_contrast);
    QFETCH(int, most_title_contrast);
    QFETCH(int, least_box_shade);
    QFETCH(int, most_box_shade);
    if (dark) {
        QPalette palette = form().palette();
        palette.setColor(QPalette::Window, QColor(36, 36, 36));
        palette.setColor(QPalette::WindowText, QColor(238, 238, 238));
        form().setPalette(palette);
    }
    auto& caption = control<CaptionBar>("caption_bar");
    const QPoint in_box_off_cross = caption.close_box().center() - QPoint(6, 0);
    QWidget other;
    switch (state) {
    case CaptionState::inactive: {
        QStringList paints;
        PaintLog log(paints);
        caption.installEventFilter(&log);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(!form().isActiveWindow());
        QTRY_VERIFY2(paints.contains("drawn"), "the caption was not drawn again");
        caption.removeEventFilter(&log);
        break;
    }
    case CaptionState::hovered:
        // From the title to the box, as a pointer comes.
        QTest::mouseMove(&caption, caption.rect().center());
        QTest::mouseMove(&caption, in_box_off_cross);
        break;
    case CaptionState::pressed:
        QTest::mousePress(&caption, Qt::LeftButton, {}, in_box_off_cross);
        break;
    case CaptionState::pressed_then_left:
        QTest::mousePress(&caption, Qt::LeftButton, {}, in_box_off_cross);
        QTest::mouseMove(&caption, caption.rect().center());
        break;
    case CaptionState::hovered_then_left:
        QTest::mouseMove(&caption, caption.rect().center());
        QTest::mouseMove(&caption, in_box_off_cross);
        QTest::mouseMove(&form(), layout::client_area.center());
        break;
    case CaptionState::active:
        break;
    }
    const QImage image = caption.grab().toImage();
    // Let go off the box, or the next row's pointer stays held.
    if (state == CaptionState::pressed || state == CaptionState::pressed_then_left)
        QTest::mouseRelease(&caption, Qt::LeftButton, {}, caption.rect().center());
    const QRgb bar = image.pixel(4, 4);
    QCOMPARE(qGray(bar) < 100, dark);
    // Shaded while active; flat, as the client area, while another window has the focus.
    QCOMPARE(bar == form().palette().color(QPalette::Window).rgb(), state == CaptionState::inactive);
    const int title = contrast(image, {97, 0, 100, caption.height() - 1}, bar);
    QVERIFY2(title >= least_title_contrast && title <= most_title_contrast, qPrintable(QString::number(title)));
    const int shade = qGray(bar) - qGray(image.pixel(in_box_off_cross));
    QVERIFY2(std::abs(shade) >= least_box_shade && std::abs(shade) <= most_box_shade, qPrintable(QString::number(shade)));
}

void Form1Test::caption_closes_from_its_box_alone_data()
{
    QTest::addColumn<bool>("press_in_box");
    QTest::addColumn<bool>("release_in_box");
    QTest::addColumn<Qt::MouseButton>("pressed");
    QTest::addColumn<Qt::MouseButton>("released");
    QTest::addColumn<bool>("double_click");
    QTest::addColumn<bool>("closes");
    const Qt::MouseButton left = Qt::LeftButton, right = Qt::RightButton;
    QTest::newRow("click on the box") << true << true << left << left << false << true;
    QTest::newRow("pressed on the box, let go off it") << true << false << left << left << false << false;
    QTest::newRow("pressed off the box, let go on it") << false << true << left << left << false << false;
    QTest::newRow("right click on the box") << true << true << right << right << false << false;
    QTest::newRow("right press, left release on the box") << true << true << right << left << false << false;
    QTest::newRow("left press, right release on the box") << true << true << left << right << false << false;
    QTest::newRow("double-click on the title") << false << false << left << left << true << false;
}

void Form1Test::caption_closes_from_its_box_alone()
{
    QFETCH(bool, press_in_box);
    QFETCH(bool, release_in_box);
    QFETCH(Qt::MouseButton, pressed);
    QFETCH(Qt::MouseButton, released);
    QFETCH(bool, double_click);
    QFETCH(bool, closes);
    auto* const caption = form().findChild<CaptionBar*>();
    const QPoint in_box = caption->close_box().center();
    const QPoint off_box(60, layout::caption_height / 2);
    if (double_click)
        QTest::mouseDClick(caption, pressed, {}, off_box);
    QTest::mousePress(caption, pressed, {}, press_in_box ? in_box : off_box);
    QTest::mouseRelease(caption, released, {}, release_in_box ? in_box : off_box);
    QCOMPARE(form().isVisible(), !closes);
    QCOMPARE(form().size(), layout::window_size);
    QCOMPARE(form().windowState(), Qt::WindowNoState);
    QCOMPARE(sounds_.commands.back(), std::string(closes ? "close p2" : "open sh-hit2.wav alias p2"));
    // The keys still go where they went, whatever the caption saw.
    if (!closes)
        QCOMPARE(QApplication::focusWidget(), &control<QWidget>(layout::Picture2));
}

// The sound libraries load from the hook; run inside the expose, they would
// load beside the first frame and hold it up.
void Form1Test::first_frame_hook_runs_once_after_the_drawing()
{
    QStringList order;
    QWidget window;
    window.resize(40, 30);
    PaintLog paints(order);
    window.installEventFilter(&paints);
    window.show();
    after_first_frame(window, [&order] { order << "hook"; });
    QTRY_VERIFY(order.contains("hook"));
    // Shown again, the window is exposed again: the hook has had its turn.
    window.hide();
    window.show();
    QTRY_COMPARE(order.count("drawn"), 2);
    QTest::qWait(50);
    QCOMPARE(order, QStringList({"drawn", "hook", "drawn"}));
}

void Form1Test::frame_requests_are_undone_data()
{
    QTest::addColumn<std::function<void(Form1&)>>("request");
    QTest::newRow("maximise") << std::function<void(Form1&)>([](Form1& f) { f.setWindowState(Qt::WindowMaximized); });
    QTest::newRow("full screen") << std::function<void(Form1&)>([](Form1& f) { f.showFullScreen(); });
    QTest::newRow("both") << std::function<void(Form1&)>(
        [](Form1& f) { f.setWindowState(Qt::WindowMaximized | Qt::WindowFullScreen); });
    // As when the compositor sends a size after a drag on a frame Qt draws.
    QTest::newRow("platform resize") << std::function<void(Form1&)>([](Form1& f) { f.windowHandle()->resize(500, 420); });
}

void Form1Test::frame_requests_are_undone()
{
    QFETCH(std::function<void(Form1&)>, request);
    request(form());
    QTRY_COMPARE(form().windowState(), Qt::WindowNoState);
    QTRY_COMPARE(form().size(), layout::window_size);
    QTRY_COMPARE(form().windowHandle()->size(), layout::window_size);
}

void Form1Test::geometry_and_drawing_order()
{
    QStringList order;
    for (QObject* child : control<QWidget>(layout::Shape4).parentWidget()->children())
        if (child->isWidgetType())
            order << child->objectName();
    QStringList expected;
    for (const layout::Control& design : layout::controls) {
        expected << QString::fromUtf8(design.name);
        QWidget& widget = control<QWidget>(design);
        QCOMPARE(widget.geometry(), design.rect);
        QVERIFY2(is_kind(widget, design.kind), design.name);
    }
    QCOMPARE(order, expected);
    QCOMPARE(control<QTimer>("Timer1").interval(), 1000);
    QCOMPARE(control<QTimer>("Timer1").timerType(), Qt::PreciseTimer);
}

void Form1Test::texts_and_fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixel_size"); // 0: the window's own font
    QTest::addColumn<bool>("bold");

    QTest::newRow("start_btn") << "start_btn" << "スタート" << 19 << true;
    QTest::newRow("連打回") << "連打回" << "連打回数" << 12 << true;
    QTest::newRow("残り時") << "残り時" << "残り時間" << 12 << true;
    QTest::newRow("Label6") << "Label6" << "25" << 12 << true;
    QTest::newRow("Label4") << "Label4" << "0" << 12 << true;
    QTest::newRow("Label3") << "Label3" << "LIFEBAR" << 0 << false;
    QTest::newRow("Label9") << "Label9" << "Produce By Vashtel" << 0 << false;
    QTest::newRow("Label8") << "Label8" << "ver 1.01" << 0 << false;
    QTest::newRow("Label2") << "Label2" << "brel" << 16 << true;
    QTest::newRow("Label1") << "Label1" << "Zum" << 96 << false;
}

void Form1Test::texts_and_fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, pixel_size);
    QFETCH(bool, bold);
    QWidget& widget = control<QWidget>(name);
    const auto* button = qobject_cast<QPushButton*>(&widget);
    QCOMPARE(button ? button->text() : qobject_cast<QLabel*>(&widget)->text(), text);
    if (pixel_size == 0) {
        QCOMPARE(widget.font(), form().font());
        return;
    }
    const QFontInfo info(widget.font());
    QCOMPARE(info.family(), QString("IPAPGothic"));
    QCOMPARE(info.pixelSize(), pixel_size);
    QCOMPARE(info.bold(), bold);
}

void Form1Test::drawn_pixels_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");

    const QColor black(0, 0, 0), white(255, 255, 255), green(0, 255, 0);
    QTest::newRow("Shape1 outline top-left") << QPoint(7, 128) << black;
    QTest::newRow("Shape1 outline bottom-right") << QPoint(287, 370) << black;
    QTest::newRow("Shape4 outline") << QPoint(16, 335) << black;
    QTest::newRow("Shape4 white inside") << QPoint(17, 336) << white;
    QTest::newRow("Shape2 outline left") << QPoint(75, 360) << black;
    QTest::newRow("Shape2 outline top") << QPoint(150, 356) << black;
    QTest::newRow("Shape3 covers Shape2's right edge") << QPoint(276, 360) << green;
    QTest::newRow("Shape3 covers Shape2's bottom edge") << QPoint(150, 364) << green;
    QTest::newRow("Shape3 first pixel") << QPoint(76, 357) << green;
    QTest::newRow("Label3 white background") << QPoint(65, 366) << white;
    QTest::newRow("picture top-left") << QPoint(17, 133) << QColor(PictureFolder::colour_picture(25).pixel(0, 0));
    QTest::newRow("picture bottom-right") << QPoint(281, 333) << QColor(PictureFolder::colour_picture(25).pixel(0, 0));
}

void Form1Test::drawn_pixels()
{
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    const QImage image = form().grab(layout::client_area).toImage();
    QCOMPARE(image.size(), layout::client_size);
    QCOMPARE(QColor(image.pixel(at)), colour);
}

void Form1Test::focus_starts_on_picture_and_tabs_to_start()
{
    QStringList focusable;
    for (QWidget* child : form().findChildren<QWidget*>())
        if (child->focusPolicy() != Qt::NoFocus)
            focusable << child->objectName();
    focusable.sort();
    QCOMPARE(focusable, QStringList({"Picture2", "start_btn"}));
    QCOMPARE(QApplication::focusWidget(), &control<QWidget>(layout::Picture2));
    QTest::keyClick(&control<QWidget>(layout::Picture2), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &control<QWidget>(layout::start_btn));
}

void Form1Test::key_preview_with_focus_on_start_button()
{
    auto& start = control<QPushButton>(layout::start_btn);
    QTest::mouseClick(&start, Qt::LeftButton);
    QVERIFY(!start.isEnabled());
    // Force the focus onto the button mid-round, where it never is in play.
    start.setEnabled(true);
    start.setFocus();
    QCOMPARE(QApplication::focusWidget(), &start);

    QTest::keyPress(&start, Qt::Key_Space);
    QCOMPARE(form().round_state().hit_count, 1);
    QCOMPARE(control<QLabel>(layout::Label4).text(), QString("1"));
    QCOMPARE(form().round_state().key_latch, game::True);
    QTest::keyRelease(&start, Qt::Key_A);
    QCOMPARE(form().round_state().key_latch, game::False);
}

void Form1Test::timer_and_button_through_a_round()
{
    auto& start = control<QPushButton>(layout::start_btn);
    auto& timer = control<QTimer>("Timer1");
    QVERIFY(start.isEnabled());
    QVERIFY(!timer.isActive());

    QTest::mouseClick(&start, Qt::LeftButton);
    QVERIFY(!start.isEnabled());
    QVERIFY(timer.isActive());
    QCOMPARE(QApplication::focusWidget(), &control<QWidget>(layout::Picture2));
    for (int i = 0; i < 3; ++i)
        window_->tap();
    QCOMPARE(control<QLabel>(layout::Label4).text(), QString("3"));
    QCOMPARE(control<Shape>(layout::Shape3).width(), 198);

    for (int tick = 1; tick <= 25; ++tick) {
        form().Timer1_Timer();
        QCOMPARE(control<QLabel>(layout::Label6).text(), QString::number(25 - tick));
        QCOMPARE(timer.isActive(), tick < 25);
        QCOMPARE(start.isEnabled(), tick == 25);
    }
    window_->tap();
    QCOMPARE(control<QLabel>(layout::Label4).text(), QString("3"));
    QCOMPARE(sounds_.commands.back(), std::string("may rest")); // not a play
}

void Form1Test::load_and_unload_send_the_sound_commands()
{
    QTest::mouseClick(&control<QPushButton>(layout::start_btn), Qt::LeftButton);
    window_->tap();
    window_->tap();
    form().close();
    const std::vector<std::string> expected{
        "open sh-hit1.wav alias p1", "open sh-hit2.wav alias p2",
        "keep ready", "play p2 from 0", "play p1 from 0",
        "close p1", "close p2"};
    QCOMPARE(sounds_.commands, expected);
}

void Form1Test::missing_title_picture_is_reported()
{
    QFile::remove("bmp/25.bmp");
    RecordingSoundDevice sounds;
    QStringList reports;
    Form1 form(sounds, [&](const QString& message) { reports << message; });
    form.Form_Load();
    QVERIFY(form.failed());
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.front().contains("bmp/25.bmp"), qPrintable(reports.front()));
    QVERIFY(reports.front().contains(QDir::current().absoluteFilePath("bmp/25.bmp")));
    QVERIFY(sounds.commands.empty());
}

void Form1Test::pictures_through_a_round_data()
{
    QTest::addColumn<int>("hits");
    QTest::addColumn<int>("after_last_hit");
    QTest::addColumn<int>("after_time_out");

    QTest::newRow("0") << 0 << 25 << 21;
    QTest::newRow("1") << 1 << 1 << 21;
    QTest::newRow("59") << 59 << 5 << 21;
    QTest::newRow("60") << 60 << 8 << 8;
    QTest::newRow("100") << 100 << 12 << 12;
    QTest::newRow("101") << 101 << 11 << 22;
    QTest::newRow("151") << 151 << 15 << 23;
    QTest::newRow("200") << 200 << 24 << 24;
}

void Form1Test::pictures_through_a_round()
{
    QFETCH(int, hits);
    QFETCH(int, after_last_hit);
    QFETCH(int, after_time_out);
    QCOMPARE(shown_picture(), 25);
    QTest::mouseClick(&control<QPushButton>(layout::start_btn), Qt::LeftButton);
    QCOMPARE(shown_picture(), 25); // Start never changes the picture
    for (int i = 0; i < hits; ++i)
        window_->tap();
    QCOMPARE(shown_picture(), after_last_hit);
    for (int tick = 0; tick < 25 && control<QTimer>("Timer1").isActive(); ++tick)
        form().Timer1_Timer();
    QCOMPARE(shown_picture(), after_time_out);
    QCOMPARE(sounds_.commands.back(), std::string("may rest"));
    QVERIFY(window_->reports().isEmpty());
}

void Form1Test::missing_picture_mid_game_is_reported_data()
{
    QTest::addColumn<int>("missing");
    QTest::addColumn<int>("hits");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("sounds_played");

    QTest::newRow("first frame, on the first hit") << 1 << 1 << 0 << 0;
    QTest::newRow("stage 2 frame") << 4 << 20 << 0 << 19;
    QTest::newRow("time-out result") << 21 << 0 << 25 << 0;
    QTest::newRow("full score") << 24 << 200 << 0 << 200;
}

void Form1Test::missing_picture_mid_game_is_reported()
{
    QFETCH(int, missing);
    QFETCH(int, hits);
    QFETCH(int, ticks);
    QFETCH(int, sounds_played);
    const QString file = QStringLiteral("bmp/%1.bmp").arg(missing);
    QFile::remove(file);
    QTest::mouseClick(&control<QPushButton>(layout::start_btn), Qt::LeftButton);
    for (int i = 0; i < hits; ++i)
        window_->tap();
    for (int tick = 0; tick < ticks; ++tick)
        form().Timer1_Timer();

    QVERIFY(form().failed());
    QCOMPARE(window_->reports().size(), 1);
    QVERIFY2(window_->reports().front().contains(file), qPrintable(window_->reports().front()));
    QVERIFY(!control<QTimer>("Timer1").isActive());
    // Nothing runs after the failure: the failed hit's sound is never played.
    const auto plays = std::count_if(sounds_.commands.begin(), sounds_.commands.end(),
                                     [](const std::string& c) { return c.starts_with("play"); });
    QCOMPARE(int(plays), sounds_played);
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
