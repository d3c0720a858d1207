// CQuillmarshDoc: the desktop program's document. It owns the Session (project, engine, log,
// result, selection) and carries what the engine's thread produces to the window on the
// user-interface thread: every 50 ms it moves new log lines to the log pane and looks whether a
// run has ended; every 200 ms it gives the progress bar the run's percentage. No thread of its
// own: two timers.
#pragma once

#include "project/message_reporter.h"
#include "session/session.h"
#include "settings/app_settings.h"

#include <QObject>
#include <QTimer>

namespace qm::app {

class CQuillmarshDoc : public QObject, public session::SessionObserver {
    Q_OBJECT

public:
    static constexpr int kLogInterval = 50;        // ms between two looks at the log
    static constexpr int kProgressInterval = 200;  // ms between two looks at the progress

    CQuillmarshDoc(settings::AppSettings& settings, project::MessageReporter& messages, QObject* parent = nullptr);
    ~CQuillmarshDoc() override;

    session::Session& session() noexcept { return m_session; }
    const session::Session& session() const noexcept { return m_session; }

    // What the timers do, for a caller that cannot wait for them.
    void pollLog();
    void pollProgress();

    // --- SessionObserver --------------------------------------------------------------------
    void runStarting() override;
    void runFinished(const model::SymbolEntry& root) override;
    void resultCleared() override;
    // Files were removed: the log keeps what it shows.
    void resultReplaced(const model::SymbolEntry& root) override;

signals:
    // New log text, each line ended by a line feed.
    void logText(const QString& text);
    // The log pane is to be emptied (a run starts, or the project was reset).
    void logCleared();
    void progressChanged(int position);
    // A run started, was asked to stop or ended: the enabled states of the commands change.
    void runStateChanged();

private:
    session::Session m_session;
    QTimer m_logTimer;
    QTimer m_progressTimer;
};

}  // namespace qm::app
