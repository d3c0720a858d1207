#include "app/qt_settings_store.h"

#include "frontend/atomic_file.h"
#include "frontend/option_files.h"
#include "model/error.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace qm::app {

namespace fs = std::filesystem;

namespace {

// The QSettings key of a value name: QSettings drops leading, trailing and doubled slashes, so
// the pending writes are keyed the same way. None when nothing is left.
std::optional<QString> settingsKey(const std::string& name)
{
    const QStringList parts = QString::fromStdString(name).split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty()) return std::nullopt;
    return parts.join(u'/');
}

std::optional<std::int64_t> parseDecimal(const std::string& text)
{
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// The bytes of the file at `path`, empty when there is none; none when something else is there
// or it cannot be read.
std::optional<std::string> readWholeFile(const fs::path& path)
{
    std::error_code ec;
    const fs::file_type type = fs::status(path, ec).type();
    if (type == fs::file_type::not_found) return std::string();
    if (type != fs::file_type::regular) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeWholeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

// Every value of `settings` by key, integers as the text they are written as.
QMap<QString, QVariant> allValues(QSettings& settings)
{
    QMap<QString, QVariant> values;
    for (const QString& key : settings.allKeys()) {
        QVariant value = settings.value(key);
        if (value.typeId() == QMetaType::LongLong) value = QString::number(value.toLongLong());
        values.insert(key, value);
    }
    return values;
}

std::optional<std::int64_t> modifiedMilliseconds(const fs::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

// QSettings keeps the files it has read in memory and reads one again only when its size or its
// modification time in milliseconds changed, so a file saved within the millisecond of the one
// it replaced, at the same size, would never be read. Dating the new file at least a millisecond
// later than the old one keeps every later QSettings on the path up to date.
void dateAfter(const fs::path& path, std::int64_t earlierMilliseconds)
{
    const std::optional<std::int64_t> now = modifiedMilliseconds(path);
    if (!now || *now > earlierMilliseconds) return;
    const std::int64_t later = earlierMilliseconds + 1;
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(later / 1000);
    times[1].tv_nsec = static_cast<long>(later % 1000) * 1000000;
    (void)::utimensat(AT_FDCWD, path.c_str(), times, 0);  // at worst the old trap stays
}

}  // namespace

QtSettingsStore::QtSettingsStore() : QtSettingsStore(frontend::configDirectory() / "Quillmarsh.ini") {}

QtSettingsStore::QtSettingsStore(fs::path path) : m_path(std::move(path)), m_qtPath(QFile::decodeName(m_path.c_str()))
{
}

QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::open()
{
    m_pending.clear();
    m_reader.reset();
    std::error_code ec;
    if (!fs::is_regular_file(m_path, ec)) return false;
    return reader().status() != QSettings::AccessError;
}

bool QtSettingsStore::exists()
{
    std::error_code ec;
    return fs::symlink_status(m_path, ec).type() != fs::file_type::not_found;
}

bool QtSettingsStore::create()
{
    m_pending.clear();
    std::error_code ec;
    if (!m_path.parent_path().empty()) {
        fs::create_directories(m_path.parent_path(), ec);
        if (ec) return false;
    }
    if (fs::is_directory(m_path, ec)) return false;
    QTemporaryFile probe(m_qtPath + QStringLiteral(".XXXXXX"));
    if (!probe.open()) return false;
    m_createRequested = true;
    return true;
}

std::optional<QVariant> QtSettingsStore::readValue(const std::string& name)
{
    const std::optional<QString> key = settingsKey(name);
    if (!key) return std::nullopt;
    if (const auto written = m_pending.find(*key); written != m_pending.end()) return written->second;
    QVariant value = reader().value(*key);
    if (!value.isValid()) return std::nullopt;
    return value;
}

std::optional<std::int64_t> QtSettingsStore::readInteger(const std::string& name)
{
    const std::optional<QVariant> value = readValue(name);
    if (!value) return std::nullopt;
    if (value->typeId() == QMetaType::LongLong) return value->toLongLong();
    if (value->typeId() != QMetaType::QString) return std::nullopt;
    return parseDecimal(value->toString().toStdString());
}

std::optional<std::string> QtSettingsStore::readText(const std::string& name)
{
    const std::optional<QVariant> value = readValue(name);
    if (!value) return std::nullopt;
    switch (value->typeId()) {
    case QMetaType::QString: return value->toString().toStdString();
    case QMetaType::LongLong: return std::to_string(value->toLongLong());
    case QMetaType::QStringList: return value->toStringList().join(u',').toStdString();
    case QMetaType::QByteArray: return value->toByteArray().toStdString();
    default: return std::nullopt;
    }
}

bool QtSettingsStore::writeInteger(const std::string& name, std::int64_t value)
{
    const std::optional<QString> key = settingsKey(name);
    if (!key) return false;
    m_pending[*key] = QVariant::fromValue<qlonglong>(value);
    return true;
}

bool QtSettingsStore::writeText(const std::string& name, const std::string& value)
{
    const std::optional<QString> key = settingsKey(name);
    if (!key) return false;
    const QString text = QString::fromStdString(value);
    if (text.toStdString() == value) {
        m_pending[*key] = text;
    } else {
        // Not UTF-8 (a file name may hold any bytes): QSettings keeps a byte array unchanged.
        m_pending[*key] = QByteArray::fromStdString(value);
    }
    return true;
}

bool QtSettingsStore::flush()
{
    std::error_code ec;
    const bool mustWrite = !m_pending.empty() || (m_createRequested && !fs::exists(m_path, ec));
    if (!mustWrite) return true;
    const bool saved = saveValues();
    m_pending.clear();
    m_createRequested = false;
    m_reader.reset();
    return saved;
}

// QSettings in Qt 6.4 writes through QSaveFile, whose commit() renames the temporary file over
// the target even when writing it failed (a full disk leaves a cut-off settings file). So
// QSettings only writes a draft in a scratch folder; the draft is read back under another name
// (a new name, so QSettings really parses it) and must hold every value, and only then are its
// bytes put in place with frontend::writeFileAtomically. A failed draft also keeps the pending
// values away from the real file's entry in QSettings' per-process cache, where a later QSettings
// on the same path would pick them up and write them out.
bool QtSettingsStore::saveValues()
{
    const std::optional<std::string> oldBytes = readWholeFile(m_path);
    if (!oldBytes) return false;
    std::string newBytes;
    if (!m_pending.empty()) {
        QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillmarsh-settings-XXXXXX"));
        if (!scratch.isValid()) return false;
        const QString draftPath = scratch.filePath(QStringLiteral("draft.ini"));
        const QString checkPath = scratch.filePath(QStringLiteral("check.ini"));
        if (!oldBytes->empty() && !writeWholeFile(QFile::encodeName(draftPath).toStdString(), *oldBytes)) {
            return false;
        }
        QMap<QString, QVariant> expected;
        {
            QSettings draft(draftPath, QSettings::IniFormat);
            for (const auto& [key, value] : m_pending) draft.setValue(key, value);
            draft.sync();
            if (draft.status() == QSettings::AccessError) return false;
            expected = allValues(draft);
        }
        if (!QFile::rename(draftPath, checkPath)) return false;
        QSettings check(checkPath, QSettings::IniFormat);
        if (allValues(check) != expected) return false;
        const std::optional<std::string> written = readWholeFile(QFile::encodeName(checkPath).toStdString());
        if (!written) return false;
        newBytes = *written;
    }
    const std::optional<std::int64_t> oldTime = modifiedMilliseconds(m_path);
    try {
        frontend::writeFileAtomically(m_path, newBytes);
    } catch (const model::Error&) {
        return false;
    }
    if (oldTime) dateAfter(m_path, *oldTime);
    return true;
}

QSettings& QtSettingsStore::reader()
{
    if (!m_reader) m_reader = std::make_unique<QSettings>(m_qtPath, QSettings::IniFormat);
    return *m_reader;
}

}  // namespace qm::app
