#include "app/dialogs/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QStyle>
#include <QHBoxLayout>
#include <QVBoxLayout>

#ifndef QM_CLI11_VERSION
#define QM_CLI11_VERSION "unknown"
#endif
#ifndef QM_JSON_VERSION
#define QM_JSON_VERSION "unknown"
#endif

namespace qm::app {

QString CAboutDialog::text()
{
    return QStringLiteral(
               "Quillmarsh %1\n\n"
               "Draws pictures of C and C++ source code: the whole program as nested boxes, the flowchart "
               "of a function and the class diagram of a class.\n\n"
               "Built with:\n"
               "  Qt %2 (running with %3): Core, Gui, Widgets, SVG, Print Support\n"
               "  the C++ standard library (C++20)\n"
               "The command-line program quillmarsh-cli also uses:\n"
               "  CLI11 %4\n"
               "  JSON for Modern C++ %5")
        .arg(QStringLiteral(QM_VERSION), QStringLiteral(QT_VERSION_STR), QString::fromLatin1(qVersion()),
             QStringLiteral(QM_CLI11_VERSION), QStringLiteral(QM_JSON_VERSION));
}

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("About Quillmarsh"));
    setAccessibleName(QStringLiteral("About Quillmarsh"));
    setWindowTitle(QStringLiteral("About Quillmarsh"));
    auto* column = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    auto* label = new QLabel(text(), this);
    label->setObjectName(QStringLiteral("About Text"));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(icon);
    row->addWidget(label, 1);
    column->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addWidget(buttons);
}

}  // namespace qm::app
