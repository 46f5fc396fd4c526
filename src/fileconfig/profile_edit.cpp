#include "fileconfig/profile_edit.h"

#include "fileconfig/config_files.h"
#include "fileconfig/config_lines.h"

void ProfileEdit::set(QByteArrayView section, QByteArrayView key, const QByteArray &value)
{
    if (!FitsOneLine(value)) {
        m_refused = true;
        return;
    }
    m_contents = ConfigFiles::setProfileValue(m_contents, section, key, value);
}

void ProfileEdit::setFlag(QByteArrayView section, QByteArrayView key, bool value)
{
    set(section, key, value ? "true" : "false");
}

std::optional<QByteArray> ProfileEdit::result() const
{
    if (m_refused)
        return std::nullopt;
    return m_contents;
}
