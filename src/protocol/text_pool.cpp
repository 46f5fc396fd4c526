#include "protocol/text_pool.h"

namespace {

template <typename T>
T pooled(QSet<T> &pool, const T &value)
{
    if (value.isEmpty())
        return value;
    if (const auto it = pool.constFind(value); it != pool.constEnd())
        return *it;
    if (pool.size() < TextPool::kMaxEntries)
        pool.insert(value);
    return value;
}

} // namespace

QString TextPool::text(const QString &text)
{
    return pooled(m_texts, text);
}

QByteArray TextPool::bytes(const QByteArray &bytes)
{
    return pooled(m_bytes, bytes);
}
