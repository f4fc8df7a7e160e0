#include "platform/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <map>
#include <utility>

#include "platform/qt/Internal.h"

namespace quillfin::platform {
namespace {

// The main window's client area: the picture the program paints, with the
// name, description and value the program gave it.
class ClientAccessible : public QAccessibleWidget {
public:
    explicit ClientAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Graphic) {}

    QString text(QAccessible::Text kind) const override {
        const Window* window = As<Window>(HandleOf(widget()));
        if (window == nullptr) return QString();
        switch (kind) {
            case QAccessible::Name:
                return window->accessibleName;
            case QAccessible::Description:
                return window->accessibleDescription;
            case QAccessible::Value:
                return window->accessibleValue;
            default:
                return QAccessibleWidget::text(kind);
        }
    }
};

QAccessibleInterface* ClientFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    const Window* window = As<Window>(HandleOf(widget));
    if (window == nullptr || window->type != WindowType::Main || window->client != widget)
        return nullptr;
    return new ClientAccessible(widget);
}

// Sends an event to assistive technology and keeps a count of it for the
// tests (Qt sends events only while a screen reader listens).
void Announce(HWND hwnd, QAccessibleEvent& event) {
    ++AccessibleEventCounts()[{hwnd, static_cast<int>(event.type())}];
    QAccessible::updateAccessibility(&event);
}

}  // namespace

std::map<std::pair<HWND, int>, int>& AccessibleEventCounts() {
    static std::map<std::pair<HWND, int>, int> counts;
    return counts;
}

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(ClientFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace quillfin::platform

using namespace quillfin::platform;

void SetAccessibleTexts(HWND hwnd, const char* name, const char* description, const char* value) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return;
    const QString newName = FromCp1252(name != nullptr ? name : "");
    const QString newDescription = FromCp1252(description != nullptr ? description : "");
    const QString newValue = FromCp1252(value != nullptr ? value : "");
    QWidget* target =
        window->type == WindowType::Main ? window->client.data() : window->widget.data();
    const bool nameChanged = window->accessibleName != newName;
    const bool descriptionChanged = window->accessibleDescription != newDescription;
    const bool valueChanged = window->accessibleValue != newValue;
    window->accessibleName = newName;
    window->accessibleDescription = newDescription;
    window->accessibleValue = newValue;
    if (target == nullptr) return;
    if (window->type != WindowType::Main) {
        // The widgets' own interfaces read these.
        target->setAccessibleName(newName);
        target->setAccessibleDescription(newDescription);
        return;
    }
    if (nameChanged) {
        QAccessibleEvent event(target, QAccessible::NameChanged);
        Announce(hwnd, event);
    }
    if (descriptionChanged) {
        QAccessibleEvent event(target, QAccessible::DescriptionChanged);
        Announce(hwnd, event);
    }
    if (valueChanged) {
        QAccessibleValueChangeEvent event(target, newValue);
        Announce(hwnd, event);
    }
}

void NotifyTextChanged(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return;
    QWidget* target =
        window->type == WindowType::Main ? window->client.data() : window->widget.data();
    if (target == nullptr) return;
    QAccessibleEvent event(target, QAccessible::NameChanged);
    Announce(hwnd, event);
}
