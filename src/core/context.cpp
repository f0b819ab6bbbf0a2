#include "core/context.h"

namespace klt {

void CommandContext::information(const std::string& text, const std::string& caption)
{
    if (held_) {
        held_->emplace_back(text, caption);
        return;
    }
    showInformation(text, caption);
}

BusyScope::~BusyScope()
{
    if (endsProgress_) ctx_.progressEnd();
    if (started_) --ctx_.busyDepth_;
    if (ctx_.busyDepth_ > 0) return; // the outer command still runs
    ctx_.stopped_ = true;
    ctx_.busyChanged(false);
}

void BusyScope::start()
{
    if (started_) return;
    started_ = true;
    if (ctx_.busyDepth_++ > 0) return;
    ctx_.stopped_ = false;
    ctx_.busyChanged(true);
}

MessageHold::MessageHold(CommandContext& ctx) : ctx_(ctx), outer_(ctx.held_)
{
    ctx_.held_ = &held_;
}

MessageHold::~MessageHold()
{
    ctx_.held_ = outer_;
}

void MessageHold::release()
{
    auto messages = std::move(held_);
    held_.clear();
    ctx_.held_ = outer_;
    for (const auto& [text, caption] : messages) ctx_.information(text, caption);
    ctx_.held_ = &held_;
}

} // namespace klt
