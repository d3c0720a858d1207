#include "frontend/log_sink.h"

#include <gtest/gtest.h>

#include <thread>

namespace qm::frontend {
namespace {

TEST(LogSink, KeepsLinesInOrderAcrossThreadsAndEchoes)
{
    std::vector<std::string> echoed;
    std::mutex echoMutex;
    LogSink sink([&](std::string_view line) {
        std::lock_guard lock(echoMutex);
        echoed.emplace_back(line);
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&sink, t] {
            for (int i = 0; i < 500; ++i) sink.writeLine(std::to_string(t) + ":" + std::to_string(i));
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(sink.text().size() > 0, true);
    const auto lines = sink.takeLines();
    ASSERT_EQ(lines.size(), 2000u);
    EXPECT_EQ(echoed, lines);
    // Each writer's lines keep their order.
    std::vector<int> next(4, 0);
    for (const auto& line : lines) {
        const int t = line[0] - '0';
        EXPECT_EQ(line.substr(2), std::to_string(next[t]++));
    }
    EXPECT_TRUE(sink.takeLines().empty());
    EXPECT_EQ(sink.text(), "");
}

}  // namespace
}  // namespace qm::frontend
