#include "Qt/IniPreferences.h"

#include "Qt/XdgDirectories.h"
#include "meetings/PlainText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

namespace CorlaMeetings {

namespace {

const char kSection[] = "General";

// The file is a handful of lines; more than this is not ours and is not read further.
constexpr qint64 kLongestFile = 64 * 1024;

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t\r";
  auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// Nothing unless the whole text is the number.
std::optional<std::int64_t> integerIn(std::string_view text) {
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> valueIn(std::string_view text) {
  const std::string word = asciiLowercased(text);
  if (word == "true") return 1;
  if (word == "false") return 0;
  return integerIn(text);
}

// Keys that cannot break the line format; any other key lives in memory only.
bool isWritableKey(const std::string& key) {
  if (key.empty()) return false;
  for (char c : key) {
    bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

QString IniPreferences::defaultPath() { return xdgConfigHome() + "/velto/velto.ini"; }

IniPreferences::IniPreferences(QString path, Mode mode) : path_(std::move(path)), mode_(mode) { load(); }

bool IniPreferences::boolForKey(const std::string& key) const { return integerForKey(key) != 0; }

std::int64_t IniPreferences::integerForKey(const std::string& key) const {
  auto found = values_.find(key);
  if (found == values_.end()) return 0;
  return valueIn(found->second).value_or(0);
}

void IniPreferences::setBool(const std::string& key, bool value) { set(key, value ? "true" : "false"); }

void IniPreferences::setInteger(const std::string& key, std::int64_t value) { set(key, std::to_string(value)); }

void IniPreferences::set(const std::string& key, std::string text) {
  values_[key] = std::move(text);
  if (mode_ == Mode::ReadWrite) save();
}

// Lines outside our section, comments and lines that are no assignment are passed over;
// the next save drops them.
void IniPreferences::load() {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return;
  QByteArray bytes = file.read(kLongestFile);
  std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));

  bool inSection = true;  // keys before any section header count as ours
  while (!text.empty()) {
    auto newline = text.find('\n');
    std::string_view line = trimmed(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);

    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      inSection = line == std::string("[") + kSection + "]";
      continue;
    }
    auto equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    std::string key(trimmed(line.substr(0, equals)));
    if (isWritableKey(key)) values_[key] = std::string(trimmed(line.substr(equals + 1)));
  }
}

void IniPreferences::save() const {
  std::string text = std::string("[") + kSection + "]\n";
  for (const auto& [key, value] : values_) {
    if (isWritableKey(key)) text += key + "=" + value + "\n";
  }

  QDir().mkpath(QFileInfo(path_).absolutePath());
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(text.data(), static_cast<qint64>(text.size()));
  file.commit();  // on failure the old file stays and the temporary one is removed
}

}  // namespace CorlaMeetings
