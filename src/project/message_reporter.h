// MessageReporter: where the project document sends the messages the desktop program shows in a
// message box ("Project Saved.", "Project File Open Error.", ...). The window shows a box, the
// command-line program writes a line to standard error, tests record them.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace qm::project {

class MessageReporter {
public:
    virtual ~MessageReporter() = default;
    virtual void show(std::string_view message) = 0;
};

// Writes each message as one line to a stream.
class StreamReporter : public MessageReporter {
public:
    explicit StreamReporter(std::ostream& out) : m_out(out) {}
    void show(std::string_view message) override { m_out << message << '\n'; }

private:
    std::ostream& m_out;
};

// Keeps the messages in order.
class RecordingReporter : public MessageReporter {
public:
    void show(std::string_view message) override { messages.emplace_back(message); }
    std::vector<std::string> messages;
};

}  // namespace qm::project
