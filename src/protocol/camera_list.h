#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <functional>

// The camera list: one row per camera with its caption (the model name) and nine text
// columns, of which the first three are shown (MAC, IP address, host name), then the
// record index, the connection kind or poll toggle and the poll counters. The row icon
// is the presence state. The counters are kept as numbers and shown as text, so the
// presence poll over thousands of rows costs next to nothing.
class CameraList final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CameraList)

public:
    enum Column { ColMac = 0, ColIp, ColHost, ColRecord, ColKind, ColAttempts, ColWait,
                  ColCycles, ColCountdown, kTextColumns };
    enum State { Present = -1, Restarting = 0, NotFound = 2, Lost = 3, Waiting = 4,
                 Upgrading = 5, Updating = 6 };
    static constexpr int kVisibleColumns = 4;

    struct Row {
        QString caption;
        QString mac;
        QString ip;
        QString host;
        int record = -1;
        std::array<int, 5> counters{};   // columns 4..8
        int icon = Present;
        bool warning = false;            // drawn in the warning colour (beside the ints: no padding)
        QString remark;                  // the row's tooltip: adapter, address problems
        QString silence;                 // "no answer to the scan at 14:02"; drawn greyed
    };

    explicit CameraList(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setHeaderTitles(const QStringList &titles);
    void setIconProvider(std::function<QVariant(int state)> provider);
    // What a state icon means, in a few words (the icon's tooltip and the legend).
    static QString stateText(int state);
    // cam2 before cam10: digit runs by value, the rest case-insensitively.
    static int naturalCompare(const QString &a, const QString &b);
    static QList<int> states() { return {Present, Waiting, Restarting, Lost, NotFound, Upgrading, Updating}; }
    // The row shows text (in any column, its tooltip included): the list's filter box.
    bool rowMatches(int r, const QString &text) const;
    // The foreground of rows with a warning (a brush from the window).
    void setWarningForeground(const QVariant &brush) { m_warningForeground = brush; }
    void setSilentForeground(const QVariant &brush) { m_silentForeground = brush; }
    // How the cells show a camera's texts (the window escapes control characters, as
    // zoractl prints them); the row data keep what the camera sent.
    void setDisplayText(std::function<QString(const QString &)> shown) { m_shown = std::move(shown); }
    // A row that did not answer the last scan (empty text: it answered).
    void setSilence(int r, const QString &text);
    // Tooltip and warning mark of a row; views hear of it only when it changed.
    void setRemark(int r, const QString &remark, bool warning);

    int count() const { return int(m_rows.size()); }
    const Row &row(int r) const { return m_rows.at(r); }
    QString caption(int r) const { return m_rows.at(r).caption; }
    // Text of hidden column k (0..8), as the rest of the program reads it.
    QString column(int r, int k) const;
    int counter(int r, int k) const { return m_rows.at(r).counters[k - ColKind]; }
    int icon(int r) const { return m_rows.at(r).icon; }

    // A new row; with `quietly` the program sees it at once, the views only at the next
    // announcePending() (or any change that moves rows), so a burst of new cameras reaches
    // them as a few large insertions.
    int appendRow(const Row &row, bool quietly = false);
    void announcePending();
    int pendingRows() const { return int(m_rows.size()) - m_announced; }
    // Rows at the end, announced to the views once.
    void appendRows(const QList<Row> &rows);
    void setCaption(int r, const QString &caption);
    void setText(int r, int k, const QString &text);   // columns 0..2
    void setCounter(int r, int k, int value);          // columns 4..8
    void setCounters(int r, std::array<int, 5> values);
    void setIcon(int r, int state);
    void setRecord(int r, int record) { m_rows[r].record = record; }
    void clear();
    // All rows at once, in one model reset.
    void resetRows(QList<Row> rows);
    void removeFirst();
    void removeRow(int r);

    // The row whose MAC column equals mac, or -1.
    int rowOfMac(const QString &mac) const;
    // The first row (lowest position) that has not answered yet (MAC shorter than 3
    // characters) and shows ip, or -1.
    int firstCandidate(const QString &ip) const;
    int rowOfRecord(int record) const;
    // Any other row showing the same IP address.
    bool ipShared(int r) const;

    // Sort by the list column clicked (0 caption, k text column k-1), case-insensitive,
    // reversed when that column's direction flag is set; the flag then toggles.
    void sortByColumn(int listColumn);
    // The column of the last sort (-1 none) and whether it ran descending, for the
    // header's indicator.
    int sortColumn() const { return m_sortColumn; }
    bool sortDescending() const { return m_sortDescending; }

signals:
    // The rows stopped being in the order of the last sort (rows came, a sorted column's
    // text changed), or a sort ran: the header's indicator follows sortColumn().
    void sortChanged();

public:
    // Rows changed without a view refresh (the presence poll) are announced together.
    void announceRow(int r);

private:
    void rebuildIndex();
    void indexRow(int r);
    void orderLost();
    QString shown(const QString &text) const { return m_shown ? m_shown(text) : text; }
    void reserveFor(qsizetype more);
    bool announced(int r) const { return r < m_announced; }

    QList<Row> m_rows;
    // Rows the views know of: the first m_announced of m_rows.
    int m_announced = 0;
    void unindexAddress(int r);
    void indexAddress(int r);

    QHash<QString, int> m_byMac;
    // Rows that have not answered yet, by the address they show, in position order.
    QHash<QString, QList<int>> m_unansweredByIp;
    int m_unanswered = 0;
    QStringList m_titles;
    std::array<bool, kVisibleColumns> m_sortFlags{};
    int m_sortColumn = -1;
    bool m_sortDescending = false;
    std::function<QVariant(int)> m_iconProvider;
    QVariant m_warningForeground;
    QVariant m_silentForeground;
    std::function<QString(const QString &)> m_shown;
};
