#pragma once
// The key/value registry the program reads two things from: the command that opens a web page
// and where the system information program lives. Shaped like the classic registry calls
// (open key, query value, close key; read-only) so the program logic keeps their rules, such
// as a caller-sized buffer. The backend behind the calls is replaceable: the desktop's own
// answers in the program, a map in tests.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

using HKEY = std::uintptr_t;

// The seven predefined root keys, with their platform values.
inline constexpr std::uint32_t HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr std::uint32_t HKEY_CURRENT_USER = 0x80000001u;
inline constexpr std::uint32_t HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr std::uint32_t HKEY_USERS = 0x80000003u;
inline constexpr std::uint32_t HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr std::uint32_t HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr std::uint32_t HKEY_DYN_DATA = 0x80000006u;

// Result codes of the calls.
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_MORE_DATA = 234;

// Value types.
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_DWORD = 4;

// Access masks the program asks for (the registry here is read-only whatever is asked).
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003Fu;
inline constexpr std::uint32_t KEY_READ_ALL = 0x2003Fu;

struct RegistryValue {
    std::uint32_t type = REG_SZ;
    QByteArray data; // as stored; text values include their terminating zero
    static RegistryValue text(const QString &s);
    static RegistryValue dword(std::uint32_t v);
};

// What a registry knows. Key paths use backslashes and compare without regard to case.
class RegistryBackend {
  public:
    virtual ~RegistryBackend() = default;
    virtual bool hasKey(std::uint32_t root, const QString &path) const = 0;
    // An empty name asks for the key's default value.
    virtual std::optional<RegistryValue> value(std::uint32_t root, const QString &path,
                                               const QString &name) const = 0;
};

// Installs a backend in place of the desktop's; nullptr restores the desktop's.
void setRegistryBackend(std::shared_ptr<RegistryBackend> backend);

long RegOpenKeyEx(std::uint32_t root, const QString &subKey, std::uint32_t options,
                  std::uint32_t samDesired, HKEY *result);
// Reads a value into `data`, which holds `*size` bytes. On success *size is the number of
// bytes stored (for text, including the terminating zero); ERROR_MORE_DATA when the value does
// not fit (the buffer is left alone and *size tells what is needed).
long RegQueryValueEx(HKEY key, const QString &valueName, std::uint32_t *type, char *data,
                     std::uint32_t *size);
long RegCloseKey(HKEY key);

} // namespace platform
