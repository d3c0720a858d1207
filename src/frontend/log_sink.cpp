#include "frontend/log_sink.h"

namespace qm::frontend {

void LogSink::writeLine(std::string_view line)
{
    std::lock_guard lock(m_mutex);
    m_lines.emplace_back(line);
    if (m_echo) {
        m_echo(line);
    }
}

std::vector<std::string> LogSink::takeLines()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> lines;
    lines.swap(m_lines);
    return lines;
}

std::string LogSink::text() const
{
    std::lock_guard lock(m_mutex);
    std::string out;
    for (const auto& line : m_lines) {
        out += line;
        out += '\n';
    }
    return out;
}

std::size_t LogSink::lineCount() const
{
    std::lock_guard lock(m_mutex);
    return m_lines.size();
}

void HeldOutput::replay(const std::function<void(std::string_view)>& line,
                        const std::function<void(std::string_view)>& diagnostics) const
{
    std::size_t written = 0;
    for (const auto& [before, text] : this->diagnostics) {
        for (; written < before && written < lines.size(); ++written) line(lines[written]);
        diagnostics(text);
    }
    for (; written < lines.size(); ++written) line(lines[written]);
}

}  // namespace qm::frontend
