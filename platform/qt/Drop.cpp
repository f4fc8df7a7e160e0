// Files dropped on a main window. Qt's drag and drop events of a window that
// takes files become WM_DROPFILES, posted like the other input, with a drop
// that holds the files' names (the platform's own bytes). A drop that comes
// while a dialog or message box is open, or that holds no local file, is
// refused.
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QObject>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/Internal.h"
#include "platform/qt/TestSeams.h"

using namespace quillfin::platform;

namespace {

constexpr UINT kCountFiles = 0xFFFFFFFF;

struct Drop {
    std::vector<std::string> files;
};

std::set<Drop*>& Drops() {
    static std::set<Drop*> drops;
    return drops;
}

Drop* DropOf(HDROP handle) {
    auto* drop = reinterpret_cast<Drop*>(handle);
    return Drops().count(drop) != 0 ? drop : nullptr;
}

std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (data == nullptr || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return files;
}

// Watches the drags over a main window that takes files, its controls
// included (the answer box would take a file's name as text).
class DropFilter : public QObject {
public:
    DropFilter(HWND hwnd, QWidget* top) : QObject(top), hwnd_(hwnd), top_(top) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* target = qobject_cast<QWidget*>(watched);
        if (target == nullptr || target->window() != top_)
            return QObject::eventFilter(watched, event);
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDragMoveEvent*>(event);
                if (!ModalOpen() && !LocalFiles(drag->mimeData()).empty()) {
                    drag->acceptProposedAction();
                } else {
                    drag->ignore();
                }
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                std::vector<std::string> files = LocalFiles(drop->mimeData());
                if (ModalOpen() || files.empty()) {
                    drop->ignore();
                    return true;
                }
                drop->acceptProposedAction();
                auto* held = new Drop{std::move(files)};
                Drops().insert(held);
                Post(hwnd_, WM_DROPFILES, reinterpret_cast<WPARAM>(held), 0);
                return true;
            }
            default:
                return QObject::eventFilter(watched, event);
        }
    }

private:
    HWND hwnd_;
    QWidget* top_;
};

constexpr const char* kFilterName = "quillfin-drop-filter";

}  // namespace

namespace quillfin::testing {

bool DropFiles(HWND main, const std::vector<std::string>& paths) {
    QWidget* widget = MainWidget(main);
    if (widget == nullptr) return false;
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls << QUrl::fromLocalFile(QFile::decodeName(path.c_str()));
    data.setUrls(urls);
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

std::size_t OpenDrops() { return Drops().size(); }

}  // namespace quillfin::testing

void DragAcceptFiles(HWND hwnd, BOOL accept) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->type != WindowType::Main || window->widget == nullptr) return;
    QWidget* widget = window->widget;
    QObject* filter =
        widget->findChild<QObject*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly);
    widget->setAcceptDrops(accept != FALSE);
    if (accept && filter == nullptr) {
        filter = new DropFilter(hwnd, widget);
        filter->setObjectName(QLatin1String(kFilterName));
        QCoreApplication::instance()->installEventFilter(filter);
    } else if (!accept && filter != nullptr) {
        delete filter;  // which takes it out of the application's filters
    }
}

UINT DragQueryFileA(HDROP handle, UINT index, LPSTR file, UINT size) {
    Drop* drop = DropOf(handle);
    if (drop == nullptr) return 0;
    if (index == kCountFiles) return static_cast<UINT>(drop->files.size());
    if (index >= drop->files.size()) return 0;
    const std::string& name = drop->files[index];
    if (file == nullptr) return static_cast<UINT>(name.size());
    if (size == 0) return 0;
    // Cut short to the buffer, zero-terminated, as Windows does.
    const std::size_t copied = std::min<std::size_t>(name.size(), size - 1);
    std::memcpy(file, name.data(), copied);
    file[copied] = '\0';
    return static_cast<UINT>(copied);
}

void DragFinish(HDROP handle) {
    Drop* drop = DropOf(handle);
    if (drop == nullptr) return;
    Drops().erase(drop);
    delete drop;
}
