// ControlBar: the contents of the dialog bar along the top of the main window — "Draw", "Stop",
// "Fold", "Unfold", "Auto Sort", "Sort", "Code" and the check boxes "Show VC Header",
// "Filename", "Auto Resize" and "Parsing VC Header" from the left; the flow-view controls "Fit",
// "1:2", "|", "2:1", "<<", ">>" and the scale list right-aligned. A right-aligned control that
// would reach into the left-hand controls is hidden. The main frame connects the controls to
// its commands.
#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace qm::app {

class ControlBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kButtonWidth = 32;
    static constexpr int kScaleListWidth = 42;
    static constexpr int kGap = 2;
    // Below this width the right-aligned controls are not placed again.
    static constexpr int kMinimumLayoutWidth = 46;

    explicit ControlBar(QWidget* parent = nullptr);

    QPushButton* draw;
    QPushButton* stop;
    QPushButton* fold;
    QPushButton* unfold;
    QCheckBox* autoSort;
    QPushButton* sort;
    QCheckBox* code;
    QCheckBox* showVcHeader;
    QCheckBox* fileName;
    QCheckBox* autoResize;
    QCheckBox* parseVcHeader;

    QPushButton* flowWider;     // "<<"
    QPushButton* flowNarrower;  // ">>"
    QPushButton* oneTwo;        // "1:2"
    QPushButton* half;          // "|"
    QPushButton* twoOne;        // "2:1"
    QPushButton* fit;           // "Fit"
    QComboBox* scaleList;       // "1", "4", "16"

    // The right edge of the last left-hand control: no right-aligned control may start before it.
    int leftControlsEnd() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void placeRightControls();
    QWidget* m_lastLeftControl = nullptr;
};

}  // namespace qm::app
