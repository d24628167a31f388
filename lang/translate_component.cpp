// TLocalize::TranslateComponent over Qt object trees: a component's name is
// its objectName, its tag the dynamic property "tag", what it owns its
// children in order.
#include "lang/localize.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>

#include <functional>
#include <optional>

namespace lexivoce::lang {

namespace {

const QString kControls = QStringLiteral("CONTROLS");

// The tab widget whose page widget is, or nullptr.
QTabWidget *tabOfPage(QWidget *widget)
{
    auto *stack = qobject_cast<QStackedWidget *>(widget->parentWidget());
    return stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
}

// Reads and writes the one text a component shows as its caption.
struct Caption
{
    std::function<QString()> Get;
    std::function<void(const QString &)> Set;
};

std::optional<Caption> captionOf(QObject *component)
{
    if (auto *action = qobject_cast<QAction *>(component)) {
        if (action->isSeparator())
            return std::nullopt;
        return Caption{[action] { return action->text(); }, [action](const QString &text) { action->setText(text); }};
    }
    auto *widget = qobject_cast<QWidget *>(component);
    if (!widget)
        return std::nullopt;
    if (auto *menu = qobject_cast<QMenu *>(widget))
        return Caption{[menu] { return menu->title(); }, [menu](const QString &text) { menu->setTitle(text); }};
    if (widget->isWindow())
        return Caption{[widget] { return widget->windowTitle(); },
                       [widget](const QString &text) { widget->setWindowTitle(text); }};
    if (auto *label = qobject_cast<QLabel *>(widget))
        return Caption{[label] { return label->text(); }, [label](const QString &text) { label->setText(text); }};
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return Caption{[button] { return button->text(); }, [button](const QString &text) { button->setText(text); }};
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return Caption{[group] { return group->title(); }, [group](const QString &text) { group->setTitle(text); }};
    if (QTabWidget *tabs = tabOfPage(widget)) {
        return Caption{[tabs, widget] { return tabs->tabText(tabs->indexOf(widget)); },
                       [tabs, widget](const QString &text) { tabs->setTabText(tabs->indexOf(widget), text); }};
    }
    return std::nullopt;
}

QString itemKey(const QString &name, int index)
{
    return QStringLiteral("%1Item%2").arg(name).arg(index);
}

} // namespace

void TLocalize::TranslateComponent(QObject *component)
{
    if (!component || component->property("tag").toInt() < 0)
        return;

    if (const std::optional<Caption> caption = captionOf(component)) {
        const QString text = caption->Get();
        if (!text.trimmed().isEmpty() && text != QLatin1String("-")) {
            if (component->objectName().isEmpty() && component->parent()) {
                QObject *owner = component->parent();
                component->setObjectName(itemKey(owner->objectName(),
                                                 static_cast<int>(owner->children().indexOf(component))));
            }
            // Nameless and ownerless: no key could ever tell it apart.
            if (!component->objectName().isEmpty())
                caption->Set(ReadString(kControls, component->objectName(), text));
        }
    }

    const QString name = component->objectName();
    if (auto *combo = qobject_cast<QComboBox *>(component)) {
        const int selected = combo->currentIndex();
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemText(i, ReadString(kControls, itemKey(name, i), combo->itemText(i)));
        combo->setCurrentIndex(selected);
    } else if (auto *list = qobject_cast<QListWidget *>(component)) {
        const int selected = list->currentRow();
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setText(ReadString(kControls, itemKey(name, i), list->item(i)->text()));
        list->setCurrentRow(selected);
    } else if (auto *status = qobject_cast<QStatusBar *>(component)) {
        const QString message = status->currentMessage();
        if (!message.isEmpty())
            status->showMessage(ReadString(kControls, name, message));
    }

    // A menu's own action carries its title, translated above.
    const QAction *menuAction = nullptr;
    if (auto *menu = qobject_cast<QMenu *>(component))
        menuAction = menu->menuAction();
    const QObjectList children = component->children();
    for (QObject *child : children) {
        if (child != menuAction)
            TranslateComponent(child);
    }
}

} // namespace lexivoce::lang
