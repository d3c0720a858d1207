#include "app/control_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

namespace qm::app {

namespace {

QPushButton* button(const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QCheckBox* check(const QString& caption, QWidget* parent)
{
    auto* c = new QCheckBox(caption, parent);
    c->setFocusPolicy(Qt::TabFocus);
    return c;
}

}  // namespace

ControlBar::ControlBar(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(4);
    draw = button(QStringLiteral("Draw"), this);
    stop = button(QStringLiteral("Stop"), this);
    fold = button(QStringLiteral("Fold"), this);
    unfold = button(QStringLiteral("Unfold"), this);
    autoSort = check(QStringLiteral("Auto Sort"), this);
    sort = button(QStringLiteral("Sort"), this);
    code = check(QStringLiteral("Code"), this);
    for (QWidget* w : std::initializer_list<QWidget*>{draw, stop, fold, unfold, autoSort, sort, code}) {
        row->addWidget(w);
    }
    // The four switches in two rows, so the bar stays one button high.
    auto* switches = new QWidget(this);
    auto* grid = new QGridLayout(switches);
    grid->setContentsMargins(6, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    showVcHeader = check(QStringLiteral("Show VC Header"), switches);
    fileName = check(QStringLiteral("Filename"), switches);
    autoResize = check(QStringLiteral("Auto Resize"), switches);
    parseVcHeader = check(QStringLiteral("Parsing VC Header"), switches);
    grid->addWidget(showVcHeader, 0, 0);
    grid->addWidget(fileName, 1, 0);
    grid->addWidget(autoResize, 0, 1);
    grid->addWidget(parseVcHeader, 1, 1);
    row->addWidget(switches);
    row->addStretch(1);
    m_lastLeftControl = switches;

    // Placed by hand against the right edge (see placeRightControls).
    flowWider = button(QStringLiteral("<<"), this);
    flowNarrower = button(QStringLiteral(">>"), this);
    oneTwo = button(QStringLiteral("1:2"), this);
    half = button(QStringLiteral("|"), this);
    twoOne = button(QStringLiteral("2:1"), this);
    fit = button(QStringLiteral("Fit"), this);
    flowWider->setToolTip(QStringLiteral("Flow view wider (Ctrl+Left)"));
    flowNarrower->setToolTip(QStringLiteral("Flow view narrower (Ctrl+Right)"));
    oneTwo->setToolTip(QStringLiteral("Flow view two thirds of the width (Ctrl+7)"));
    half->setToolTip(QStringLiteral("Flow view half of the width (Ctrl+8)"));
    half->setAccessibleName(QStringLiteral("|"));
    twoOne->setToolTip(QStringLiteral("Flow view one third of the width (Ctrl+9)"));
    fit->setToolTip(QStringLiteral("Flow view as wide as its picture (Ctrl+5)"));
    scaleList = new QComboBox(this);
    scaleList->addItems({QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("16")});
    scaleList->setCurrentIndex(1);
    scaleList->setToolTip(QStringLiteral("Scale of the flowchart"));
    scaleList->setAccessibleName(QStringLiteral("Scale"));
    scaleList->setObjectName(QStringLiteral("Scale"));
    scaleList->setFocusPolicy(Qt::TabFocus);
}

int ControlBar::leftControlsEnd() const
{
    return m_lastLeftControl ? m_lastLeftControl->geometry().right() + 1 : 0;
}

void ControlBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeRightControls();
}

void ControlBar::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    placeRightControls();
}

void ControlBar::placeRightControls()
{
    const int barWidth = width();
    if (barWidth < kMinimumLayoutWidth) {
        return;
    }
    if (QLayout* l = layout()) {
        l->activate();  // the left-hand controls' places, which the right ones must not reach
    }
    const int limit = leftControlsEnd();
    const int top = 1;
    const int height = std::max(1, this->height() - 2);
    // From the right edge leftwards: ">>" ends one pixel before it.
    int right = barWidth - 1;
    const std::array<QWidget*, 7> order{flowNarrower, flowWider, twoOne, half, oneTwo, fit, scaleList};
    for (QWidget* control : order) {
        const int w = control == scaleList ? kScaleListWidth : kButtonWidth;
        const int left = right - w;
        if (left < limit) {
            control->hide();
        } else {
            control->setGeometry(left, top, w, height);
            control->show();
        }
        right = left - kGap;
    }
}

}  // namespace qm::app
