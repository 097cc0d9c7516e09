// Sound outputs compared in rounds like a player's, in turn, in one run:
// through a private PulseAudio null sink, then a private PipeWire's with SDL's
// own pipewire driver, the sink's monitor recorded. Each round opens a new
// output, as a new game would, and plays 40 hits 250 to 270 ms apart at
// random, on the right channel, beside a steady 441 Hz tone on the left. Per
// round: play -> the hit's first sample, and of that the wait for SDL to mix
// it; the hits' sound lost (milliseconds silent where a hit should sound,
// a hit cut short included); and the silent gaps in the tone, a dropout
// anywhere. With "busy", a loop on each core throughout. Prints figures;
// never judges them. Needs the packages sound_server.h names; run from the
// folder holding sh-hit1.wav.
//   zumbrel_audio_buffer_bench [rounds] [quiet|busy] [SET-UP ...]
// A set-up is "game", the game's output as the program opens it, or
// FRAMES[@RATE], with +pulse=MS for PulseAudio asked to hold that much and
// +raised for the mixing thread raised as the game raises it; "game+plain" is
// the game's output with its mixing thread left as it is; 441@44100 is the
// game's old output.
#include "monitor_recording.h"
#include "recording_analysis.h"
#include "sound_server.h"
#include "summary.h"
#include "child_process.h"
#include "media/sound_backend.h"
#include "media/sound_output.h"
#include "wav_reader.h"

#include <SDL_mixer.h>

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr int sink_rate = SoundServer::sink_rate;
constexpr int hits_per_round = 40;
constexpr auto hit_period = milliseconds(250);
constexpr int jitter_ms = 20;
constexpr double tone_hz = 441;
constexpr double tone_level = 6000;

struct SetUp {
    std::string name;
    media::OutputFormat format;
    // PULSE_LATENCY_MSEC, or none.
    std::string pulse_ms;
};

struct Round {
    std::vector<double> latencies; // ms
    std::vector<double> to_mixed;  // ms, of the same hits
    int unheard = 0;
    std::size_t lost_in_hits = 0; // frames
    Dropouts tone;
};

SetUp parse(const std::string& text)
{
    if (text.starts_with("game")) {
        media::set_sound_server_latency();
        return {text, {.raised = text != "game+plain"}, std::getenv(media::pulseaudio_latency_variable)};
    }
    const auto at = text.find('@');
    SetUp s{text, {at == std::string::npos ? sink_rate : std::atoi(text.c_str() + at + 1), std::atoi(text.c_str()),
                   text.find("+raised") != std::string::npos},
            {}};
    if (const auto pulse = text.find("+pulse="); pulse != std::string::npos)
        s.pulse_ms = std::to_string(std::atoi(text.c_str() + pulse + 7));
    return s;
}

// Runs on each mixed buffer: the left channel becomes the tone, and a buffer
// in which the hit begins after silence is SDL's part of the wait done.
struct Tone {
    int rate = 0;
    double phase = 0;
    bool right_was_silent = true;
    std::vector<Clock::time_point> hits_mixed{};
};

void SDLCALL play_tone(void* user, Uint8* stream, int bytes)
{
    auto& tone = *static_cast<Tone*>(user);
    auto* const samples = reinterpret_cast<Sint16*>(stream);
    const double step = 2 * std::numbers::pi * tone_hz / tone.rate;
    bool right_silent = true;
    for (int frame = 0; frame < bytes / 4; ++frame) {
        samples[2 * frame] = static_cast<Sint16>(std::lround(tone_level * std::sin(tone.phase)));
        tone.phase = std::fmod(tone.phase + step, 2 * std::numbers::pi);
        right_silent = right_silent && samples[2 * frame + 1] == 0;
    }
    if (tone.right_was_silent && !right_silent && tone.hits_mixed.size() < tone.hits_mixed.capacity())
        tone.hits_mixed.push_back(Clock::now());
    tone.right_was_silent = right_silent;
}

Round play_round(const SoundServer& server, const SetUp& s, const std::vector<std::int16_t>& hit)
{
    if (s.pulse_ms.empty())
        unsetenv(media::pulseaudio_latency_variable);
    else
        setenv(media::pulseaudio_latency_variable, s.pulse_ms.c_str(), 1);
    media::SoundOutput output;
    output.start([format = s.format] { return media::make_sdl_backend(format); });
    output.open("sh-hit1.wav", "p1");
    output.keep_ready(true);
    if (!output.wait_for_output(true, std::chrono::seconds(10)))
        give_up("the output did not open");
    // A new stream's first second, while SDL and the server settle, is no round's.
    std::this_thread::sleep_for(std::chrono::seconds(1));

    MonitorRecording recording(server);
    Tone tone{s.format.rate};
    tone.hits_mixed.reserve(hits_per_round + 16);
    Mix_SetPostMix(play_tone, &tone);
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> extra(0, jitter_ms);
    std::vector<Clock::time_point> started;
    for (int hit = 0; hit < hits_per_round; ++hit) {
        std::this_thread::sleep_for(hit_period + milliseconds(extra(random)));
        started.push_back(Clock::now());
        output.play_from_start("p1");
    }
    std::this_thread::sleep_for(hit_period);
    Mix_SetPostMix(nullptr, nullptr);
    recording.stop();
    // Let go as a game lets it go, so that the next round's output is the only one.
    output.keep_ready(false);
    if (!output.wait_for_output(false, std::chrono::seconds(10)))
        give_up("the output was not let go");

    Round round{{}, {}, 0, 0, dropouts_in_tone(recording.left(), sink_rate, tone_hz)};
    for (const Clock::time_point t : started) {
        const auto latency = time_to_onset(recording.right(), recording.timeline(), t, hit_period, sink_rate);
        const auto mixed = std::lower_bound(tone.hits_mixed.begin(), tone.hits_mixed.end(), t);
        if (!latency || mixed == tone.hits_mixed.end()) {
            ++round.unheard;
            continue;
        }
        round.latencies.push_back(millis(*latency));
        round.to_mixed.push_back(millis(*mixed - t));
        const std::size_t at = recording.timeline().frame_at(t + *latency);
        if (const auto begins = onset(recording.right(), at > 240 ? at - 240 : 0, at + 240, sink_rate))
            round.lost_in_hits += silent_frames_inside(recording.right(), *begins, hit, sink_rate);
    }
    return round;
}

