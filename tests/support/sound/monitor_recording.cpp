#include "monitor_recording.h"

#include "summary.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Clock = MonitorRecording::Clock;
constexpr int bytes_per_frame = 4;

} // namespace

MonitorRecording::MonitorRecording(const SoundServer& server)
{
    int pipe_ends[2] = {-1, -1};
    if (pipe2(pipe_ends, O_CLOEXEC) != 0)
        give_up("no pipe for parec");
    from_parec_ = pipe_ends[0];
    // A short latency makes parec pass the sound on in small pieces, soon after the sink made it.
    const QStringList command{"parec", "-d", server.monitor(), "--raw", "--format=s16le",
                              QStringLiteral("--rate=%1").arg(rate), "--channels=2", "--latency-msec=5",
                              QStringLiteral("/dev/fd/%1").arg(pipe_ends[1])};
    parec_ = std::make_unique<ChildProcess>(command, server.client_env(), QString{}, QProcess::ForwardedChannels,
                                            pipe_ends[1]);
    close(pipe_ends[1]);
    reader_ = std::thread([this] { read_until_end(); });

    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!flowing_.load()) {
        if (Clock::now() > deadline)
            give_up("parec recorded nothing from the sink's monitor");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

MonitorRecording::~MonitorRecording()
{
    stop();
}

void MonitorRecording::stop()
{
    parec_.reset();
    if (reader_.joinable())
        reader_.join();
    if (from_parec_ >= 0)
        close(from_parec_);
    from_parec_ = -1;
}

void MonitorRecording::read_until_end()
{
    std::vector<unsigned char> bytes;
    unsigned char buffer[16384];
    for (;;) {
        const ssize_t n = read(from_parec_, buffer, sizeof buffer);
        const auto arrived = Clock::now();
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
        const std::size_t frames = bytes.size() / bytes_per_frame;
        if (frames > 0)
            timeline_.add(frames, arrived);
        flowing_.store(frames > 0);
    }
    const std::size_t frames = bytes.size() / bytes_per_frame;
    left_.resize(frames);
    right_.resize(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const unsigned char* const frame = &bytes[i * bytes_per_frame];
        left_[i] = static_cast<std::int16_t>(frame[0] | frame[1] << 8);
        right_[i] = static_cast<std::int16_t>(frame[2] | frame[3] << 8);
    }
}
