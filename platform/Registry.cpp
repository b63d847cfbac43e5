#include "platform/Registry.h"

#include "platform/DesktopRegistry.h"

#include <QHash>
#include <cstring>
#include <utility>

namespace platform {

RegistryValue RegistryValue::text(const QString &s) {
    RegistryValue v;
    v.type = REG_SZ;
    v.data = s.toLocal8Bit();
    v.data.append('\0');
    return v;
}

RegistryValue RegistryValue::dword(std::uint32_t n) {
    RegistryValue v;
    v.type = REG_DWORD;
    for (int i = 0; i < 4; ++i)
        v.data.append(char((n >> (8 * i)) & 0xFF)); // little-endian, as the platform stores it
    return v;
}

namespace {

std::shared_ptr<RegistryBackend> &installed() {
    static std::shared_ptr<RegistryBackend> b;
    return b;
}

const RegistryBackend &backend() {
    if (installed())
        return *installed();
    static const std::shared_ptr<DesktopRegistry> desktop = DesktopRegistry::forThisMachine();
    return *desktop;
}

bool isRootKey(std::uint32_t root) {
    return root >= HKEY_CLASSES_ROOT && root <= HKEY_DYN_DATA;
}

struct OpenKey {
    std::uint32_t root;
    QString path;
};

QHash<HKEY, OpenKey> &openKeys() {
    static QHash<HKEY, OpenKey> keys;
    return keys;
}

} // namespace

void setRegistryBackend(std::shared_ptr<RegistryBackend> b) {
    installed() = std::move(b);
}

long RegOpenKeyEx(std::uint32_t root, const QString &subKey, std::uint32_t, std::uint32_t,
                  HKEY *result) {
    if (result)
        *result = 0;
    if (!isRootKey(root) || !result)
        return ERROR_INVALID_HANDLE;
    if (!backend().hasKey(root, subKey))
        return ERROR_FILE_NOT_FOUND;
    static HKEY next = 0x1000;
    const HKEY h = next++;
    openKeys().insert(h, {root, subKey});
    *result = h;
    return ERROR_SUCCESS;
}

long RegQueryValueEx(HKEY key, const QString &valueName, std::uint32_t *type, char *data,
                     std::uint32_t *size) {
    const auto it = openKeys().constFind(key);
    if (it == openKeys().constEnd())
        return ERROR_INVALID_HANDLE;
    const auto v = backend().value(it->root, it->path, valueName);
    if (!v)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = v->type;
    if (!size)
        return ERROR_SUCCESS;
    const auto needed = std::uint32_t(v->data.size());
    if (data && needed > *size) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed)
        std::memcpy(data, v->data.constData(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

long RegCloseKey(HKEY key) {
    return openKeys().remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace platform
