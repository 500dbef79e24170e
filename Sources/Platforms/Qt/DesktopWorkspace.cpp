#include "Qt/DesktopWorkspace.h"

#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

#include "meetings/Url.h"

namespace CorlaMeetings {

namespace {

constexpr int kQueryTimeoutMilliseconds = 5000;
constexpr qint64 kLongestQueryAnswer = 4096;

// A plain desktop file name, as the query prints it: nothing a launcher could take for an
// option or a path.
bool isDesktopId(const QString& id) {
  if (!id.endsWith(QStringLiteral(".desktop")) || id.startsWith(u'-') || id.startsWith(u'.')) return false;
  for (QChar c : id) {
    bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
              c == u'_' || c == u'-';
    if (!ok) return false;
  }
  return true;
}

void launch(const DesktopWorkspace::Commands& commands, const QString& desktopId) {
  if (QProcess::startDetached(commands.desktopLauncher, {desktopId})) return;
  QString desktopFile = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
  if (!desktopFile.isEmpty()) QProcess::startDetached(commands.gio, {QStringLiteral("launch"), desktopFile});
}

}  // namespace

DesktopWorkspace::DesktopWorkspace() : DesktopWorkspace(Commands{}) {}

DesktopWorkspace::DesktopWorkspace(Commands commands)
    : commands_(std::move(commands)), queries_(std::make_unique<QObject>()) {}

DesktopWorkspace::~DesktopWorkspace() = default;

void DesktopWorkspace::openURL(const Url& url) {
  if (!url.isWebLink()) return;
  QProcess::startDetached(commands_.urlOpener, {QString::fromStdString(url.absoluteString())});
}

void DesktopWorkspace::openCalendarApplication() {
  auto* query = new QProcess(queries_.get());
  query->setStandardInputFile(QProcess::nullDevice());
  query->setStandardErrorFile(QProcess::nullDevice());

  QObject::connect(query, &QProcess::finished, query,
                   [query, commands = commands_](int exitCode, QProcess::ExitStatus status) {
                     query->deleteLater();
                     if (status != QProcess::NormalExit || exitCode != 0) return;
                     QString answer = QString::fromUtf8(query->read(kLongestQueryAnswer));
                     QString desktopId = answer.section(u'\n', 0, 0).trimmed();
                     if (isDesktopId(desktopId)) launch(commands, desktopId);
                   });
  QObject::connect(query, &QProcess::errorOccurred, query, [query](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) query->deleteLater();  // no finished() follows
  });
  QTimer::singleShot(kQueryTimeoutMilliseconds, query, [query] { query->kill(); });

  query->start(commands_.mimeQuery,
               {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/calendar")});
}

}  // namespace CorlaMeetings
