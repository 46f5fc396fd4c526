#pragma once

#include <QObject>
#include <QStringList>

#include <array>

// The model filter: entry 0 "Any Camera Models" and up to 49 model codes added as
// models become known. The code of the selected entry goes into every discovery
// request, and replies of other models are ignored.
class ModelFilterTable final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModelFilterTable)

public:
    static constexpr int kSlots = 50;
    static constexpr quint8 kAny = 255;

    explicit ModelFilterTable(QObject *parent = nullptr);

    void reset();
    // False when the code is already listed or every slot is taken.
    bool add(const QString &name, quint8 code);

    const QStringList &names() const { return m_names; }
    quint8 code(int slot) const;
    int selected() const { return m_selected; }
    void select(int slot);
    // The byte a discovery request carries: 255 for "Any Camera Models".
    quint8 selectedCode() const { return code(m_selected); }
    // True when a reply of the model passes the filter.
    bool accepts(quint8 modelCode) const;

signals:
    void modelAdded(const QString &name);
    void selectionChanged(int slot);
    void cleared();

private:
    std::array<quint8, kSlots> m_codes{};
    QStringList m_names;
    int m_selected = 0;
};
