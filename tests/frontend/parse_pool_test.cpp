// The parse pool: files come out in the order handed over, with the unknown-character messages
// held between their lines, and a commit that waits for all parses the files no worker took.
#include "frontend/parse_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

namespace qm::frontend {
namespace {

TEST(ParsePool, ACommitParsesWhatNoWorkerTookAndWritesEverythingInOrder)
{
    std::mutex mutex;
    std::vector<std::thread::id> parsedOn;
    const ParsePool::Parser parser = [&](model::SourceUnit& unit, const std::atomic<bool>&, LogSink& log) {
        log.writeLine("parsed " + unit.fileName);
        std::lock_guard lock(mutex);
        parsedOn.push_back(std::this_thread::get_id());
    };
    std::atomic<bool> stop{false};
    std::string diagnostics;
    ParsePool pool(1, parser, stop, [&diagnostics](std::string_view text) { diagnostics += "[" + std::string(text) + "]"; });

    // The only worker is kept busy until the commit is over.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> busy;
    pool.post([&busy, released] {
        busy.set_value();
        released.wait();
    });
    busy.get_future().wait();

    model::SourceUnit a;
    a.fileName = "a";
    auto included = std::make_unique<model::SourceUnit>();
    included->fileName = "a.h";
    a.includedUnits.push_back(std::move(included));
    model::SourceUnit b;
    b.fileName = "b";
    std::vector<bool> complete;
    pool.submit(a, HeldOutput{{"Parsing: a", "a note"}, {{1, "odd byte in a"}}}, [&](bool c) { complete.push_back(c); });
    pool.submit(b, HeldOutput{{"Parsing: b"}, {}}, [&](bool c) { complete.push_back(c); });

    std::vector<std::string> written;
    LogSink log([&](std::string_view line) {
        written.emplace_back(line);
        diagnostics += "<line>";
    });
    pool.commit(log, true);
    release.set_value();

    EXPECT_EQ(written, (std::vector<std::string>{"Parsing: a", "a note", "parsed a", "parsed a.h", "Parsing: b", "parsed b"}));
    EXPECT_EQ(diagnostics, "<line>[odd byte in a]<line><line><line><line><line>");
    EXPECT_EQ(complete, (std::vector<bool>{true, true}));
    ASSERT_EQ(parsedOn.size(), 3u);
    for (const auto& id : parsedOn) EXPECT_EQ(id, std::this_thread::get_id());
}

}  // namespace
}  // namespace qm::frontend
