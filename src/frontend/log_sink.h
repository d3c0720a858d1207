// LogSink: where the analysis writes its log lines. Any thread may write; the reader (the
// desktop program's log pane timer, or the command-line program) takes the text in order.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::frontend {

class LogSink {
public:
    // Called for every line as it is written, on the writing thread (the command-line program
    // echoes lines to standard error this way). May be empty.
    using Echo = std::function<void(std::string_view line)>;

    LogSink() = default;
    explicit LogSink(Echo echo) : m_echo(std::move(echo)) {}

    // Appends one line (without its line feed).
    void writeLine(std::string_view line);

    // Takes every line written since the last call, in order.
    std::vector<std::string> takeLines();

    // Every line written so far that was not taken, joined with line feeds (each line ends with
    // one); the lines stay in the sink.
    std::string text() const;

    // How many lines were written and not taken.
    std::size_t lineCount() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    Echo m_echo;
};

// The output of one file held back to be written later in the order it was written: log lines,
// and unknown-character messages (which go to standard error, not to the log) between them.
struct HeldOutput {
    std::vector<std::string> lines;
    // Each message with the number of lines written before it.
    std::vector<std::pair<std::size_t, std::string>> diagnostics;

    // Hands every line to `line` and every message to `diagnostics`, in the order written.
    void replay(const std::function<void(std::string_view)>& line,
                const std::function<void(std::string_view)>& diagnostics) const;
};

}  // namespace qm::frontend
