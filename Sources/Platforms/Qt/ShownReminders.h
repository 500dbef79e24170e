#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace CorlaMeetings {

// The reminders this login session's Velto processes have shown, by reminder key, so that
// a restarted Velto, or another one taking over the posting, replaces a reminder on screen
// instead of adding it again.
//
// One small file, $XDG_RUNTIME_DIR/velto/shown-reminders (the folder made 0700): the
// runtime folder lives as long as the user's login, like the notifications do. It keeps
// the latest kLimit entries (a limit of its own in tests) and is written whole (temporary file, then rename). Keys are
// event identifiers, text from strangers, so the file holds their SHA-256 digests only:
// every line has a fixed form whatever the key. A file that is not wholly in that form
// (damaged, cut short, too big, anyone else's) is read as empty and rewritten at the next
// record. Without a path nothing is kept and nothing fails.
//
// Notification ids are the server's: an entry names the server (its unique bus name) and
// counts only while that same server runs. It also names the posting process, so that of
// two processes that once posted the same id only the latest answers a click. Read anew
// on every call; several processes share the file. Main thread.
class ShownReminders {
 public:
  struct Shown {
    QString server;  // the unique bus name of the notification server
    unsigned id = 0;
    QString poster;  // the unique bus name of the posting process

    bool operator==(const Shown&) const = default;
  };

  static constexpr std::size_t kLimit = 256;

  // $XDG_RUNTIME_DIR/velto/shown-reminders; empty where XDG_RUNTIME_DIR is unset, empty
  // or relative.
  static QString defaultPath();

  // Keeps nothing when `path` is empty.
  explicit ShownReminders(QString path, std::size_t limit = kLimit);

  // The latest notification shown for `key`.
  std::optional<Shown> find(const std::string& key) const;
  // The latest entry for notification `id` of `server`.
  std::optional<Shown> findNotification(const QString& server, unsigned id) const;
  // Notes `shown` as the latest for `key`, dropping an earlier entry of the key or of the
  // same notification. Silently keeps nothing when the file cannot be written.
  void record(const std::string& key, const Shown& shown);

 private:
  struct Entry {
    QString digest;  // of the key, lower-case hexadecimal
    Shown shown;
  };

  std::vector<Entry> read() const;
  void write(const std::vector<Entry>& entries) const;

  QString path_;
  std::size_t limit_;
};

}  // namespace CorlaMeetings
