#include "fileconfig/config_table.h"

#include <cstring>

namespace {

QByteArray fieldText(const char *field, int size)
{
    return QByteArray(field, qsizetype(qstrnlen(field, uint(size))));
}

void fill(char *field, int size, QByteArrayView text)
{
    std::memset(field, 0, size_t(size));
    const qsizetype n = qMin<qsizetype>(text.size(), size);
    if (n > 0)
        std::memcpy(field, text.data(), size_t(n));
}

} // namespace

QByteArray ConfigEntry::keyText() const
{
    return fieldText(key, KeySize);
}

QByteArray ConfigEntry::valueText() const
{
    return fieldText(value, ValueSize);
}

void ConfigEntry::set(QByteArrayView k, QByteArrayView v)
{
    fill(key, KeySize, k);
    fill(value, ValueSize, v);
}

void ConfigTable::clear()
{
    count = 0;
    entries = {};
}
