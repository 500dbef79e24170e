#include "Qt/QtApplication.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace CorlaMeetings {

void QtApplication::terminate() {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(application, &QCoreApplication::quit, Qt::QueuedConnection);
  }
}

}  // namespace CorlaMeetings
