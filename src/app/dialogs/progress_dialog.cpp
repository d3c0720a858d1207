#include "app/dialogs/progress_dialog.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace qm::app {

CDialogProgress::CDialogProgress(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Loading Progress"));
    setAccessibleName(QStringLiteral("Loading Progress"));
    setWindowTitle(QStringLiteral("Loading Progress"));
    auto* column = new QVBoxLayout(this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(260);
    m_bar->setAccessibleName(QStringLiteral("Loading Progress"));
    column->addWidget(m_bar);
}

void CDialogProgress::setPosition(int position)
{
    m_positions.push_back(position);
    m_bar->setValue(position);
    if (isVisible()) {
        repaint();
    }
}

}  // namespace qm::app
