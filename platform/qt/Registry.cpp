// The registry calls over a per-user INI file: a key under HKEY_CURRENT_USER
// is a group of the file (its backslashes as slashes), a REG_DWORD value a
// line "name=dword:0000002a". Every write is flushed to the file at once;
// a file that cannot be written makes the write fail.
#include <QSettings>
#include <QString>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "platform/UserFiles.h"
#include "platform/WinApi.h"

namespace {

constexpr const char* kSettingsFileName = "quillfin.ini";
constexpr const char* kDwordPrefix = "dword:";
constexpr DWORD kDwordSize = sizeof(DWORD);

struct OpenKey {
    QString group;
};

std::set<OpenKey*>& OpenKeys() {
    static std::set<OpenKey*> keys;
    return keys;
}

OpenKey* KeyOf(HKEY key) {
    auto* open = reinterpret_cast<OpenKey*>(key);
    return OpenKeys().count(open) != 0 ? open : nullptr;
}

// The settings file, or null when the user has no folder for it.
std::unique_ptr<QSettings> SettingsFile() {
    const std::string path = UserSettingsFile(kSettingsFileName);
    if (path.empty()) return nullptr;
    return std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat);
}

QString GroupOf(LPCSTR subKey) {
    QString group = QString::fromLatin1(subKey);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (group.endsWith(QLatin1Char('/'))) group.chop(1);
    return group;
}

}  // namespace

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                        PHKEY result, LPDWORD disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (key != HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    if (subKey == nullptr || *subKey == '\0') return ERROR_INVALID_PARAMETER;
    std::unique_ptr<QSettings> settings = SettingsFile();
    if (settings == nullptr) return ERROR_ACCESS_DENIED;
    const QString group = GroupOf(subKey);
    if (disposition != nullptr) {
        settings->beginGroup(group);
        const bool existed = !settings->childKeys().isEmpty();
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    auto* open = new OpenKey{group};
    OpenKeys().insert(open);
    *result = reinterpret_cast<HKEY>(open);
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                       DWORD size) {
    OpenKey* open = KeyOf(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    if (type != REG_DWORD || data == nullptr || size != kDwordSize || valueName == nullptr)
        return ERROR_INVALID_PARAMETER;
    DWORD value = 0;
    std::memcpy(&value, data, kDwordSize);
    std::unique_ptr<QSettings> settings = SettingsFile();
    if (settings == nullptr) return ERROR_ACCESS_DENIED;
    settings->beginGroup(open->group);
    settings->setValue(QString::fromLatin1(valueName),
                       QString::fromLatin1(kDwordPrefix) +
                           QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')));
    settings->endGroup();
    settings->sync();
    return settings->status() == QSettings::NoError ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD size) {
    OpenKey* open = KeyOf(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    if (valueName == nullptr || (data != nullptr && size == nullptr))
        return ERROR_INVALID_PARAMETER;
    std::unique_ptr<QSettings> settings = SettingsFile();
    if (settings == nullptr) return ERROR_FILE_NOT_FOUND;
    settings->beginGroup(open->group);
    const QString text = settings->value(QString::fromLatin1(valueName)).toString();
    // A line edited into something else is no value of the program's.
    bool ok = text.startsWith(QLatin1String(kDwordPrefix));
    const DWORD value =
        ok ? text.mid(static_cast<int>(std::strlen(kDwordPrefix))).toUInt(&ok, 16) : 0;
    if (!ok) return ERROR_FILE_NOT_FOUND;
    if (type != nullptr) *type = REG_DWORD;
    if (data == nullptr) {
        if (size != nullptr) *size = kDwordSize;
        return ERROR_SUCCESS;
    }
    const DWORD room = *size;
    *size = kDwordSize;
    if (room < kDwordSize) return ERROR_MORE_DATA;
    std::memcpy(data, &value, kDwordSize);
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    OpenKey* open = KeyOf(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    OpenKeys().erase(open);
    delete open;
    return ERROR_SUCCESS;
}
