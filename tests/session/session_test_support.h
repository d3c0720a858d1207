// What the session tests share: settings whose option files live in a scratch folder, source
// files written there, and a wait for the end of a run that polls as the window's timer does.
#pragma once

#include "project/message_reporter.h"
#include "session/session.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>

namespace qm::session::testing {

namespace fs = std::filesystem;

// A scratch folder named after the running test, removed at the end.
class ScratchFolder {
public:
    ScratchFolder()
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = fs::temp_directory_path() /
                 ("qm-session-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" + test->name());
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~ScratchFolder() { fs::remove_all(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    std::string write(const std::string& name, const std::string& text) const
    {
        fs::create_directories((m_path / name).parent_path());
        std::ofstream(m_path / name, std::ios::binary) << text;
        return file(name);
    }

private:
    fs::path m_path;
};

// Settings that read and write their option files in `folder`.
struct TestSettings {
    explicit TestSettings(const ScratchFolder& folder)
        : settings(store, messages,
                   settings::OptionFilePaths{folder.path() / "predefined.ini", folder.path() / "Include.ini"})
    {
    }
    settings::MemorySettingsStore store;
    project::RecordingReporter messages;
    settings::AppSettings settings;
};

// Polls the session as the window's timer does until the run it started has ended and been
// reported; false when that takes longer than a minute.
inline bool waitForRunEnd(Session& session)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        if (session.pollRunFinished()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// A source of `functions` small functions, so that a run over many of them takes a while.
inline std::string manyFunctions(int functions, const std::string& prefix)
{
    std::string text;
    for (int i = 0; i < functions; ++i) {
        const std::string n = prefix + std::to_string(i);
        text += "int " + n + "(int a) { int s = 0; for (int k = 0; k < a; ++k) { if (k % 3) s += k; else s -= 1; } return s; }\n";
    }
    return text;
}

}  // namespace qm::session::testing
