#include "app/quillmarsh_document.h"

namespace qm::app {

CQuillmarshDoc::CQuillmarshDoc(settings::AppSettings& settings, project::MessageReporter& messages, QObject* parent)
    : QObject(parent), m_session(settings, messages)
{
    m_session.addObserver(*this);
    connect(&m_logTimer, &QTimer::timeout, this, &CQuillmarshDoc::pollLog);
    connect(&m_progressTimer, &QTimer::timeout, this, &CQuillmarshDoc::pollProgress);
    m_logTimer.start(kLogInterval);
    m_progressTimer.start(kProgressInterval);
}

CQuillmarshDoc::~CQuillmarshDoc()
{
    m_logTimer.stop();
    m_progressTimer.stop();
    m_session.removeObserver(*this);
}

void CQuillmarshDoc::pollLog()
{
    const std::vector<std::string> lines = m_session.log().takeLines();
    if (!lines.empty()) {
        QString text;
        for (const std::string& line : lines) {
            text += QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
            text += QLatin1Char('\n');
        }
        emit logText(text);
    }
    // A run's end is seen here, after its last lines went to the pane.
    if (m_session.pollRunFinished()) {
        pollProgress();
        emit runStateChanged();
    }
}

void CQuillmarshDoc::pollProgress()
{
    if (const std::optional<int> position = m_session.pollProgress()) {
        emit progressChanged(*position);
    }
}

void CQuillmarshDoc::runStarting()
{
    // The pane starts empty for every run: what was written before is dropped with it.
    m_session.log().takeLines();
    emit logCleared();
    emit runStateChanged();
}

void CQuillmarshDoc::runFinished(const model::SymbolEntry&)
{
}

void CQuillmarshDoc::resultReplaced(const model::SymbolEntry&)
{
}

void CQuillmarshDoc::resultCleared()
{
    m_session.log().takeLines();
    emit logCleared();
}

}  // namespace qm::app
