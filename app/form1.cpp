#include "app/form1.h"

#include "app/fonts.h"
#include "media/hit_sounds.h"
#include "media/picture_file.h"

#include <QCloseEvent>
#include <QIcon>
#include <QResizeEvent>
#include <QWindow>

#include <optional>
#include <utility>

namespace {

struct LabelLook {
    QRect geometry;
    std::optional<QFont> font;
    std::optional<QColor> text;
    std::optional<QColor> background;
};

void lay_out(QLabel& label, const LabelLook& look)
{
    label.setGeometry(look.geometry);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.setAttribute(Qt::WA_TransparentForMouseEvents);
    if (look.font)
        label.setFont(*look.font);
    QPalette palette = label.palette();
    if (look.text)
        palette.setColor(QPalette::WindowText, *look.text);
    if (look.background) {
        palette.setColor(QPalette::Window, *look.background);
        label.setAutoFillBackground(true);
    }
    label.setPalette(palette);
}

QColor to_qcolor(game::Colour colour)
{
    return QColor(game::red_of(colour), game::green_of(colour), game::blue_of(colour));
}

} // namespace

// Frameless: the window draws its own caption and close box, the same on
// every desktop, where a desktop's frame would offer minimise or maximise.
Form1::Form1(media::SoundDevice& sounds, FatalReport fatal_report)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , sounds_(sounds)
    , fatal_report_(std::move(fatal_report))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zumbrel"));
    setFixedSize(layout::window_size);
    client_area_.setGeometry(layout::client_area);
    setWindowIcon(QIcon(QStringLiteral(":/zumbrel-32.png")));

    const QColor red(255, 0, 0);
    const QFont status_font = japanese_font(12, true); // 9 pt at 96 dpi
    lay_out(Label1, {layout::Label1.rect, japanese_font(96, false), QColor(0, 255, 0), {}});
    lay_out(Label2, {layout::Label2.rect, japanese_font(16, true), red, {}});
    lay_out(Label8, {layout::Label8.rect, {}, {}, {}});
    lay_out(Label9, {layout::Label9.rect, {}, {}, {}});
    Label9.setWordWrap(true);
    lay_out(Label3, {layout::Label3.rect, {}, red, Qt::white});
    lay_out(Label4, {layout::Label4.rect, status_font, {}, {}});
    lay_out(Label6, {layout::Label6.rect, status_font, {}, {}});
    lay_out(残り時, {layout::残り時.rect, status_font, {}, {}});
    lay_out(連打回, {layout::連打回.rect, status_font, {}, {}});

    start_btn.setGeometry(layout::start_btn.rect);
    start_btn.setFont(japanese_font(19, true)); // 14.25 pt at 96 dpi
    start_btn.setFocusPolicy(Qt::StrongFocus);
    setTabOrder(&Picture2, &start_btn);
    Picture2.setFocus();

    // Ticks must not drift: a round is 25 of them and should last 25 s.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(1000);

    const std::pair<QWidget*, layout::Control> controls[]{
        {&Shape4, layout::Shape4}, {&Label1, layout::Label1},     {&Label2, layout::Label2},
        {&Shape1, layout::Shape1}, {&Label8, layout::Label8},     {&Shape2, layout::Shape2},
        {&Shape3, layout::Shape3}, {&Label9, layout::Label9},     {&Label3, layout::Label3},
        {&Label4, layout::Label4}, {&Label6, layout::Label6},     {&残り時, layout::残り時},
        {&連打回, layout::連打回}, {&Picture2, layout::Picture2}, {&start_btn, layout::start_btn}};
    for (const auto& [control, design] : controls)
        control->setObjectName(QString::fromUtf8(design.name));
    Timer1.setObjectName(QStringLiteral("Timer1"));

    connect(&start_btn, &QPushButton::clicked, this, &Form1::start_btn_Click);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
}

template <typename Handler> void Form1::guarded(Handler&& handler)
{
    if (failed_)
        return;
    try {
        handler();
    } catch (const media::PictureLoadError& error) {
        // A picture that cannot be shown ends the game; nothing more may run.
        failed_ = true;
        Timer1.stop();
        fatal_report_(error.report());
    }
}

void Form1::Form_Load()
{
    guarded([this] {
        show_picture(25);
        media::open_hit_sounds(sounds_);
    });
}

void Form1::start_btn_Click()
{
    guarded([this] { rules_.start_btn_Click(); });
}

void Form1::Timer1_Timer()
{
    guarded([this] { rules_.Timer1_Timer(); });
}

void Form1::Form_KeyDown(std::int16_t key_code, std::int16_t shift)
{
    guarded([&] { rules_.Form_KeyDown(key_code, shift); });
}

void Form1::Form_KeyUp(std::int16_t key_code, std::int16_t shift)
{
    guarded([&] { rules_.Form_KeyUp(key_code, shift); });
}

void Form1::Form_Unload()
{
    media::close_hit_sounds(sounds_);
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

// A desktop's shortcut may still maximise, go full screen or resize the
// window whatever the fixed size says, and Qt applies what the compositor
// then sends: the window leaves those states and takes its one size back.
constexpr Qt::WindowStates refused_states = Qt::WindowMaximized | Qt::WindowFullScreen;

void Form1::changeEvent(QEvent* event)
{
    // Asked of the window once Qt has applied the state, not set on the
    // widget: a widget would take its normal size back at once, which a
    // Wayland compositor takes for a client that broke its word while
    // maximised, and ends it (weston does).
    if (event->type() == QEvent::WindowStateChange && (windowState() & refused_states))
        QTimer::singleShot(0, this, [this] { windowHandle()->setWindowStates(windowState() & ~refused_states); });
    QWidget::changeEvent(event);
}

void Form1::resizeEvent(QResizeEvent* event)
{
    // A maximised Wayland window must keep the size it was given until the
    // compositor has taken the state back, or the compositor may end the game.
    if (event->size() != layout::window_size && !(windowState() & refused_states))
        resize(layout::window_size);
    QWidget::resizeEvent(event);
}

void Form1::set_hit_caption(const std::string& text)
{
    Label4.setText(QString::fromStdString(text));
}

void Form1::set_seconds_caption(const std::string& text)
{
    Label6.setText(QString::fromStdString(text));
}

float Form1::bar_width() const
{
    return Shape3.widthF();
}

void Form1::set_bar_width(float pixels)
{
    Shape3.setWidthF(pixels);
}

void Form1::set_bar_colour(game::Colour colour)
{
    Shape3.setFillColor(to_qcolor(colour));
}

void Form1::set_start_enabled(bool enabled)
{
    start_btn.setEnabled(enabled);
}

void Form1::set_timer_enabled(bool enabled)
{
    // The timer runs exactly while a round is on, and the round's hits must
    // sound at once; between rounds the sound device may rest.
    sounds_.keep_ready(enabled);
    // Enabling a running timer must not restart its period.
    if (!enabled)
        Timer1.stop();
    else if (!Timer1.isActive())
        Timer1.start();
}

void Form1::show_picture(int number)
{
    Picture2.setPicture(media::load_picture(number, Picture2.devicePixelRatio()));
}

void Form1::play_cue(game::Cue cue)
{
    media::play_cue(sounds_, cue);
}
