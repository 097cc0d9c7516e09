#pragma once

#include "data_copy.h"
#include "game_session.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>

// The game as a native Wayland client of a headless sway, typed at through
// wtype's virtual keyboard and captured with grim. Sway will not run as
// root, so as root everything here runs as the user nobody.
class WaylandSession final : public GameSession {
public:
    WaylandSession(const QString& program, const QString& data_dir);
    ~WaylandSession() override;

    bool isValid() const override { return valid_; }
    bool start_game() override;
    void stop_game() override;
    void click_start() override;
    void tap(const QStringList& keys, int delay_ms) override;
    void hold(const QString& key, int milliseconds) override;
    QImage capture() const override;

private:
    bool start_compositor();
    void start(QProcess& process, const QString& program, const QStringList& arguments) const;
    QByteArray run(const QString& program, const QStringList& arguments) const;
    QRect window_area() const;

    DataCopy data_;
    QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
    QStringList as_user_;   // setpriv's words, or none
    QString game_program_;
    QProcess sway_;
    QProcess keyboard_;
    QProcess game_;
    bool valid_ = false;
};
