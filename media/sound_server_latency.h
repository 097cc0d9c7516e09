#pragma once

namespace media {

// Where PulseAudio's client library takes a stream's target latency from.
inline constexpr char pulseaudio_latency_variable[] = "PULSE_LATENCY_MSEC";

// SDL's PulseAudio output asks the server to hold no more than the buffer it
// mixes, and the small buffer that lets a hit be heard soon then runs dry on a
// busy machine. The client library takes a target from the environment
// instead, as an output opens: the buffer stays small, the server holds a few
// milliseconds more. A player's own setting is kept. To be called before any
// thread starts, as changing the environment is not safe beside them.
void set_sound_server_latency();

} // namespace media
