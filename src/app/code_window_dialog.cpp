#include "app/code_window_dialog.h"

#include "app/code_wnd.h"
#include "app/editor_launcher.h"

#include <QFile>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>

namespace qm::app {

namespace {

// The file's bytes, or nothing when it cannot be read, is empty or is too large.
std::optional<std::string> readShownFile(const std::string& path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<std::uint64_t>(size) > limit) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) return std::nullopt;
    return bytes;
}

}  // namespace

CodeWindowDialog::CodeWindowDialog(settings::AppSettings& settings, std::function<void(const QString&)> showMessage,
                                   QWidget* parent)
    : QWidget(parent, Qt::Tool), m_settings(settings), m_showMessage(std::move(showMessage))
{
    setObjectName(QStringLiteral("Code Window"));
    setAccessibleName(QStringLiteral("Code Window"));
    setWindowTitle(QString());
    resize(760, 400);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text = new CCodeWnd(this);
    layout->addWidget(m_text);
    connect(m_text, &CCodeWnd::editRequested, this, &CodeWindowDialog::launchEditor);
    applySettings();
}

bool CodeWindowDialog::openFile(const std::string& path)
{
    if (path == m_path) {
        return false;
    }
    m_path = path;
    setWindowTitle(QFile::decodeName(path.c_str()));
    std::optional<std::string> bytes = readShownFile(path, kMaxFileBytes);
    if (!bytes) {
        return false;
    }
    bytes->erase(std::remove(bytes->begin(), bytes->end(), '\r'), bytes->end());
    m_text->setText(*bytes);
    return true;
}

void CodeWindowDialog::selectLines(int first, int last, bool keepView)
{
    m_text->selectLines(first, last, keepView);
}

void CodeWindowDialog::clear(bool withTitle)
{
    m_text->setText(" ");
    m_path.clear();
    if (withTitle) {
        setWindowTitle(QString());
    }
}

void CodeWindowDialog::setCodeFont(const std::string& face, int tenthsOfPoint)
{
    m_text->setCodeFont(face, tenthsOfPoint);
    m_settings.values.codeFontName = face;
    m_settings.values.codeFontSize = tenthsOfPoint;
}

void CodeWindowDialog::applySettings()
{
    m_text->setCodeFont(m_settings.values.codeFontName, m_settings.values.codeFontSize);
    m_text->setEditButtonWanted(m_settings.values.codeEditButtonShow);
}

void CodeWindowDialog::launchEditor()
{
    if (m_path.empty()) {
        return;
    }
    const QString failure = app::launchEditor(QString::fromStdString(m_settings.values.codeEditProgram),
                                              QFile::decodeName(m_path.c_str()));
    if (!failure.isEmpty() && m_showMessage) {
        m_showMessage(failure);
    }
}

}  // namespace qm::app
