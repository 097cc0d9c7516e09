#pragma once

#include "child_process.h"
#include "game_session.h"
#include "xvfb.h"

#include <QPoint>

#include <memory>

// The game under weston, whose frames the client draws, shown in an Xvfb
// through weston's X11 backend and driven there by xdotool. With XWayland on,
// the game should pick it and get a frame from weston's X window manager;
// with it off, it stays a Wayland client with a frame Qt draws.
class WestonSession final : public GameSession {
public:
    WestonSession(QString program, QString data_dir, bool xwayland);
    ~WestonSession() override;

    bool isValid() const override { return !wayland_display_.isEmpty(); }
    bool start_game() override;
    void stop_game() override;
    void click_start() override;
    void tap(const QStringList& keys, int delay_ms) override;
    void hold(const QString& key, int milliseconds) override;
    QImage capture() const override;
    QList<FrameAction> frame_actions() override;
    std::optional<int> frame_buttons() const override;

private:
    // Where the game's client area starts on the screen; null if not shown.
    std::optional<QPoint> client_origin() const;
    void click_at(QPoint client_point, int clicks = 1);
    void drag(QPoint from_client_point, QPoint by);

    const QString program_;
    const QString data_dir_;
    const bool xwayland_;
    Xvfb x_{QStringLiteral("1024x768")};
    QString runtime_dir_;
    std::unique_ptr<ChildProcess> weston_;
    QString wayland_display_;
    QString xwayland_display_;
    std::unique_ptr<ChildProcess> game_;
    mutable QPoint origin_;
    // Qt's own frame edges the window in the window's own colour, which no
    // capture can tell from the client area: this many pixels right and below.
    const int same_colour_border_;
};
