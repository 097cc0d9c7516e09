#pragma once

#include "sound_server.h"
#include "recording_analysis.h"
#include "child_process.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

// What the bench sink plays, recorded from its monitor by parec while this
// lives, 16-bit stereo at the sink's rate, with when each piece arrived.
// While it records, the sink cannot suspend.
class MonitorRecording {
public:
    using Clock = ArrivalTimeline::Clock;
    static constexpr int rate = SoundServer::sink_rate;

    // Returns once sound arrives: a null sink can take two seconds to start.
    explicit MonitorRecording(const SoundServer& server);
    ~MonitorRecording();
    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;

    // Ends the recording; what it holds is read after this.
    void stop();
    const std::vector<std::int16_t>& left() const { return left_; }
    const std::vector<std::int16_t>& right() const { return right_; }
    const ArrivalTimeline& timeline() const { return timeline_; }

private:
    void read_until_end();

    int from_parec_ = -1;
    std::unique_ptr<ChildProcess> parec_;
    std::thread reader_;
    std::atomic<bool> flowing_{false};
    std::vector<std::int16_t> left_;
    std::vector<std::int16_t> right_;
    ArrivalTimeline timeline_{rate};
};
