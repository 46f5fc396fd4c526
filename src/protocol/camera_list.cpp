#include "protocol/camera_list.h"

#include "base/shared_routines.h"


#include <algorithm>
#include <numeric>

namespace {

bool unanswered(const CameraList::Row &row)
{
    return row.mac.size() < 3;
}

} // namespace

CameraList::CameraList(QObject *parent)
    : QAbstractTableModel(parent)
    , m_titles{QStringLiteral("Model"), QStringLiteral("Mac Address"),
               QStringLiteral("IP Address"), QStringLiteral("Host Name")}
{
}

int CameraList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_announced;
}

int CameraList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kVisibleColumns;
}

QVariant CameraList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_announced)
        return {};
    const Row &r = m_rows.at(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0: return shown(r.caption);
        case 1: return shown(r.mac);
        case 2: return shown(r.ip);
        case 3: return shown(r.host);
        default: return {};
        }
    }
    if (role == Qt::DecorationRole && index.column() == 0 && m_iconProvider)
        return m_iconProvider(r.icon);
    if (role == Qt::ToolTipRole && index.column() == 0 && r.icon != Present) {
        const QString rest = data(this->index(index.row(), 1), role).toString();
        return rest.isEmpty() ? stateText(r.icon) : stateText(r.icon) + QLatin1Char('\n') + rest;
    }
    if (role == Qt::ToolTipRole) {
        QStringList lines;
        // A long host name is cut in its column: the tooltip has it whole.
        if (index.column() == 3 && !r.host.isEmpty())
            lines << shown(r.host);
        for (const QString *text : {&r.silence, &r.remark}) {
            if (!text->isEmpty())
                lines << *text;
        }
        return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
    }
    if (role == Qt::ForegroundRole && r.warning)
        return m_warningForeground;
    if (role == Qt::ForegroundRole && !r.silence.isEmpty())
        return m_silentForeground;
    return {};
}

QString CameraList::stateText(int state)
{
    switch (state) {
    case Present: return QStringLiteral("Answering");
    case Waiting: return QStringLiteral("Saved camera, being asked whether it is there");
    case Restarting: return QStringLiteral("Restarting after a change; asked every 10 s");
    case Lost: return QStringLiteral("Did not come back after its restart");
    case NotFound: return QStringLiteral("Saved camera that never answered");
    case Upgrading: return QStringLiteral("Firmware upload in progress");
    case Updating: return QStringLiteral("Updating its software; asked every 10 s");
    default: return {};
    }
}