double ms_of(std::size_t frames)
{
    return 1000.0 * static_cast<double>(frames) / sink_rate;
}

std::string both(const std::vector<double>& ms)
{
    char text[40];
    std::snprintf(text, sizeof text, "%5.1f / %5.1f / %5.1f", median(ms), percentile(ms, 99),
                  ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()));
    return text;
}

void print_table(const std::vector<SetUp>& set_ups, const std::vector<std::vector<Round>>& rounds)
{
    std::printf("\n%-22s %-22s %-24s %-22s %8s %11s %15s\n", "set-up", "medians per round", "total: median/p99/max",
                "wait for mix", "unheard", "lost in hits", "tone gaps");
    for (std::size_t i = 0; i < set_ups.size(); ++i) {
        std::string medians;
        std::vector<double> all, mixed;
        int unheard = 0, gaps = 0;
        std::size_t lost = 0, gap_frames = 0;
        for (const Round& r : rounds[i]) {
            char m[16];
            std::snprintf(m, sizeof m, "%s%.1f", medians.empty() ? "" : ", ", median(r.latencies));
            medians += m;
            all.insert(all.end(), r.latencies.begin(), r.latencies.end());
            mixed.insert(mixed.end(), r.to_mixed.begin(), r.to_mixed.end());
            unheard += r.unheard;
            lost += r.lost_in_hits;
            gaps += r.tone.gaps;
            gap_frames += r.tone.silent_frames;
        }
        std::printf("%-22s %-22s %-24s %-22s %8d %8.1f ms %3d, %6.1f ms\n", set_ups[i].name.c_str(), medians.c_str(),
                    both(all).c_str(), both(mixed).c_str(), unheard, ms_of(lost), gaps, ms_of(gap_frames));
    }
    std::fflush(stdout);
}

std::vector<std::int16_t> hit_as_heard()
{
    QFile file("sh-hit1.wav");
    if (!file.open(QIODevice::ReadOnly))
        give_up("no sh-hit1.wav here");
    const WavFile wav = read_wav(file.readAll());
    if (!wav.problem.isEmpty() || wav.channels != 1)
        give_up("sh-hit1.wav is not the game's hit sound");
    return as_heard(wav.samples, static_cast<int>(wav.sample_rate), sink_rate);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const bool busy_machine = argc > 2 && std::string(argv[2]) == "busy";
    std::vector<SetUp> set_ups;
    for (int i = 3; i < argc; ++i)
        set_ups.push_back(parse(argv[i]));
    if (set_ups.empty())
        set_ups = {parse("game"), parse("441@44100")};
    const std::vector<std::int16_t> hit = hit_as_heard();

    for (const auto kind : {SoundServer::Kind::pulseaudio, SoundServer::Kind::pipewire}) {
        const SoundServer server(kind);
        const QProcessEnvironment client = server.client_env();
        for (const char* name : {"PULSE_SERVER", "XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR"})
            qputenv(name, client.value(name).toLocal8Bit());
        // The driver the game takes with each.
        setenv("SDL_AUDIODRIVER", kind == SoundServer::Kind::pipewire ? "pipewire" : "pulseaudio", 1);
        std::vector<std::unique_ptr<ChildProcess>> busy;
        for (unsigned core = 0; busy_machine && core < std::max(1u, std::thread::hardware_concurrency()); ++core)
            busy.push_back(std::make_unique<ChildProcess>(QStringList{"sh", "-c", "while :; do :; done"}));
        std::printf("== %s null sink at %.1f kHz%s: %zu busy loops; %d rounds of %d hits per set-up, in turn\n",
                    server.name(), sink_rate / 1000.0, SoundServer::realtime_servers() ? ", real-time" : "",
                    busy.size(), rounds, hits_per_round);
        // A server just started holds its first stream back for a second or more.
        play_round(server, set_ups.front(), hit);
        std::vector<std::vector<Round>> measured(set_ups.size());
        for (int round = 1; round <= rounds; ++round) {
            for (std::size_t i = 0; i < set_ups.size(); ++i) {
                const Round& r = measured[i].emplace_back(play_round(server, set_ups[i], hit));
                std::printf("round %d, %-20s median %5.1f ms, p99 %5.1f ms, %d unheard, %.1f ms lost in hits, "
                            "tone: %d gaps, %.1f ms\n",
                            round, set_ups[i].name.c_str(), median(r.latencies), percentile(r.latencies, 99),
                            r.unheard, ms_of(r.lost_in_hits), r.tone.gaps, ms_of(r.tone.silent_frames));
                std::fflush(stdout);
            }
        }
        busy.clear();
        print_table(set_ups, measured);
        std::printf("\n");
    }
}
