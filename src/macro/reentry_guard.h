// ReentryGuard: sets a flag for the lifetime of a scope and clears it at the end, exceptions
// included. The views use it for the flag that says a draw is in progress, so that a redraw asked
// for from inside a draw returns at once.
#pragma once

namespace qm::macro {

class ReentryGuard {
public:
    explicit ReentryGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ReentryGuard() { m_flag = false; }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

private:
    bool& m_flag;
};

}  // namespace qm::macro
