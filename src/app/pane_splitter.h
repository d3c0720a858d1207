// PaneSplitter: a splitter of two panes that keeps the size of its second pane (the log below,
// the flow view on the right) rather than of its first, in one of three modes: 0 the second pane
// fills the splitter, 1 the second pane has the fixed size secondSize(), 2 the first pane fills
// the splitter. Resizing keeps the mode; dragging the bar sets the second pane's size and turns
// a pane that comes back into view into mode 1.
#pragma once

#include <QSplitter>

namespace qm::app {

class PaneSplitter : public QSplitter {
    Q_OBJECT

public:
    static constexpr int kDefaultSecondSize = 150;

    explicit PaneSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    int mode() const noexcept { return m_mode; }
    int secondSize() const noexcept { return m_secondSize; }
    // A mode other than 0 or 1 counts as 2; a negative size as 0. The panes follow at once.
    void setMode(int mode);
    void setSecondSize(int size);
    void setModeAndSize(int mode, int size);

    // The pane commands: "U"/"<<" make the second pane larger (mode 1 becomes 0, 2 becomes 1),
    // "D"/">>" smaller (0 becomes 1, 1 becomes 2).
    void growSecond();
    void shrinkSecond();
    // Mode 1 with the second pane at `numerator`/`denominator` of the splitter's extent.
    void setSecondFraction(int numerator, int denominator);
    // "Fit": the second pane gets `preferred` pixels; a splitter narrower than that gives the
    // second pane everything, and a preferred size of 0 hides the second pane.
    void fitSecond(int preferred);

    // The splitter's length along its orientation, the bar not counted.
    int extent() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyMode();
    void takeDraggedSizes();

    int m_mode = 1;
    int m_secondSize = kDefaultSecondSize;
    bool m_applying = false;
};

}  // namespace qm::app
