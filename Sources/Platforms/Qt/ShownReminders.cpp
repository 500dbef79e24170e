#include "Qt/ShownReminders.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace CorlaMeetings {

namespace {

const QByteArray kHeader = "velto shown reminders 1";
// A full file is about 30 KiB; anything much bigger is not ours.
constexpr qint64 kMaxFileBytes = 64 * 1024;

QString digestOf(const std::string& key) {
  return QString::fromLatin1(
      QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha256).toHex());
}

bool isDigest(const QByteArray& text) {
  return text.size() == 64 &&
         std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A unique connection name as the bus hands them out, ":1.42".
bool isUniqueName(const QByteArray& text) {
  return text.size() > 1 && text.size() <= 255 && text[0] == ':' &&
         std::all_of(text.begin() + 1, text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '_' ||
                  c == '-';
         });
}

// False when the folder is not one of ours (a file, a link, someone else's). To write, it
// is made as needed and kept 0700.
bool ownFolder(const QString& folder, bool forWriting) {
  QByteArray path = QFile::encodeName(folder);
  if (forWriting && ::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat status {};
  if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid()) {
    return false;
  }
  return !forWriting || (status.st_mode & 0777) == 0700 || ::chmod(path.constData(), 0700) == 0;
}

}  // namespace

QString ShownReminders::defaultPath() {
  QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (runtime.isEmpty() || QDir::isRelativePath(runtime)) return {};
  return runtime + QStringLiteral("/velto/shown-reminders");
}

ShownReminders::ShownReminders(QString path, std::size_t limit) : path_(std::move(path)), limit_(limit) {}

std::optional<ShownReminders::Shown> ShownReminders::find(const std::string& key) const {
  if (path_.isEmpty()) return std::nullopt;
  const QString digest = digestOf(key);
  std::vector<Entry> entries = read();
  auto found = std::find_if(entries.rbegin(), entries.rend(), [&](const Entry& e) { return e.digest == digest; });
  if (found == entries.rend()) return std::nullopt;
  return found->shown;
}

std::optional<ShownReminders::Shown> ShownReminders::findNotification(const QString& server, unsigned id) const {
  if (path_.isEmpty()) return std::nullopt;
  std::vector<Entry> entries = read();
  auto found = std::find_if(entries.rbegin(), entries.rend(),
                            [&](const Entry& e) { return e.shown.server == server && e.shown.id == id; });
  if (found == entries.rend()) return std::nullopt;
  return found->shown;
}

void ShownReminders::record(const std::string& key, const Shown& shown) {
  if (path_.isEmpty() || shown.id == 0 || !isUniqueName(shown.server.toLatin1()) ||
      !isUniqueName(shown.poster.toLatin1())) {
    return;
  }
  const QString digest = digestOf(key);
  std::vector<Entry> entries = read();
  std::erase_if(entries, [&](const Entry& e) {
    return e.digest == digest || (e.shown.server == shown.server && e.shown.id == shown.id);
  });
  entries.push_back({digest, shown});
  if (entries.size() > limit_) entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(limit_));
  write(entries);
}

std::vector<ShownReminders::Entry> ShownReminders::read() const {
  if (!ownFolder(QFileInfo(path_).path(), false)) return {};
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return {};
  QList<QByteArray> lines = file.read(kMaxFileBytes + 1).split('\n');
  // Whole lines only: the last one ends with a line break.
  if (lines.size() < 2 || lines.front() != kHeader || !lines.back().isEmpty()) return {};
  lines.removeFirst();
  lines.removeLast();
  if (static_cast<std::size_t>(lines.size()) > kLimit) return {};

  std::vector<Entry> entries;
  for (const QByteArray& line : lines) {
    QList<QByteArray> fields = line.split(' ');
    bool isNumber = false;
    const uint id = fields.size() == 4 ? fields[2].toUInt(&isNumber) : 0;
    // toUInt takes a sign and leading spaces; the file never holds them.
    if (!isNumber || id == 0 || fields[2].front() < '1' || fields[2].front() > '9' || !isDigest(fields[0]) ||
        !isUniqueName(fields[1]) || !isUniqueName(fields[3])) {
      return {};
    }
    entries.push_back(
        {QString::fromLatin1(fields[0]), {QString::fromLatin1(fields[1]), id, QString::fromLatin1(fields[3])}});
  }
  return entries;
}

void ShownReminders::write(const std::vector<Entry>& entries) const {
  if (!ownFolder(QFileInfo(path_).path(), true)) return;
  QByteArray text = kHeader + '\n';
  for (const Entry& entry : entries) {
    text += entry.digest.toLatin1() + ' ' + entry.shown.server.toLatin1() + ' ' + QByteArray::number(entry.shown.id) +
            ' ' + entry.shown.poster.toLatin1() + '\n';
  }
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return;
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  if (file.write(text) == text.size()) file.commit();
}

}  // namespace CorlaMeetings
