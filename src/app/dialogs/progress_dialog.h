// CDialogProgress: the "Loading Progress" dialog — one progress bar, no buttons — that a dialog
// shows while it fills long lists. The owner sets the position as it goes; every step is painted
// at once, since the owner keeps the event loop busy meanwhile.
#pragma once

#include <QDialog>

class QProgressBar;

namespace qm::app {

class CDialogProgress : public QDialog {
    Q_OBJECT

public:
    explicit CDialogProgress(QWidget* parent = nullptr);

    QProgressBar* bar() const noexcept { return m_bar; }
    // Moves the bar to `position` (0 to 100) and paints it.
    void setPosition(int position);
    // Every position given, in order (for the owner's tests).
    const QList<int>& positions() const noexcept { return m_positions; }

private:
    QProgressBar* m_bar;
    QList<int> m_positions;
};

}  // namespace qm::app