bool CameraList::rowMatches(int r, const QString &text) const
{
    if (text.isEmpty())
        return true;
    const Row &row = m_rows.at(r);
    for (const QString *field : {&row.caption, &row.mac, &row.ip, &row.host, &row.remark, &row.silence}) {
        if (field->contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void CameraList::setSilence(int r, const QString &text)
{
    if (m_rows[r].silence == text)
        return;
    m_rows[r].silence = text;
    if (announced(r))
        emit dataChanged(index(r, 0), index(r, kVisibleColumns - 1), {Qt::ToolTipRole, Qt::ForegroundRole});
}

void CameraList::setRemark(int r, const QString &remark, bool warning)
{
    Row &row = m_rows[r];
    if (row.remark == remark && row.warning == warning)
        return;
    row.remark = remark;
    row.warning = warning;
    if (announced(r))
        emit dataChanged(index(r, 0), index(r, kVisibleColumns - 1), {Qt::ToolTipRole, Qt::ForegroundRole});
}

QVariant CameraList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < m_titles.size())
        return m_titles.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void CameraList::setHeaderTitles(const QStringList &titles)
{
    m_titles = titles;
    emit headerDataChanged(Qt::Horizontal, 0, kVisibleColumns - 1);
}

void CameraList::setIconProvider(std::function<QVariant(int)> provider)
{
    m_iconProvider = std::move(provider);
}

QString CameraList::column(int r, int k) const
{
    const Row &row = m_rows.at(r);
    switch (k) {
    case ColMac: return row.mac;
    case ColIp: return row.ip;
    case ColHost: return row.host;
    case ColRecord: return QString::number(row.record);
    default:
        if (k >= ColKind && k < kTextColumns)
            return QString::number(row.counters[k - ColKind]);
        return {};
    }
}

int CameraList::appendRow(const Row &row, bool quietly)
{
    const int r = int(m_rows.size());
    if (quietly) {
        reserveFor(1);
        m_rows.append(row);
        indexRow(r);
        return r;
    }
    announcePending();
    beginInsertRows({}, r, r);
    reserveFor(1);
    m_rows.append(row);
    indexRow(r);
    m_announced = int(m_rows.size());
    endInsertRows();
    orderLost();
    return r;
}

void CameraList::appendRows(const QList<Row> &rows)
{
    if (rows.isEmpty())
        return;
    announcePending();
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    reserveFor(rows.size());
    m_rows.append(rows);
    for (int r = first; r < m_rows.size(); ++r)
        indexRow(r);
    m_announced = int(m_rows.size());
    endInsertRows();
    orderLost();
}

void CameraList::announcePending()
{
    if (m_announced == m_rows.size())
        return;
    // The rows are in place already; the views learn of them as if they came now, each
    // with the data it holds by then.
    beginInsertRows({}, m_announced, int(m_rows.size()) - 1);
    m_announced = int(m_rows.size());
    endInsertRows();
}

void CameraList::reserveFor(qsizetype more)
{
    // A quarter more room at a time, not twice as much: a list of tens of thousands of
    // rows keeps little unused room, and a burst still moves each row only a few times.
    if (const qsizetype need = m_rows.size() + more; need > m_rows.capacity())
        m_rows.reserve(qMax(need, m_rows.size() + m_rows.size() / 4));
}

void CameraList::setCaption(int r, const QString &caption)
{
    if (m_rows[r].caption == caption)
        return;
    m_rows[r].caption = caption;
    if (announced(r))
        emit dataChanged(index(r, 0), index(r, 0));
    if (m_sortColumn == 0)
        orderLost();
}

void CameraList::setText(int r, int k, const QString &text)
{
    Row &row = m_rows[r];
    QString *field = k == ColMac ? &row.mac : k == ColIp ? &row.ip : k == ColHost ? &row.host
                                                                                  : nullptr;
    if (!field || *field == text)
        return;
    if (k == ColMac) {
        if (unanswered(row)) {
            --m_unanswered;
            unindexAddress(r);
        }
        if (m_byMac.value(row.mac, -1) == r)
            m_byMac.remove(row.mac);
        row.mac = text;
        indexRow(r);
    } else if (k == ColIp && unanswered(row)) {
        unindexAddress(r);
        row.ip = text;
        indexAddress(r);
    } else {
        *field = text;
    }
    if (announced(r))
        emit dataChanged(index(r, k + 1), index(r, k + 1));
    if (m_sortColumn == k + 1)
        orderLost();
}

void CameraList::setCounter(int r, int k, int value)
{
    m_rows[r].counters[k - ColKind] = value;
}

void CameraList::setCounters(int r, std::array<int, 5> values)
{
    m_rows[r].counters = values;
}

void CameraList::setIcon(int r, int state)
{
    if (m_rows[r].icon == state)
        return;
    m_rows[r].icon = state;
    if (announced(r))
        emit dataChanged(index(r, 0), index(r, 0), {Qt::DecorationRole});
}

void CameraList::announceRow(int r)
{
    if (announced(r))
        emit dataChanged(index(r, 0), index(r, kVisibleColumns - 1));
}

void CameraList::clear()
{
    resetRows({});
}

void CameraList::resetRows(QList<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_announced = int(m_rows.size());
    rebuildIndex();
    endResetModel();
    orderLost();
}

void CameraList::orderLost()
{
    if (m_sortColumn < 0)
        return;
    m_sortColumn = -1;
    emit sortChanged();
}

void CameraList::removeFirst()
{
    if (m_rows.isEmpty())
        return;
    announcePending();
    beginRemoveRows({}, 0, 0);
    m_rows.removeFirst();
    --m_announced;
    rebuildIndex();
    endRemoveRows();
}

void CameraList::removeRow(int r)
{
    if (r < 0 || r >= m_rows.size())
        return;
    announcePending();
    beginRemoveRows({}, r, r);
    m_rows.removeAt(r);
    --m_announced;
    rebuildIndex();
    endRemoveRows();
}

int CameraList::rowOfMac(const QString &mac) const
{
    if (mac.size() < 3)
        return -1;
    return m_byMac.value(mac, -1);
}

int CameraList::firstCandidate(const QString &ip) const
{
    if (m_unanswered == 0)
        return -1;
    const auto it = m_unansweredByIp.constFind(ip);
    return it == m_unansweredByIp.constEnd() || it->isEmpty() ? -1 : it->first();
}

void CameraList::unindexAddress(int r)
{
    const auto it = m_unansweredByIp.find(m_rows[r].ip);
    if (it == m_unansweredByIp.end())
        return;
    it->removeOne(r);
    if (it->isEmpty())
        m_unansweredByIp.erase(it);
}

void CameraList::indexAddress(int r)
{
    QList<int> &rows = m_unansweredByIp[m_rows[r].ip];
    rows.insert(std::lower_bound(rows.begin(), rows.end(), r), r);
}

int CameraList::rowOfRecord(int record) const
{
    for (int r = 0; r < m_rows.size(); ++r) {
        if (m_rows[r].record == record)
            return r;
    }
    return -1;
}

bool CameraList::ipShared(int r) const
{
    const QString &ip = m_rows.at(r).ip;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (i != r && m_rows[i].ip == ip)
            return true;
    }
    return false;
}

int CameraList::naturalCompare(const QString &a, const QString &b)
{
    // Runs of digits compare by their value, everything else case-insensitively.
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei] == QLatin1Char('0'))
                ++ei;
            while (ej < b.size() && b[ej] == QLatin1Char('0'))
                ++ej;
            qsizetype di = ei, dj = ej;
            while (di < a.size() && a[di].isDigit())
                ++di;
            while (dj < b.size() && b[dj].isDigit())
                ++dj;
            if (di - ei != dj - ej)
                return di - ei < dj - ej ? -1 : 1;
            if (const int c = QStringView(a).sliced(ei, di - ei).compare(QStringView(b).sliced(ej, dj - ej)))
                return c < 0 ? -1 : 1;
            i = di;
            j = dj;
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    return (a.size() - i) < (b.size() - j) ? -1 : (a.size() - i) > (b.size() - j) ? 1 : 0;
}

