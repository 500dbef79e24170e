#include "WindowSystem.h"

#include <QGuiApplication>
#include <QOpenGLContext>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>

namespace CorlaMeetings {

namespace {

constexpr char kPlatformVariable[] = "QT_QPA_PLATFORM";
constexpr char kBufferIntegrationVariable[] = "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION";
// No plugin has this name, so Qt draws into shared memory and loads no GL at all.
constexpr char kNoBufferIntegration[] = "none";

QtMessageHandler previousHandler = nullptr;

// Qt reports, twice, that the buffer integration left out on purpose could not be loaded.
void withoutBufferIntegrationNotice(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const bool notice = context.category && std::strcmp(context.category, "qt.qpa.wayland") == 0 &&
                      message.contains(QLatin1String("client buffer integration"));
  if (!notice && previousHandler) previousHandler(type, context, message);
}

// In the probe child: a fatal Qt message ends it with status 1 rather than an abort and a
// core file.
void exitOnFatal(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type == QtFatalMsg) _exit(1);
}

}  // namespace

Session currentSession() {
  auto value = [](const char* name) {
    const char* text = std::getenv(name);
    return std::string(text ? text : "");
  };
  return {value(kPlatformVariable), !value("DISPLAY").empty(), !value("WAYLAND_DISPLAY").empty(),
          !value("SWAYSOCK").empty()};
}

std::string trayPlatform(const Session& session) {
  if (!session.requestedPlatform.empty()) return session.requestedPlatform;
  if (session.hasWaylandDisplay && session.hasSwayIpc) return "wayland";
  if (session.hasX11Display) return "xcb";
  if (session.hasWaylandDisplay) return "wayland";
  return {};
}

bool platformStarts(const std::string& platform) {
  if (platform.empty()) return false;
  const pid_t child = fork();
  if (child < 0) return true;  // cannot tell: let Qt try, as it would without the check
  if (child == 0) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, STDERR_FILENO);  // the parent says what went wrong
    setenv(kPlatformVariable, platform.c_str(), 1);
    qInstallMessageHandler(exitOnFatal);
    int argc = 1;
    char name[] = "velto";
    char* argv[] = {name, nullptr};
    QGuiApplication probe(argc, argv);
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return true;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TrayPlatformEnvironment::TrayPlatformEnvironment(const std::string& platform) {
  set(kPlatformVariable, platform);
  const char* integration = std::getenv(kBufferIntegrationVariable);
  if (platform.starts_with("wayland") && !(integration && *integration)) {
    set(kBufferIntegrationVariable, kNoBufferIntegration);
    previousHandler = qInstallMessageHandler(withoutBufferIntegrationNotice);
  }
}

void TrayPlatformEnvironment::restore() {
  // Qt reads the buffer integration at its first use, not at start-up: use it now.
  if (savedCount_ > 1 && QGuiApplication::instance()) QOpenGLContext::supportsThreadedOpenGL();
  for (int i = savedCount_ - 1; i >= 0; --i) {
    if (saved_[i].wasSet) {
      setenv(saved_[i].name, saved_[i].value.c_str(), 1);
    } else {
      unsetenv(saved_[i].name);
    }
  }
  savedCount_ = 0;
}

void TrayPlatformEnvironment::set(const char* name, const std::string& value) {
  const char* old = std::getenv(name);
  saved_[savedCount_++] = {name, old != nullptr, old ? old : ""};
  setenv(name, value.c_str(), 1);
}

}  // namespace CorlaMeetings
