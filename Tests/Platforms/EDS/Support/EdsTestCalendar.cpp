#include "Platforms/EDS/Support/EdsTestCalendar.h"

#include <gtest/gtest.h>
#include <libecal/libecal.h>

namespace CorlaMeetings::Testing {

namespace {

std::string failure(GError* error) {
  std::string text = error ? error->message : "unknown error";
  g_clear_error(&error);
  return text;
}

// A calendar source, not yet committed, of the backend `backend` below `parent`.
ESource* newSource(const std::string& uid, const std::string& name, const char* parent, const char* backend) {
  GError* error = nullptr;
  ESource* source = e_source_new_with_uid(uid.c_str(), nullptr, &error);
  EXPECT_NE(source, nullptr) << failure(error);
  e_source_set_display_name(source, name.c_str());
  e_source_set_parent(source, parent);
  auto* calendar = static_cast<ESourceBackend*>(e_source_get_extension(source, E_SOURCE_EXTENSION_CALENDAR));
  e_source_backend_set_backend_name(calendar, backend);
  return source;
}

}  // namespace

ESourceRegistry* EdsTestCalendar::registry() {
  static ESourceRegistry* registry = [] {
    GError* error = nullptr;
    ESourceRegistry* made = e_source_registry_new_sync(nullptr, &error);
    EXPECT_NE(made, nullptr) << failure(error);
    return made;
  }();
  return registry;
}

std::unique_ptr<EdsTestCalendar> EdsTestCalendar::create(const std::string& uid, const std::string& name) {
  return commit(newSource(uid, name, "local-stub", "local"));
}

std::unique_ptr<EdsTestCalendar> EdsTestCalendar::createCalDav(const std::string& uid, const std::string& name,
                                                               const std::string& url) {
  ESource* source = newSource(uid, name, "caldav-stub", "caldav");
  GUri* uri = g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr);
  e_source_webdav_set_uri(
      static_cast<ESourceWebdav*>(e_source_get_extension(source, E_SOURCE_EXTENSION_WEBDAV_BACKEND)), uri);
  auto* authentication =
      static_cast<ESourceAuthentication*>(e_source_get_extension(source, E_SOURCE_EXTENSION_AUTHENTICATION));
  e_source_authentication_set_host(authentication, g_uri_get_host(uri));
  e_source_authentication_set_port(authentication, static_cast<guint16>(g_uri_get_port(uri)));
  e_source_authentication_set_method(authentication, "none");
  g_uri_unref(uri);
  auto* offline = static_cast<ESourceOffline*>(e_source_get_extension(source, E_SOURCE_EXTENSION_OFFLINE));
  e_source_offline_set_stay_synchronized(offline, TRUE);
  return commit(source);
}

std::unique_ptr<EdsTestCalendar> EdsTestCalendar::commit(ESource* source) {
  GError* error = nullptr;
  const std::string uid = e_source_get_uid(source);
  EXPECT_TRUE(e_source_registry_commit_source_sync(registry(), source, nullptr, &error)) << failure(error);
  g_object_unref(source);
  // The registry's own object, which the changes below must go through.
  ESource* registered = nullptr;
  for (int attempt = 0; attempt < 100 && !registered; ++attempt) {
    registered = e_source_registry_ref_source(registry(), uid.c_str());
    if (!registered) g_usleep(50'000);
  }
  EXPECT_NE(registered, nullptr) << "the registry does not list " << uid;
  return std::unique_ptr<EdsTestCalendar>(new EdsTestCalendar(uid, registered));
}

EdsTestCalendar::EdsTestCalendar(std::string uid, ESource* source) : uid_(std::move(uid)), source_(source) {}

EdsTestCalendar::~EdsTestCalendar() {
  if (client_) g_object_unref(client_);
  if (!source_) return;
  GError* error = nullptr;
  if (e_source_get_removable(source_)) {
    EXPECT_TRUE(e_source_remove_sync(source_, nullptr, &error)) << failure(error);
  }
  g_object_unref(source_);
}

void EdsTestCalendar::connect() {
  if (client_ || !source_) return;
  GError* error = nullptr;
  client_ = E_CAL_CLIENT(e_cal_client_connect_sync(source_, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, static_cast<guint32>(-1),
                                                   nullptr, &error));  // no waiting: a local calendar
  ASSERT_NE(client_, nullptr) << failure(error);
}

void EdsTestCalendar::import(const std::string& calendarText) {
  connect();
  ICalComponent* calendar = i_cal_component_new_from_string(calendarText.c_str());
  ASSERT_NE(calendar, nullptr);
  GError* error = nullptr;
  EXPECT_TRUE(e_cal_client_receive_objects_sync(client_, calendar, E_CAL_OPERATION_FLAG_NONE, nullptr, &error))
      << failure(error);
  g_object_unref(calendar);
}

void EdsTestCalendar::add(const std::string& event) {
  connect();
  ICalComponent* component = i_cal_component_new_from_string(event.c_str());
  ASSERT_NE(component, nullptr);
  GError* error = nullptr;
  EXPECT_TRUE(e_cal_client_create_object_sync(client_, component, E_CAL_OPERATION_FLAG_NONE, nullptr, nullptr, &error))
      << failure(error);
  g_object_unref(component);
}

void EdsTestCalendar::modify(const std::string& event) {
  connect();
  ICalComponent* component = i_cal_component_new_from_string(event.c_str());
  ASSERT_NE(component, nullptr);
  GError* error = nullptr;
  EXPECT_TRUE(e_cal_client_modify_object_sync(client_, component, E_CAL_OBJ_MOD_ALL, E_CAL_OPERATION_FLAG_NONE, nullptr,
                                              &error))
      << failure(error);
  g_object_unref(component);
}

void EdsTestCalendar::remove(const std::string& uid) {
  connect();
  GError* error = nullptr;
  EXPECT_TRUE(e_cal_client_remove_object_sync(client_, uid.c_str(), nullptr, E_CAL_OBJ_MOD_ALL,
                                              E_CAL_OPERATION_FLAG_NONE, nullptr, &error))
      << failure(error);
}

void EdsTestCalendar::refresh() {
  connect();
  GError* error = nullptr;
  EXPECT_TRUE(e_client_refresh_sync(E_CLIENT(client_), nullptr, &error)) << failure(error);
}

void EdsTestCalendar::reconnect() {
  if (client_) g_object_unref(client_);
  client_ = nullptr;
}

void EdsTestCalendar::setSelected(bool selected) {
  auto* calendar = static_cast<ESourceSelectable*>(e_source_get_extension(source_, E_SOURCE_EXTENSION_CALENDAR));
  e_source_selectable_set_selected(calendar, selected);
  write();
}

void EdsTestCalendar::setEnabled(bool enabled) {
  e_source_set_enabled(source_, enabled);
  write();
}

void EdsTestCalendar::rename(const std::string& name) {
  e_source_set_display_name(source_, name.c_str());
  write();
}

void EdsTestCalendar::write() {
  GError* error = nullptr;
  EXPECT_TRUE(e_source_write_sync(source_, nullptr, &error)) << failure(error);
}

}  // namespace CorlaMeetings::Testing