void CameraList::sortByColumn(int listColumn)
{
    if (listColumn < 0 || listColumn >= kVisibleColumns)
        return;
    auto key = [listColumn](const Row &row) -> const QString & {
        switch (listColumn) {
        case 0: return row.caption;
        case 1: return row.mac;
        case 2: return row.ip;
        default: return row.host;
        }
    };
    // Addresses by their value (127.0.0.9 before 127.0.0.10), host names naturally (cam2
    // before cam10); a row without an address (typed, not answered) goes last.
    auto compare = [&](const Row &a, const Row &b) {
        if (listColumn == 2) {
            const auto x = DottedDecimal(a.ip), y = DottedDecimal(b.ip);
            if (x && y)
                return *x < *y ? -1 : *x > *y ? 1 : 0;
            if (x || y)
                return x ? -1 : 1;
        }
        if (listColumn == 3)
            return naturalCompare(a.host, b.host);
        return key(a).compare(key(b), Qt::CaseInsensitive);
    };
    announcePending();
    const bool reversed = m_sortFlags[listColumn];
    m_sortColumn = listColumn;
    m_sortDescending = reversed;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compare(m_rows[a], m_rows[b]);
        return reversed ? c > 0 : c < 0;
    });
    QList<Row> sorted;
    sorted.reserve(m_rows.size());
    QList<int> newPosition(m_rows.size());
    for (int i = 0; i < order.size(); ++i) {
        sorted.append(m_rows[order[i]]);
        newPosition[order[i]] = i;
    }
    m_rows = std::move(sorted);
    // Keep the view's selection and current row on the same cameras.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(newPosition[i.row()], i.column()));
    changePersistentIndexList(before, after);
    rebuildIndex();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    m_sortFlags[listColumn] = !reversed;
    emit sortChanged();
}

void CameraList::rebuildIndex()
{
    m_byMac.clear();
    m_unansweredByIp.clear();
    m_unanswered = 0;
    for (int r = 0; r < m_rows.size(); ++r)
        indexRow(r);
}

void CameraList::indexRow(int r)
{
    const Row &row = m_rows[r];
    if (unanswered(row)) {
        ++m_unanswered;
        indexAddress(r);
    } else if (!m_byMac.contains(row.mac))
        m_byMac.insert(row.mac, r);
}
