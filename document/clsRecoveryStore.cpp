#include "clsRecoveryStore.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
QString Hash(const QString& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
}
}

clsRecoveryStore::clsRecoveryStore(const QString& database, const QString& systemId, const QString& report)
    : m_database(Hash(database)), m_systemId(systemId.trimmed()), m_report(report.trimmed())
{
    // The names go into the hash as they identify the report: trimmed, letter case kept
    // for the database, ignored for system and report as the catalogue compares them.
    const QString key = m_database + QLatin1Char('\n') + m_systemId.toLower() + QLatin1Char('\n') + m_report.toLower();
    m_path = QDir(Folder()).filePath(Hash(key).left(24) + QStringLiteral(".json"));
}

QString clsRecoveryStore::Folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

bool clsRecoveryStore::Exists() const
{
    return QFile::exists(m_path);
}

bool clsRecoveryStore::Write(const clsFormatSnapshot& snapshot, QString& error) const
{
    if (!QDir().mkpath(Folder())) {
        error = QStringLiteral("不能建立文件夹 %1").arg(Folder());
        return false;
    }
    QJsonObject root;
    root.insert(QStringLiteral("database"), m_database);
    root.insert(QStringLiteral("system"), m_systemId);
    root.insert(QStringLiteral("report"), m_report);
    root.insert(QStringLiteral("written"), QDateTime::currentDateTime().toString(Qt::ISODate));
    root.insert(QStringLiteral("format"), QJsonDocument::fromJson(snapshot.ToJson().toUtf8()).object());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson(QJsonDocument::Compact)) < 0
        || !file.commit()) {
        error = QStringLiteral("不能写入文件 %1：%2").arg(m_path, file.errorString());
        return false;
    }
    return true;
}

bool clsRecoveryStore::Read(clsFormatSnapshot& snapshot, QDateTime& written, QString& error) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("不能读取文件 %1：%2").arg(m_path, file.errorString());
        return false;
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
    const QJsonObject root = doc.object();
    if (parse.error != QJsonParseError::NoError || !root.value(QStringLiteral("format")).isObject()) {
        error = QStringLiteral("文件 %1 已损坏").arg(m_path);
        return false;
    }
    // A file of another report under the same name would be a hash collision; refuse it.
    if (root.value(QStringLiteral("database")).toString() != m_database
        || root.value(QStringLiteral("system")).toString().compare(m_systemId, Qt::CaseInsensitive) != 0
        || root.value(QStringLiteral("report")).toString().compare(m_report, Qt::CaseInsensitive) != 0) {
        error = QStringLiteral("文件 %1 不属于这张报表").arg(m_path);
        return false;
    }
    written = QDateTime::fromString(root.value(QStringLiteral("written")).toString(), Qt::ISODate);
    const QString text = QString::fromUtf8(QJsonDocument(root.value(QStringLiteral("format")).toObject()).toJson());
    QString problem;
    if (!clsFormatSnapshot::FromJson(text, snapshot, problem)) {
        error = QStringLiteral("文件 %1：%2").arg(m_path, problem);
        return false;
    }
    return true;
}

bool clsRecoveryStore::Remove() const
{
    return !QFile::exists(m_path) || QFile::remove(m_path);
}
