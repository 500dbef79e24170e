#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/QStringPrinting.h"
#include "Platforms/QtTray/TrayItemOnBus.h"
#include "QtTray/DBusMenuExporter.h"
#include "QtTray/DBusMenuTypes.h"
#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"
#include "ui/Menu.h"

namespace CorlaMeetings::Testing {
namespace {

using namespace std::chrono_literals;

const QString kMenuPath = QStringLiteral("/MenuBar");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
const Instant kNow = std::chrono::sys_days{std::chrono::year{2026} / 6 / 10} + 9h;

std::shared_ptr<MeetingCardView> card(
    std::string title, std::optional<std::string> link, std::function<void()> join = [] {}) {
  auto event = std::make_shared<CalendarEvent>();
  event->title = std::move(title);
  event->startDate = kNow + 30min;
  event->endDate = kNow + 45min;
  MeetingItem meeting{std::move(event), link ? Url::parse(*link) : std::nullopt};
  return std::make_shared<MeetingCardView>(std::move(meeting), std::move(join), kNow);
}

MenuItem item(MenuItem::Kind kind, std::string title = {}, std::function<void()> action = {},
              std::shared_ptr<View> view = nullptr) {
  MenuItem made;
  made.kind = kind;
  made.title = std::move(title);
  made.action = std::move(action);
  made.view = std::move(view);
  return made;
}
MenuItem viewItem(std::shared_ptr<View> view) { return item(MenuItem::Kind::view, {}, {}, std::move(view)); }

// An entry as a panel shows it: "---" for a separator, else its label, marked when disabled.
QString shown(const QVariantMap& properties) {
  if (properties.value("type") == "separator") return "---";
  return properties.value("label").toString() + (properties.value("enabled", true).toBool() ? "" : " [off]");
}

// A panel's own menu of the tray item, with the drop-down built as the app builds it.
class DBusMenuOnBus : public TrayItemOnBus {
 protected:
  void SetUp() override {
    TrayItemOnBus::SetUp();
    registerDBusMenuTypes();
  }

  void fill(const std::string& suffix = {}) {
    menu_->removeAllItems();
    menu_->addItem(viewItem(std::make_shared<View>(Rect{0, 0, 410, 124})));  // the header's place
    menu_->addItem(MenuItem::separator());
    menu_->addItem(item(MenuItem::Kind::sectionTitle, "Today"));
    standup_ =
        card("Daily standup" + suffix, "https://meet.google.com/abc-defg-hij", [this] { ran_.push_back("join"); });
    menu_->addItem(viewItem(standup_));
    menu_->addItem(viewItem(card("Planning", std::nullopt, [this] { ran_.push_back("open"); })));
    menu_->addItem(item(MenuItem::Kind::sectionTitle, "Tomorrow"));
    menu_->addItem(viewItem(card("Retro", "https://zoom.us/j/1", [this] { ran_.push_back("retro"); })));
    menu_->addItem(item(MenuItem::Kind::more, "+ 3 more in the next 4 days"));
    menu_->addItem(MenuItem::separator());
    menu_->addItem(MenuItem::separator());
    for (const char* title : {"Refresh", "Open Calendar", "Reminder: 5 min before", "Request Calendar Permission"}) {
      menu_->addItem(item(MenuItem::Kind::command, title, [this, title] { ran_.push_back(title); }));
    }
    menu_->addItem(MenuItem::separator());
    menu_->addItem(item(MenuItem::Kind::command, "Quit", [this] { ran_.push_back("Quit"); }));
    menu_->addItem(MenuItem::separator());
  }

  // The revision and the whole layout, as a panel asks for it after LayoutUpdated.
  std::pair<uint, DBusMenuLayoutItem> layout(int parent = 0, int depth = -1, const QStringList& names = {}) {
    const QVariantList reply = callAt(kMenuPath, kMenuInterface, "GetLayout", {parent, depth, names}).arguments();
    if (reply.size() != 2) return {0, {-1, {}, {}}};
    return {reply[0].toUInt(), qdbus_cast<DBusMenuLayoutItem>(qvariant_cast<QDBusArgument>(reply[1]))};
  }

  QStringList entries() {
    QStringList lines;
    for (const DBusMenuLayoutItem& child : layout().second.children) lines.append(shown(child.properties));
    return lines;
  }

  // The id of the first entry labelled `label`; -1 if none.
  int idOf(const QString& label) {
    for (const DBusMenuLayoutItem& child : layout().second.children) {
      if (child.properties.value("label") == label) return child.id;
    }
    return -1;
  }

  QDBusMessage click(int id, const QString& eventId = "clicked") {
    return callAt(kMenuPath, kMenuInterface, "Event", {id, eventId, QVariant::fromValue(QDBusVariant(0)), 0u});
  }

  QString standupLabel() const { return standup_->timeLabel().text.c_str() + QStringLiteral("  Daily standup"); }

