// CInfoView: the log pane below the diagrams. A read-only text in which the messages of imports,
// commands and analysis runs appear. New text goes in at the caret, replacing a selection; while
// a run is active clicks are ignored, so the caret stays where the run's lines go.
#pragma once

#include <QPlainTextEdit>

#include <functional>

namespace qm::app {

class CInfoView : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CInfoView(QWidget* parent = nullptr);

    // Inserts `text` at the caret as it is; callers end their lines themselves.
    void appendLog(const QString& text);
    // Empties the pane.
    void clearLog();

    // Asked at every click: while it answers true, clicks are ignored.
    void setRunActiveQuery(std::function<bool()> query) { m_runActive = std::move(query); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool runActive() const { return m_runActive && m_runActive(); }

    std::function<bool()> m_runActive;
};

}  // namespace qm::app
