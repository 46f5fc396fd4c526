#include "base/model_filter_table.h"

ModelFilterTable::ModelFilterTable(QObject *parent)
    : QObject(parent)
{
    reset();
}

void ModelFilterTable::reset()
{
    m_codes.fill(kAny);
    m_names = {QStringLiteral("Any Camera Models")};
    m_selected = 0;
    emit cleared();
}

bool ModelFilterTable::add(const QString &name, quint8 code)
{
    for (int i = 1; i < kSlots; ++i) {
        if (m_codes[i] == code)
            return false;
    }
    for (int i = 1; i < kSlots; ++i) {
        if (m_codes[i] == kAny) {
            m_codes[i] = code;
            m_names.append(name);
            emit modelAdded(name);
            return true;
        }
    }
    return false;
}

quint8 ModelFilterTable::code(int slot) const
{
    return (slot >= 0 && slot < kSlots) ? m_codes[slot] : kAny;
}

void ModelFilterTable::select(int slot)
{
    if (slot < 0 || slot >= m_names.size() || slot == m_selected)
        return;
    m_selected = slot;
    emit selectionChanged(slot);
}

bool ModelFilterTable::accepts(quint8 modelCode) const
{
    return m_selected == 0 || code(m_selected) == modelCode;
}