  std::shared_ptr<Menu> menu_ = std::make_shared<Menu>();
  std::shared_ptr<MeetingCardView> standup_;
  std::vector<std::string> ran_;
};

TEST_F(DBusMenuOnBus, PanelsReadTheMeetingsAndCommandsInTheDropDownsOrder) {
  for (const auto& [name, value] :
       std::vector<std::pair<QString, QVariant>>{{"Version", 3u}, {"TextDirection", "ltr"}, {"Status", "normal"}}) {
    EXPECT_EQ(propertyAt(kMenuPath, kMenuInterface, name), value) << name.toStdString();
  }
  // Before the app gives a menu: a root with nothing in it.
  const auto [firstRevision, empty] = layout();
  EXPECT_EQ(empty.id, 0);
  EXPECT_EQ(empty.properties.value("children-display"), "submenu");
  EXPECT_TRUE(empty.children.isEmpty());

  item_->setMenu(menu_);
  fill();
  const auto [revision, root] = layout();
  EXPECT_GT(revision, firstRevision);
  EXPECT_EQ(root.properties.value("children-display"), "submenu");
  const QString planning = card("Planning", std::nullopt)->timeLabel().text.c_str() + QStringLiteral("  Planning");
  EXPECT_EQ(entries(), (QStringList{
                           "Today [off]",
                           standupLabel(),
                           planning + " [off]",  // no link to join
                           "Tomorrow",           // later days in submenus: panel menus do not scroll
                           "+ 3 more in the next 4 days [off]",
                           "---",
                           "Refresh",
                           "Open Calendar",
                           "Reminder: 5 min before",
                           "Request Calendar Permission",
                           "---",
                           "Quit",
                       }));
  EXPECT_TRUE(standupLabel().contains(u'-')) << standupLabel().toStdString();
  const DBusMenuLayoutItem tomorrow = root.children.value(3);
  EXPECT_EQ(tomorrow.properties.value("children-display"), "submenu");
  ASSERT_EQ(tomorrow.children.size(), 1);
  EXPECT_TRUE(tomorrow.children[0].properties.value("label").toString().endsWith("  Retro"));
  EXPECT_TRUE(layout(0, 1).second.children.value(3).children.isEmpty()) << "one level asked, one given";
  click(tomorrow.children[0].id);
  EXPECT_TRUE(runEventsUntil([&] { return ran_ == std::vector<std::string>{"retro"}; }));
}

TEST_F(DBusMenuOnBus, ChoosingAnEntryDoesWhatTheDropDownDoes) {
  item_->setMenu(menu_);
  fill();
  const int standup = idOf(standupLabel());
  const int planning = layout().second.children.value(2).id;
  const int quit = idOf("Quit");
  constexpr int unknown = 987654321;

  for (int id : {standup, planning, idOf("Refresh"), unknown}) {
    EXPECT_EQ(click(id).type(), QDBusMessage::ReplyMessage) << id;
  }
  EXPECT_EQ(click(quit, "hovered").type(), QDBusMessage::ReplyMessage);
  const DBusMenuEventList events{{quit, "clicked", QDBusVariant(0), 0}, {unknown, "clicked", QDBusVariant(0), 0}};
  const QDBusMessage group = callAt(kMenuPath, kMenuInterface, "EventGroup", {QVariant::fromValue(events)});
  EXPECT_EQ(qdbus_cast<QList<int>>(group.arguments().value(0)), QList<int>{unknown});
  const QDBusMessage aboutToShow =
      callAt(kMenuPath, kMenuInterface, "AboutToShowGroup", {QVariant::fromValue(QList<int>{0, quit, unknown})});
  EXPECT_EQ(qdbus_cast<QList<int>>(aboutToShow.arguments().value(1)), QList<int>{unknown});
  runEventsFor(30);

  EXPECT_EQ(ran_, (std::vector<std::string>{"join", "Refresh", "Quit"}));
}

// A panel may still show an entry of the previous layout when the menu is rebuilt under it.
TEST_F(DBusMenuOnBus, ARebuildIsOneLayoutChangeAndRetiresTheOldIds) {
  item_->setMenu(menu_);
  fill();
  const auto [before, oldRoot] = layout();
  const int oldRefresh = idOf("Refresh");
  SignalRecorder recorder(client_, registeredService(), kMenuPath, kMenuInterface);
  ASSERT_TRUE(recorder.connected);

  fill(" (moved)");
  ASSERT_TRUE(runEventsUntil([&] { return !recorder.received.empty(); }));
  runEventsFor(50);

  ASSERT_EQ(recorder.received.size(), 1u);
  EXPECT_EQ(recorder.received[0].member(), "LayoutUpdated");
  const QVariantList announced = recorder.received[0].arguments();
  ASSERT_EQ(announced.size(), 2);
  EXPECT_GT(announced[0].toUInt(), before);
  EXPECT_EQ(announced[1].toInt(), 0);
  const auto [after, newRoot] = layout();
  EXPECT_EQ(after, announced[0].toUInt());
  for (const DBusMenuLayoutItem& fresh : newRoot.children) {
    for (const DBusMenuLayoutItem& old : oldRoot.children) EXPECT_NE(fresh.id, old.id);
  }

  click(oldRefresh);
  runEventsFor(30);
  EXPECT_TRUE(ran_.empty());
  click(idOf("Refresh"));
  EXPECT_TRUE(runEventsUntil([&] { return ran_ == std::vector<std::string>{"Refresh"}; }));
}

TEST_F(DBusMenuOnBus, PropertiesAreReadByIdAndNameAndUnknownOnesAreErrors) {
  item_->setMenu(menu_);
  fill();
  const int refresh = idOf("Refresh");
  const QDBusMessage group = callAt(
      kMenuPath, kMenuInterface, "GetGroupProperties",
      {QVariant::fromValue(QList<int>{refresh, 424242, 0}), QStringList{"label", "enabled", "no-such-property"}});
  const auto properties = qdbus_cast<DBusMenuItemPropertiesList>(group.arguments().value(0));
  ASSERT_EQ(properties.size(), 2);
  EXPECT_EQ(properties[0].id, refresh);
  EXPECT_EQ(properties[0].properties, (QVariantMap{{"label", "Refresh"}, {"enabled", true}}));
  EXPECT_EQ(properties[1].id, 0);
  EXPECT_TRUE(properties[1].properties.isEmpty());

  const QDBusMessage label = callAt(kMenuPath, kMenuInterface, "GetProperty", {refresh, "label"});
  EXPECT_EQ(qvariant_cast<QDBusVariant>(label.arguments().value(0)).variant(), "Refresh");
  const auto [revision, only] = layout(refresh, -1, {"type"});
  EXPECT_EQ(only.id, refresh);
  EXPECT_EQ(only.properties, (QVariantMap{{"type", "standard"}}));
  EXPECT_TRUE(only.children.isEmpty());
  EXPECT_TRUE(layout(0, 0).second.children.isEmpty());

  const std::vector<std::pair<QString, QVariantList>> refused = {
      {"GetProperty", {refresh, "icon-name"}},
      {"GetProperty", {424242, "label"}},
      {"GetLayout", {424242, -1, QStringList()}},
      {"GetLayout", {"0", -1, QStringList()}},  // a string where the id goes
  };
  for (const auto& [method, arguments] : refused) {
    EXPECT_EQ(callAt(kMenuPath, kMenuInterface, method, arguments).type(), QDBusMessage::ErrorMessage)
        << method.toStdString() << ' ' << arguments.value(0).toString().toStdString();
  }
}

// Labels are plain text that panels read with "_" as a mnemonic mark; meeting names come
// from strangers.
TEST(DBusMenuExporter, LabelsAreOneLineWithUnderscoresDoubledAndMarkupLeftAsText) {
  const std::string x159(159, 'x');
  const std::vector<std::pair<std::string, QString>> cases = {
      {"snake_case_sync", "snake__case__sync"},
      {"Line\nbreak\r\ttab\x1b[31m", "Line break  tab [31m"},
      {"A\u2028B\u0085C", "A B C"},
      {"<b>Bold</b> &amp; <a href='https://x.example'>x</a>", "<b>Bold</b> &amp; <a href='https://x.example'>x</a>"},
      {std::string(300, 'y'), QString(160, u'y') + QChar(0x2026)},
      {x159 + "\U0001F600tail", QString::fromStdString(x159) + QChar(0x2026)},  // a pair is never split
  };
  auto menu = std::make_shared<Menu>();
  for (const auto& [title, label] : cases) menu->addItem(item(MenuItem::Kind::command, title, [] {}));
  const auto shared = card("Team_sync\nnotes", "https://meet.google.com/abc-defg-hij");
  menu->addItem(viewItem(shared));
  DBusMenuExporter exporter;
  exporter.setMenu(menu);
  ASSERT_TRUE(runEventsUntil([&] { return exporter.revision() > 1; }));

  const std::optional<DBusMenuLayoutItem> root = exporter.layout(0, -1, {"label"});
  ASSERT_TRUE(root);
  ASSERT_EQ(root->children.size(), qsizetype(cases.size() + 1));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(root->children[i].properties.value("label"), cases[i].second) << i;
  }
  EXPECT_EQ(root->children.last().properties.value("label"),
            shared->timeLabel().text.c_str() + QStringLiteral("  Team__sync notes"));
}

// An action may end the program or open a browser: never while the panel waits for its answer.
TEST(DBusMenuExporter, RunsAnActionOnlyAfterTheCallerHasReturned) {
  auto menu = std::make_shared<Menu>();
  bool quit = false;
  menu->addItem(item(MenuItem::Kind::command, "Quit", [&] { quit = true; }));
  DBusMenuExporter exporter;
  exporter.setMenu(menu);
  ASSERT_TRUE(runEventsUntil([&] { return exporter.ids().size() == 2; }));

  EXPECT_TRUE(exporter.activate(exporter.ids().last()));
  EXPECT_FALSE(quit);
  EXPECT_TRUE(runEventsUntil([&] { return quit; }));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
