#include "media/output_rules.h"

namespace media {

void OutputRules::opened(bool ok, Clock::time_point now)
{
    output_ = ok ? Output::open : Output::missing;
    opened_at_ = now;
    quiet_from_ = std::max(quiet_from_, now);
    check_at_ = now + retry_every;
    try_again_at_ = now + retry_every;
}

OutputRules::Step OutputRules::decide(Clock::time_point now, const Signs& signs)
{
    if (output_ != Output::open)
        return output_ == Output::untried || (ready_ && now >= try_again_at_) ? Step::open : Step::wait;
    if (!ready_)
        return now >= quiet_from_ + quiet_before_letting_go ? Step::close : Step::wait;
    if (now >= check_at_)
        check_at_ = now + retry_every;
    const bool stalled =
        signs.mixed_at && now - opened_at_ >= settling && now - *signs.mixed_at > longest_pause_in_mixing;
    return signs.removed || stalled ? Step::close : Step::wait;
}

OutputRules::Clock::time_point OutputRules::wake_at() const
{
    if (output_ != Output::open)
        return ready_ ? try_again_at_ : Clock::time_point::max();
    return ready_ ? check_at_ : quiet_from_ + quiet_before_letting_go;
}

} // namespace media
