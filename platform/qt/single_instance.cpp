#include "platform/qt/single_instance.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>
#include <QString>

namespace talvex::platform::qt {
namespace {

// The key may hold anything (a host name, a database name); the file is named after its hash.
std::string lock_path(const std::string& key) {
  const QByteArray hash =
      QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha256);
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return QDir(folder)
      .filePath(QStringLiteral("talvex-") + QString::fromLatin1(hash.toHex().left(16)) +
                QStringLiteral(".lock"))
      .toStdString();
}

}  // namespace

SingleInstance::SingleInstance(const std::string& key)
    : path_(lock_path(key)), lock_(QString::fromStdString(path_)) {
  // A service holds its lock for days: the age of a lock file says nothing. Only a lock whose
  // process has ended is stale, which QLockFile finds out from the process id in the file.
  lock_.setStaleLockTime(0);
}

SingleInstance::Result SingleInstance::acquire() {
  if (lock_.tryLock(0))
    return Result::Acquired;
  return lock_.error() == QLockFile::LockFailedError ? Result::HeldByAnother : Result::Unavailable;
}

long long SingleInstance::holder() const {
  qint64 pid = 0;
  QString host;
  QString application;
  if (!lock_.getLockInfo(&pid, &host, &application))
    return 0;
  return pid;
}

std::string SingleInstance::error() const {
  switch (lock_.error()) {
    case QLockFile::NoError:
      return {};
    case QLockFile::LockFailedError:
      return "held by another process";
    case QLockFile::PermissionError:
      return "no permission to create " + path_;
    case QLockFile::UnknownError:
      break;
  }
  return "cannot create " + path_;
}

}  // namespace talvex::platform::qt
