#include "app/user_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace qm::app {

namespace {

const QString kTitle = QStringLiteral("Quillmarsh");

}  // namespace

void DialogPrompts::message(const QString& text)
{
    QMessageBox box(QMessageBox::Information, kTitle, text, QMessageBox::Ok, m_parent);
    box.exec();
}

SaveChoice DialogPrompts::askSaveChanges(const QString& name)
{
    const QMessageBox::StandardButton answer =
        QMessageBox::question(m_parent, kTitle, QStringLiteral("Save changes to %1?").arg(name),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) return SaveChoice::Save;
    if (answer == QMessageBox::No) return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

bool DialogPrompts::askYesNo(const QString& text)
{
    return QMessageBox::question(m_parent, kTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

QString DialogPrompts::openFileName(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_parent, caption, folder, filter);
}

QStringList DialogPrompts::openFileNames(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileNames(m_parent, caption, folder, filter);
}

QString DialogPrompts::saveFileName(const QString& caption, const QString& suggested, const QString& filter)
{
    QFileDialog dialog(m_parent, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("qmp"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

}  // namespace qm::app
