#pragma once

#include "child_process.h"
#include "data_copy.h"
#include "game_session.h"

#include <QDBusConnection>
#include <QProcessEnvironment>
#include <QPoint>
#include <QRect>

#include <memory>

// The game under a headless GNOME Shell with XWayland, as on Debian's default
// desktop: the game should pick XWayland, and mutter frames it with the
// buttons that GNOME's settings and the window's hints allow. The shell runs
// in its unsafe mode, in which it lets a test list its windows, capture the
// screen and drive its virtual input devices over D-Bus. As root, the shell,
// its settings and the game run as the user nobody.
class GnomeSession final : public GameSession {
public:
    GnomeSession(const QString& program, const QString& data_dir);
    ~GnomeSession() override;

    bool isValid() const override { return valid_; }
    bool start_game() override;
    void stop_game() override;
    void click_start() override;
    void tap(const QStringList& keys, int delay_ms) override;
    void hold(const QString& key, int milliseconds) override;
    QImage capture() const override;
    QList<FrameAction> frame_actions() override;
    std::optional<int> frame_buttons() const override;
    QStringList button_layouts() const override;
    void use_button_layout(const QString& layout) override;
    bool caption_whole() const override;
    QString app_id() const override;

private:
    struct Window {
        QRect frame;
        QRect client;
        QString id;  // the X window, in hexadecimal
        QString app; // which application the shell takes it for
    };
    bool start_shell();
    std::unique_ptr<ChildProcess> run_as_user(const QStringList& command) const;
    QString eval(const QString& script) const;
    std::optional<Window> window() const;
    QImage screen_area(QRect area) const;
    // The title bar's pixels, of the frame mutter last drew.
    QImage title_bar() const;
    void keys(const QStringList& names, bool press, bool release);
    void move_to(QPoint screen_point);
    void button(bool press);
    void click_at(QPoint client_point, int clicks = 1);
    void drag(QPoint from_client_point, QPoint by);

    DataCopy data_;
    QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
    QStringList as_user_; // setpriv's words, or none
    QString game_program_;
    QString x_display_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> shell_;
    std::unique_ptr<ChildProcess> xsettings_;
    std::unique_ptr<ChildProcess> game_;
    std::optional<QDBusConnection> dbus_;
    bool valid_ = false;
};
