#include "localization/l10n.h"
#include "policy/menu_descriptor.h"
#include "tiles/context_menu.h"
#include "tiles/context_menu_builder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QImage>
#include <QObject>
#include <QPixmap>

#include <memory>
#include <string>

namespace {

// Stands in for the launcher view: records every item it is sent.
class FakeTarget : public QObject
{
    Q_OBJECT
public:
    QList<std::optional<ContextMenuBuilder::Payload>> received;

    ContextMenuBuilder::Choose chooser()
    {
        return [this](const ContextMenuBuilder::Payload &payload) { received.append(payload); };
    }
};

// One line per item: "title" with " [red]" for a destructive one and
// " [off]" for a disabled one, "---" for a separator.
QStringList describe(const QMenu &menu)
{
    QStringList lines;
    for (const QAction *action : menu.actions()) {
        if (action->isSeparator()) {
            lines << "---";
            continue;
        }
        lines << action->text() + (ContextMenu::isDestructive(action) ? " [red]" : "")
                     + (action->isEnabled() ? "" : " [off]");
    }
    return lines;
}

class ContextMenuTest : public ::testing::Test
{
protected:
    void SetUp() override { L10n::setForTesting(AppLanguage::en); }
    void TearDown() override { L10n::setForTesting(AppLanguage::zhHans); }

    FakeTarget target;
    ContextMenuBuilder builder{&target, target.chooser()};
};

TEST_F(ContextMenuTest, FollowsTheDescriptorInOrderWithSeparatorsAndRedUninstall)
{
    const auto menu = builder.makeMenu(1, false, false, true, true, {"app:a"}, {"a"});
    QStringList expected;
    for (const MenuItemDescriptor &item : MenuDescriptor::build(1, false, false, true, true).items)
        expected << (item.isSeparator ? QString("---") : item.title + (item.isDestructive ? " [red]" : ""));
    EXPECT_EQ(describe(*menu), expected);
    // The English titles themselves, to see that the localised text arrives.
    EXPECT_EQ(describe(*menu).first(), "Open");
    EXPECT_EQ(describe(*menu).last(), "Uninstall app… [red]");
    EXPECT_EQ(describe(*menu).count("---"), 3);
}

TEST_F(ContextMenuTest, ExplicitDescriptorKeepsItemsAsGiven)
{
    const MenuDescriptor descriptor({MenuItemDescriptor(MenuAction::open, "One"), MenuItemDescriptor::separator(),
                                     MenuItemDescriptor(MenuAction::uninstall, "Two", true),
                                     MenuItemDescriptor(MenuAction::copyPath, "Three")},
                                    1);
    const auto menu = builder.makeMenu(descriptor, {"app:a"}, {"a"});
    EXPECT_EQ(describe(*menu), (QStringList{"One", "---", "Two [red]", "Three"}));
    // A destructive item keeps its plain title as well.
    EXPECT_EQ(menu->actions().at(2)->text(), "Two");
}

TEST_F(ContextMenuTest, EveryItemCarriesTheWholeSelection)
{
    const QStringList entryIDs{"app:a", "folder:f", "app:b"};
    const QStringList appIDs{"a", "b"};
    const auto menu = builder.makeMenu(3, false, true, false, true, entryIDs, appIDs);
    QList<MenuAction> expected = MenuDescriptor::build(3, false, true, false, true).actions();
    QList<MenuAction> carried;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const std::optional<ContextMenuBuilder::Payload> payload = ContextMenuBuilder::Payload::from(action);
        ASSERT_TRUE(payload);
        EXPECT_EQ(payload->entryIDs, entryIDs);
        EXPECT_EQ(payload->appIDs, appIDs);
        carried.append(payload->action);
        EXPECT_TRUE(action->isEnabled());
    }
    EXPECT_EQ(carried, expected);
}

TEST_F(ContextMenuTest, ChoosingAnItemSendsItToTheTarget)
{
    const auto menu = builder.makeMenu(2, false, false, false, true, {"app:a", "app:b"}, {"a", "b"});
    for (QAction *action : menu->actions())
        if (!action->isSeparator())
            action->trigger();
    const QList<MenuAction> expected = MenuDescriptor::build(2, false, false, false, true).actions();
    ASSERT_EQ(target.received.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        ASSERT_TRUE(target.received[i].has_value());
        EXPECT_EQ(target.received[i]->action, expected[i]);
        EXPECT_EQ(target.received[i]->entryIDs, (QStringList{"app:a", "app:b"}));
        EXPECT_EQ(target.received[i]->appIDs, (QStringList{"a", "b"}));
    }
}

