// Menus: the menu resource as a Qt menu bar whose items post WM_COMMAND, and
// the stock icon and cursor.
#include <QMenu>
#include <QMenuBar>

#include "platform/qt/Internal.h"

namespace quillfin::platform {
namespace {

void AddItems(QWidget* menu, HWND hwnd, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        QString text = FromCp1252(item.text);
        if (item.separator) {
            if (auto* popup = qobject_cast<QMenu*>(menu)) popup->addSeparator();
            continue;
        }
        if (item.popup) {
            QMenu* sub = nullptr;
            if (auto* bar = qobject_cast<QMenuBar*>(menu)) sub = bar->addMenu(text);
            if (auto* popup = qobject_cast<QMenu*>(menu)) sub = popup->addMenu(text);
            if (sub != nullptr) AddItems(sub, hwnd, item.items);
            continue;
        }
        auto* action = new QAction(text, menu);
        int id = item.id;
        QObject::connect(action, &QAction::triggered, action,
                         [hwnd, id] { Post(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); });
        menu->addAction(action);
    }
}

}  // namespace

void BuildMenuBar(Window* window, const std::vector<MenuItem>& items) {
    delete window->menuBar.data();
    window->menuBar = nullptr;
    if (window->widget != nullptr) {
        auto* bar = new QMenuBar(window->widget);
        bar->setNativeMenuBar(false);
        AddItems(bar, ToHandle<HWND>(window->handle), items);
        bar->show();
        window->menuBar = bar;
    }
    MenuBarChanged(window);
}

}  // namespace quillfin::platform

using namespace quillfin::platform;

namespace {

HICON StockIcon() {
    static HICON icon = nullptr;
    if (As<Icon>(icon) == nullptr) icon = ToHandle<HICON>(Register(std::make_unique<Icon>()));
    return icon;
}

}  // namespace

HICON LoadIconA(HINSTANCE, LPCSTR name) { return name != nullptr ? StockIcon() : nullptr; }

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) { return name != nullptr ? StockIcon() : nullptr; }

HMENU LoadMenuA(HINSTANCE, LPCSTR name) {
    if (name == nullptr || !IS_INTRESOURCE(name)) return nullptr;
    int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
    for (const auto& [menuId, items] : BuiltInResources().menus) {
        if (menuId != id) continue;
        auto menu = std::make_unique<Menu>();
        menu->items = items;
        return ToHandle<HMENU>(Register(std::move(menu)));
    }
    return nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->type != WindowType::Main) return FALSE;
    Menu* source = As<Menu>(menu);
    if (menu != nullptr && source == nullptr) return FALSE;
    window->menu = menu;
    if (source != nullptr) {
        BuildMenuBar(window, source->items);
    } else {
        delete window->menuBar.data();
        window->menuBar = nullptr;
        MenuBarChanged(window);
    }
    return TRUE;
}
