#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <utility>

// Profile updates of one INI-style camera file, each leaving every other line as it was;
// a key whose line already says the value is not respelled. A value that would break the
// file's lines (a line break, a NUL) spoils the whole edit, so nothing half-done is kept.
class ProfileEdit final
{
public:
    explicit ProfileEdit(QByteArray contents) : m_contents(std::move(contents)) {}

    void set(QByteArrayView section, QByteArrayView key, const QByteArray &value);
    void setFlag(QByteArrayView section, QByteArrayView key, bool value);

    // The edited file; nothing when a value was refused.
    std::optional<QByteArray> result() const;

private:
    QByteArray m_contents;
    bool m_refused = false;
};
