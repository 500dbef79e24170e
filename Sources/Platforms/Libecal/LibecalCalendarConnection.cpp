#include "Libecal/LibecalCalendarConnection.h"

#include <libecal/libecal.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "Libecal/LibecalClient.h"

namespace CorlaMeetings {

namespace {

// A calendar naming more unknown zones than this is making them up.
constexpr std::size_t kMaxZoneLookups = 64;
constexpr int kMaxRetryFactor = 64;

std::string textOf(const char* text) { return text ? text : ""; }

}  // namespace

LibecalCalendarConnection::LibecalCalendarConnection(GObjectPtr<ESource> source, std::string name, RunLoop& runLoop,
                                                     Listener& listener, EdsConnectionOptions options)
    : source_(std::move(source)),
      uid_(textOf(e_source_get_uid(source_.get()))),
      name_(std::move(name)),
      runLoop_(runLoop),
      listener_(listener),
      options_(options),
      retryDelay_(options.retryDelay) {}

LibecalCalendarConnection::~LibecalCalendarConnection() {
  loading_ = false;  // nobody to tell
  settleAfterFlush_ = false;
  dropClient();
}

gpointer LibecalCalendarConnection::call(std::string tzid) {
  return CallbackData::hold(Call{weak_from_this(), attempt_, std::move(tzid)});
}

std::shared_ptr<LibecalCalendarConnection> LibecalCalendarConnection::current(gpointer data, std::string* tzid) {
  Call call = CallbackData::take<Call>(data);
  std::shared_ptr<LibecalCalendarConnection> connection = call.connection.lock();
  if (!connection || connection->attempt_ != call.attempt || !connection->cancellable_) return nullptr;
  if (tzid) *tzid = std::move(call.tzid);
  return connection;
}

void LibecalCalendarConnection::start(std::string query) {
  query_ = std::move(query);
  connect();
}

void LibecalCalendarConnection::connect() {
  dropClient();
  ++attempt_;
  cancellable_.reset(g_cancellable_new());
  e_cal_client_connect(source_.get(), E_CAL_CLIENT_SOURCE_TYPE_EVENTS, static_cast<guint32>(options_.onlineWaitSeconds),
                       cancellable_.get(), connected, call());
}

void LibecalCalendarConnection::connected(GObject*, GAsyncResult* result, gpointer data) {
  GError* error = nullptr;
  GObjectPtr<EClient> client(e_cal_client_connect_finish(result, &error));
  GErrorPtr owned(error);
  std::shared_ptr<LibecalCalendarConnection> self = current(data);
  if (!self) return;
  if (!client) return self->failed("cannot be opened", error, true);
  self->client_.reset(E_CAL_CLIENT(client.release()));
  g_signal_connect(self->client_.get(), "backend-died", G_CALLBACK(backendDied), self.get());
  e_cal_client_get_view(self->client_.get(), self->query_.c_str(), self->cancellable_.get(), viewOpened, self->call());
}

void LibecalCalendarConnection::viewOpened(GObject* object, GAsyncResult* result, gpointer data) {
  ECalClientView* view = nullptr;
  GError* error = nullptr;
  bool opened = e_cal_client_get_view_finish(E_CAL_CLIENT(object), result, &view, &error);
  GObjectPtr<ECalClientView> ownedView(view);
  GErrorPtr owned(error);
  std::shared_ptr<LibecalCalendarConnection> self = current(data);
  if (!self) return;
  if (!opened || !view) return self->failed("cannot be viewed", error, true);
  self->view_ = std::move(ownedView);
  g_signal_connect(view, "objects-added", G_CALLBACK(objectsAddedOrModified), self.get());
  g_signal_connect(view, "objects-modified", G_CALLBACK(objectsAddedOrModified), self.get());
  g_signal_connect(view, "objects-removed", G_CALLBACK(objectsRemoved), self.get());
  g_signal_connect(view, "complete", G_CALLBACK(viewComplete), self.get());
  self->loading_ = true;
  self->loaded_ = 0;
  self->deliver({ComponentChange::beginLoad()});
  GError* startError = nullptr;
  e_cal_client_view_start(view, &startError);
  GErrorPtr ownedStartError(startError);
  if (startError) self->failed("cannot be viewed", startError, true);
}

void LibecalCalendarConnection::objectsAddedOrModified(ECalClientView*, const GSList* objects, gpointer data) {
  auto* self = static_cast<LibecalCalendarConnection*>(data);
  std::vector<ComponentChange> changes;
  {
    // libecal made these components with libical on this thread without our lock; what we
    // ask of them here goes through it like every other libical call of ours.
    std::lock_guard lock(hostLibicalLock());
    for (const GSList* item = objects; item; item = item->next) {
      auto* component = static_cast<ICalComponent*>(item->data);
      if (i_cal_component_isa(component) != I_CAL_VEVENT_COMPONENT) continue;
      GCharPtr text(i_cal_component_as_ical_string(component));
      GCharPtr rid(e_cal_util_component_get_recurid_as_string(component));
      if (!text) continue;
      changes.push_back(
          ComponentChange::put(textOf(i_cal_component_get_uid(component)), textOf(rid.get()), text.get()));
    }
  }
  for (const ComponentChange& change : changes) self->lookUpZones(change.text);
  if (self->loading_) self->loaded_ += changes.size();
  self->deliver(std::move(changes));
}

void LibecalCalendarConnection::objectsRemoved(ECalClientView*, const GSList* ids, gpointer data) {
  auto* self = static_cast<LibecalCalendarConnection*>(data);
  std::vector<ComponentChange> changes;
  for (const GSList* item = ids; item; item = item->next) {
    auto* id = static_cast<ECalComponentId*>(item->data);
    changes.push_back(
        ComponentChange::remove(textOf(e_cal_component_id_get_uid(id)), textOf(e_cal_component_id_get_rid(id))));
  }
  self->deliver(std::move(changes));
}

void LibecalCalendarConnection::viewComplete(ECalClientView*, const GError* error, gpointer data) {
  auto* self = static_cast<LibecalCalendarConnection*>(data);
  if (!self->loading_) return;
  self->loading_ = false;
  // A backend that fails part way (a CalDAV server gone) still hands over its cache; a load
  // that brought nothing then keeps the events there were.
  bool keep = !error || self->loaded_ > 0;
  // The view stays open either way, for the changes still to come.
  if (error) {
    self->failed("reports", error, false);
  } else {
    self->reportedProblem_.clear();
    self->retryDelay_ = self->options_.retryDelay;
  }
  self->settleAfterFlush_ = true;
  self->deliver({ComponentChange::endLoad(keep)});
}

void LibecalCalendarConnection::backendDied(GObject*, gpointer data) {
  auto* self = static_cast<LibecalCalendarConnection*>(data);
  // The service restarts on the next call: try again soon, with the events there were.
  self->dropClient();
  self->retryLater();
}

void LibecalCalendarConnection::failed(const std::string& what, const GError* error, bool retry) {
  std::string problem = "calendar " + name_ + " " + what + ": " + errorText(error);
  if (problem != reportedProblem_) listener_.report(problem);
  reportedProblem_ = problem;
  if (!retry) return;
  dropClient();
  retryLater();
  settle();
}

void LibecalCalendarConnection::dropClient() {
  if (cancellable_) g_cancellable_cancel(cancellable_.get());
  cancellable_.reset();
  if (view_) g_signal_handlers_disconnect_by_data(view_.get(), this);
  view_.reset();
  if (client_) g_signal_handlers_disconnect_by_data(client_.get(), this);
  client_.reset();
  // What waited for zones comes again with the next load.
  waiting_.clear();
  zonesInFlight_ = 0;
  zones_.clear();
  if (loading_) listener_.componentsChanged(uid_, {ComponentChange::endLoad(false)});
  loading_ = false;
  if (std::exchange(settleAfterFlush_, false)) settle();
}

void LibecalCalendarConnection::retryLater() {
  retry_ = runLoop_.runAfter(retryDelay_, [weak = weak_from_this()] {
    if (auto self = weak.lock()) self->connect();
  });
  retryDelay_ = std::min(retryDelay_ * 2, options_.retryDelay * kMaxRetryFactor);
}

void LibecalCalendarConnection::lookUpZones(const std::string& componentText) {
  for (const std::string& tzid : listener_.unknownZones(componentText)) {
    if (zones_.contains(tzid)) continue;
    zones_[tzid] = "";
    if (zones_.size() > kMaxZoneLookups || !client_) continue;
    ++zonesInFlight_;
    e_cal_client_get_timezone(client_.get(), tzid.c_str(), cancellable_.get(), zoneFound, call(tzid));
  }
}

void LibecalCalendarConnection::zoneFound(GObject* object, GAsyncResult* result, gpointer data) {
  ICalTimezone* zone = nullptr;  // the client's
  GError* error = nullptr;
  bool found = e_cal_client_get_timezone_finish(E_CAL_CLIENT(object), result, &zone, &error);
  GErrorPtr owned(error);
  std::string tzid;
  std::shared_ptr<LibecalCalendarConnection> self = current(data, &tzid);
  if (!self) return;
  if (found && zone) {
    std::lock_guard lock(hostLibicalLock());
    GObjectPtr<ICalComponent> component(i_cal_timezone_get_component(zone));
    GCharPtr text(component ? i_cal_component_as_ical_string(component.get()) : nullptr);
    if (text) {
      self->zones_[tzid] = text.get();
      self->waiting_.insert(self->waiting_.begin(), ComponentChange::defineZone(tzid, text.get()));
    }
  }
  if (--self->zonesInFlight_ == 0) self->flush();
}

void LibecalCalendarConnection::deliver(std::vector<ComponentChange> changes) {
  waiting_.insert(waiting_.end(), std::make_move_iterator(changes.begin()), std::make_move_iterator(changes.end()));
  if (zonesInFlight_ == 0) flush();
}

void LibecalCalendarConnection::flush() {
  if (!waiting_.empty()) listener_.componentsChanged(uid_, std::exchange(waiting_, {}));
  // Only once the load's end has gone out: whoever waits for it then finds it delivered.
  if (std::exchange(settleAfterFlush_, false)) settle();
}

void LibecalCalendarConnection::settle() {
  if (settled_) return;
  settled_ = true;
  listener_.calendarSettled(uid_);
}

}  // namespace CorlaMeetings
