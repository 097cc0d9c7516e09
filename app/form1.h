#pragma once

#include "app/detectable_auto_repeat.h"
#include "app/key_preview.h"
#include "app/caption_bar.h"
#include "app/picture_box.h"
#include "app/shape.h"
#include "app/layout.h"
#include "app/window_edge.h"
#include "game/form_view.h"
#include "game/round_rules.h"
#include "media/sound_device.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

// The game's one window. Its controls keep their design-time names; its
// handlers pass each event to the round rules and the media.
class Form1 : public QWidget, private game::FormView {
    Q_OBJECT

public:
    // Called once when a handler cannot go on; the program must then end.
    using FatalReport = std::function<void(const QString& message)>;

    Form1(media::SoundDevice& sounds, FatalReport fatal_report);

    void Form_Load();
    void start_btn_Click();
    void Timer1_Timer();
    void Form_KeyDown(std::int16_t key_code, std::int16_t shift);
    void Form_KeyUp(std::int16_t key_code, std::int16_t shift);
    void Form_Unload();

    bool failed() const { return failed_; }
    const game::RoundState& round_state() const { return rules_.state(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    template <typename Handler> void guarded(Handler&& handler);

    void set_hit_caption(const std::string& text) override;
    void set_seconds_caption(const std::string& text) override;
    float bar_width() const override;
    void set_bar_width(float pixels) override;
    void set_bar_colour(game::Colour colour) override;
    void set_start_enabled(bool enabled) override;
    void set_timer_enabled(bool enabled) override;
    void show_picture(int number) override;
    void play_cue(game::Cue cue) override;

    media::SoundDevice& sounds_;
    FatalReport fatal_report_;
    bool failed_ = false;
    game::RoundRules rules_{*this};

    CaptionBar caption_{this};
    // The controls' design-time geometry is within the client area.
    QWidget client_area_{this};
    // Bottom-most first: later siblings are drawn over earlier ones.
    Shape Shape4{&client_area_, layout::Shape4.rect, {Qt::white, true}};
    QLabel Label1{QStringLiteral("Zum"), &client_area_};
    QLabel Label2{QStringLiteral("brel"), &client_area_};
    Shape Shape1{&client_area_, layout::Shape1.rect, {std::nullopt, true}};
    QLabel Label8{QStringLiteral("ver 1.01"), &client_area_};
    Shape Shape2{&client_area_, layout::Shape2.rect, {std::nullopt, true}};
    Shape Shape3{&client_area_, layout::Shape3.rect, {QColor(0, 255, 0), false}};
    QLabel Label9{QStringLiteral("Produce By Vashtel"), &client_area_};
    QLabel Label3{QStringLiteral("LIFEBAR"), &client_area_};
    QLabel Label4{QStringLiteral("0"), &client_area_};
    QLabel Label6{QStringLiteral("25"), &client_area_};
    QLabel 残り時{QStringLiteral("残り時間"), &client_area_};
    QLabel 連打回{QStringLiteral("連打回数"), &client_area_};
    PictureBox Picture2{&client_area_, layout::Picture2.rect};
    QPushButton start_btn{QStringLiteral("スタート"), &client_area_};
    // Over everything else, being created after it.
    WindowEdge edge_{this};
    QTimer Timer1{this};
    KeyPreview key_preview_{*this,
                            [this](std::int16_t key, std::int16_t shift) { Form_KeyDown(key, shift); },
                            [this](std::int16_t key, std::int16_t shift) { Form_KeyUp(key, shift); },
                            request_detectable_auto_repeat() ? KeyPreview::Releases::always_real
                                                             : KeyPreview::Releases::may_be_repeats};
};