TEST(ContextMenuBuilder, WithoutTargetItemsAreDisabledAndDoNothing)
{
    auto target = std::make_unique<FakeTarget>();
    ContextMenuBuilder builder(target.get(), target->chooser());
    const auto before = builder.makeMenu(1, false, false, false, false, {"app:a"}, {"a"});
    target.reset();
    // Built before the target went away: choosing an item is harmless.
    before->actions().first()->trigger();

    const auto after = builder.makeMenu(1, false, false, false, false, {"app:a"}, {"a"});
    for (QAction *action : after->actions())
        EXPECT_TRUE(action->isSeparator() || !action->isEnabled());
    EXPECT_EQ(ContextMenuBuilder::Payload::from(after->actions().first())->action, MenuAction::open);
}

TEST(ContextMenuPayload, OnlyACommandItemOfTheBuilderCarriesOne)
{
    QAction item;
    EXPECT_FALSE(ContextMenuBuilder::Payload::from(nullptr));
    EXPECT_FALSE(ContextMenuBuilder::Payload::from(&item)) << "no data";
    item.setData(QString("open"));
    EXPECT_FALSE(ContextMenuBuilder::Payload::from(&item)) << "other data";

    FakeTarget target;
    const ContextMenuBuilder builder(&target, target.chooser());
    const MenuDescriptor descriptor({MenuItemDescriptor::separator(), MenuItemDescriptor(MenuAction::hide, "Hide")}, 1);
    const auto menu = builder.makeMenu(descriptor, {"app:a"}, {"a"});
    EXPECT_FALSE(ContextMenuBuilder::Payload::from(menu->actions().at(0))) << "separator";
    const auto payload = ContextMenuBuilder::Payload::from(menu->actions().at(1));
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->action, MenuAction::hide);
    EXPECT_EQ(payload->entryIDs, QStringList{"app:a"});
    EXPECT_EQ(payload->appIDs, QStringList{"a"});
}

TEST_F(ContextMenuTest, ShowRunsTheMenuUntilItClosesEvenIfTheViewGoes)
{
    auto view = std::make_unique<QWidget>();
    view->resize(200, 200);
    view->show();
    QStringList seen;
    // One turn of the event loop after the menu opens: note it, then close it.
    QTimer::singleShot(0, [&] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            for (QAction *action : popup->actions())
                seen << action->text();
            EXPECT_EQ(popup->parentWidget(), view.get());
            popup->close();
        }
    });
    builder.show(1, true, false, false, false, {"folder:f"}, {}, QPoint(10, 10), view.get());
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.first(), "Open Folder");

    // The view destroyed while its menu is open takes the menu with it.
    QTimer::singleShot(0, [&] {
        ASSERT_NE(QApplication::activePopupWidget(), nullptr);
        view.reset();
    });
    builder.show(1, false, false, false, true, {"app:a"}, {"a"}, QPoint(10, 10), view.get());
    EXPECT_EQ(view, nullptr);
    EXPECT_TRUE(target.received.isEmpty());
}

// Counts strongly red pixels in the rows of one item of a rendered menu.
int redPixels(const QImage &image, const QRect &row)
{
    int count = 0;
    const double scale = image.devicePixelRatio();
    for (int y = int(row.top() * scale); y < int((row.bottom() + 1) * scale) && y < image.height(); ++y)
        for (int x = int(row.left() * scale); x < int((row.right() + 1) * scale) && x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 180 && c.green() < 120 && c.blue() < 120;
        }
    return count;
}

TEST_F(ContextMenuTest, DestructiveItemIsPaintedRedAndOnlyIt)
{
    const auto menu = builder.makeMenu(1, false, false, false, true, {"app:a"}, {"a"});
    menu->adjustSize();
    const QImage image = menu->grab().toImage();
    ASSERT_FALSE(image.isNull());
    bool sawRed = false;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const int red = redPixels(image, menu->actionGeometry(action));
        SCOPED_TRACE(action->text().toStdString());
        if (ContextMenu::isDestructive(action)) {
            EXPECT_GT(red, 10);
            sawRed = true;
        } else {
            EXPECT_EQ(red, 0);
        }
    }
    EXPECT_TRUE(sawRed);
}

} // namespace

#include "context_menu_test.moc"
