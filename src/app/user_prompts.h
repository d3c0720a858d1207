// UserPrompts: every question the main window asks the user and every message it shows — message
// boxes and file dialogs. The program answers them with Qt's dialogs (DialogPrompts); tests
// answer them from a script, so that no modal dialog ever waits for a click that does not come.
#pragma once

#include "project/message_reporter.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>

class QWidget;

namespace qm::app {

enum class SaveChoice { Save, Discard, Cancel };

// The answer of the "Add Folder" browser.
struct FolderChoice {
    QString folder;               // empty when the user cancelled
    bool recurse = false;         // the "Recurse subdirectories" check box
    bool checkBoxMissing = false; // the check box could not be added to the browser
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message box with `text` and an OK button.
    virtual void message(const QString& text) = 0;
    // "Save changes to <name>?" with Yes, No and Cancel.
    virtual SaveChoice askSaveChanges(const QString& name) = 0;
    // A yes/no question; true for yes.
    virtual bool askYesNo(const QString& text) = 0;

    // File dialogs; an empty answer (or list) when the user cancelled. `filter` is Qt's filter
    // text ("Quill Marsh Project files(*.qmp)"), `folder` where the dialog starts.
    virtual QString openFileName(const QString& caption, const QString& folder, const QString& filter) = 0;
    virtual QStringList openFileNames(const QString& caption, const QString& folder, const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& suggested, const QString& filter) = 0;

    // --- the dialogs' own questions ---------------------------------------------------------
    // A question with OK and Cancel; true for OK.
    virtual bool askOkCancel(const QString& text) = 0;
    // A folder browser titled `caption` starting at `start`; empty when cancelled.
    virtual QString folder(const QString& caption, const QString& start) = 0;
    // The same with the check box "Recurse subdirectories", unchecked at first.
    virtual FolderChoice folderWithRecurse(const QString& caption, const QString& start) = 0;
    // The colour dialog, fully opened at `initial`; an invalid colour when cancelled.
    virtual QColor color(const QColor& initial) = 0;
    // The "Input Name" dialog; empty when cancelled (it does not close on an empty name).
    virtual QString inputName() = 0;
};

// The real dialogs, each modal over `parent` (which may change once the main window exists).
class DialogPrompts final : public UserPrompts {
public:
    explicit DialogPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) noexcept { m_parent = parent; }

    void message(const QString& text) override;
    SaveChoice askSaveChanges(const QString& name) override;
    bool askYesNo(const QString& text) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    QStringList openFileNames(const QString& caption, const QString& folder, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& suggested, const QString& filter) override;
    bool askOkCancel(const QString& text) override;
    QString folder(const QString& caption, const QString& start) override;
    FolderChoice folderWithRecurse(const QString& caption, const QString& start) override;
    QColor color(const QColor& initial) override;
    QString inputName() override;

private:
    // The window a box or dialog opens over: the modal dialog in front, else the main window.
    QWidget* parentWidget() const;

    QWidget* m_parent;
};

// Prompts that nobody answers, for programs that drive the window without a user (screenshots,
// benchmarks): every message goes to standard error after `prefix`, every question is declined,
// every dialog cancelled.
class DeclinedPrompts final : public UserPrompts {
public:
    explicit DeclinedPrompts(std::string prefix) : m_prefix(std::move(prefix)) {}

    void message(const QString& text) override;
    SaveChoice askSaveChanges(const QString&) override { return SaveChoice::Discard; }
    bool askYesNo(const QString&) override { return false; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QStringList openFileNames(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool askOkCancel(const QString&) override { return false; }
    QString folder(const QString&, const QString&) override { return {}; }
    FolderChoice folderWithRecurse(const QString&, const QString&) override { return {}; }
    QColor color(const QColor&) override { return {}; }
    QString inputName() override { return {}; }

private:
    std::string m_prefix;
};

// Shows the project's and the settings' messages through the prompts.
class PromptReporter final : public project::MessageReporter {
public:
    explicit PromptReporter(UserPrompts& prompts) : m_prompts(prompts) {}
    void show(std::string_view message) override
    {
        m_prompts.message(QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
    }

private:
    UserPrompts& m_prompts;
};

}  // namespace qm::app
