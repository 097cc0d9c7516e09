#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// The real game in a display server of its own, played with real input
// events and read back from captures of its window. Keys are named as X
// keysyms ("space", "Return"), a chord as "shift+x".
class GameSession {
public:
    virtual ~GameSession() = default;

    // False if the display server could not be started.
    virtual bool isValid() const = 0;
    // Starts the game in its data folder; false if no window appeared.
    virtual bool start_game() = 0;
    virtual void stop_game() = 0;
    virtual void click_start() = 0;
    // Presses and releases each key in turn, `delay_ms` apart.
    virtual void tap(const QStringList& keys, int delay_ms = 0) = 0;
    virtual void hold(const QString& key, int milliseconds) = 0;
    // The window's client area as the screen shows it; null if unreadable.
    virtual QImage capture() const = 0;

    // Something the player can do to the window's frame, named for reports.
    struct FrameAction {
        QString name;
        std::function<void()> act;
    };
    // The actions that would maximise, enlarge or shrink the window where the
    // session's frame allows them; none where there is no frame to act on.
    virtual QList<FrameAction> frame_actions() { return {}; }
    // How many buttons the frame shows right of the caption; none if unread.
    virtual std::optional<int> frame_buttons() const { return std::nullopt; }
    // The desktop's button layouts under which the frame is to show close
    // alone ("" its default), and the way to choose one; none if it has none.
    virtual QStringList button_layouts() const { return {}; }
    virtual void use_button_layout(const QString&) {}
    // Whether the frame shows the caption "Zumbrel" whole; true if unread.
    virtual bool caption_whole() const { return true; }
    // Which installed application the desktop takes the window for; empty if unread.
    virtual QString app_id() const { return {}; }
};

// The session that ZUMBREL_E2E_DISPLAY names: "x11" (the default), "wayland"
// (sway), "weston" (with XWayland), "weston-wayland" (without) or "gnome".
std::unique_ptr<GameSession> make_game_session(const QString& program, const QString& data_dir);
