#include "app/user_prompts.h"

#include "app/dialogs/input_name_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>

#include <iostream>

namespace qm::app {

namespace {

const QString kTitle = QStringLiteral("Quillmarsh");

}  // namespace

QWidget* DialogPrompts::parentWidget() const
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return m_parent;
}

void DialogPrompts::message(const QString& text)
{
    QMessageBox box(QMessageBox::Information, kTitle, text, QMessageBox::Ok, parentWidget());
    box.exec();
}

SaveChoice DialogPrompts::askSaveChanges(const QString& name)
{
    const QMessageBox::StandardButton answer =
        QMessageBox::question(parentWidget(), kTitle, QStringLiteral("Save changes to %1?").arg(name),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) return SaveChoice::Save;
    if (answer == QMessageBox::No) return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

bool DialogPrompts::askYesNo(const QString& text)
{
    return QMessageBox::question(parentWidget(), kTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

QString DialogPrompts::openFileName(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parentWidget(), caption, folder, filter);
}

QStringList DialogPrompts::openFileNames(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileNames(parentWidget(), caption, folder, filter);
}

QString DialogPrompts::saveFileName(const QString& caption, const QString& suggested, const QString& filter)
{
    QFileDialog dialog(parentWidget(), caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("qmp"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

bool DialogPrompts::askOkCancel(const QString& text)
{
    return QMessageBox::question(parentWidget(), kTitle, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Ok;
}

QString DialogPrompts::folder(const QString& caption, const QString& start)
{
    return QFileDialog::getExistingDirectory(parentWidget(), caption, start, QFileDialog::ShowDirsOnly);
}

FolderChoice DialogPrompts::folderWithRecurse(const QString& caption, const QString& start)
{
    // Qt's own dialog, since a check box can only be added to that one.
    QFileDialog dialog(parentWidget(), caption, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    FolderChoice choice;
    QCheckBox* recurse = nullptr;
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        recurse = new QCheckBox(QStringLiteral("Recurse subdirectories"), &dialog);
        grid->addWidget(recurse, grid->rowCount(), 0, 1, grid->columnCount());
    } else {
        choice.checkBoxMissing = true;
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return FolderChoice{};
    }
    choice.folder = dialog.selectedFiles().front();
    choice.recurse = recurse && recurse->isChecked();
    return choice;
}

QColor DialogPrompts::color(const QColor& initial)
{
    return QColorDialog::getColor(initial, parentWidget());
}

QString DialogPrompts::inputName()
{
    CDialogGetString dialog(*this, parentWidget());
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.text();
}

void DeclinedPrompts::message(const QString& text)
{
    std::cerr << m_prefix << "message: " << text.toStdString() << '\n';
}

}  // namespace qm::app
