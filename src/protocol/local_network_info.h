#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class AdapterSource;
class ProgramRandom;

// The "Local Network Info" group without its widgets: the address list, the selection,
// the mask, gateway and DNS texts of the selected address, and the suggested address the
// Auto Input buttons write.
class LocalNetworkInfo final
{
public:
    LocalNetworkInfo(const AdapterSource &source, ProgramRandom &random);

    // At start: every address of every connected adapter; the first adapter with a
    // gateway fills the labels and gives the selection.
    void fill();
    // The user chose another entry (the labels follow the chosen address).
    void select(int index);
    // A fresh snapshot for the selected text; labels keep their text when nothing matches.
    void addressChanged();

    const QStringList &entries() const { return m_entries; }
    int selectedIndex() const { return m_selected; }
    QString selectedAddress() const;
    const QString &netMask() const { return m_mask; }
    const QString &gateway() const { return m_gateway; }
    const QString &dns() const { return m_dns; }

    // The selected address's first three parts and a host number from 5 to 244.
    QString suggestedAddress();

    // When a mask field takes the focus: "255.255.255.0" for an empty mask beside an
    // address of 7 to 15 characters.
    static std::optional<QString> maskSuggestion(const QString &ipText, const QString &maskText);

private:
    const AdapterSource &m_source;
    ProgramRandom &m_random;
    QStringList m_entries;
    int m_selected = -1;
    QString m_mask;
    QString m_gateway;
    QString m_dns;
};
