#include "site/job_board.h"

#include "site/camera_outcome.h"
#include "site/report_text.h"

JobBoard::JobBoard(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void JobBoard::begin(const QString &what, const QList<Camera> &cameras)
{
    beginResetModel();
    m_what = what;
    m_rows.clear();
    m_rowOfMac.clear();
    for (const Camera &c : cameras) {
        if (m_rowOfMac.contains(c.mac))
            continue;
        m_rowOfMac.insert(c.mac, int(m_rows.size()));
        Row row;
        row.camera = c;
        row.result.mac = c.mac;
        m_rows << row;
    }
    m_running = true;
    m_stopping = false;
    endResetModel();
    emit runningChanged(true);
    emit totalsChanged();
}

void JobBoard::started(const QString &mac)
{
    const int row = m_rowOfMac.value(mac, -1);
    if (row < 0)
        return;
    m_rows[row].state = State::InFlight;
    m_rows[row].detail.clear();
    changed(row);
}

void JobBoard::phase(const QString &mac, const QString &text)
{
    const int row = m_rowOfMac.value(mac, -1);
    if (row < 0 || m_rows[row].state != State::InFlight)
        return;
    m_rows[row].detail = text;
    changed(row);
}

void JobBoard::bytes(const QString &mac, qint64 done, qint64 total)
{
    if (total > 0)
        phase(mac, QStringLiteral("uploading %1%").arg(done * 100 / total));
}

void JobBoard::ended(const BatchResult &result)
{
    const int row = m_rowOfMac.value(result.mac, -1);
    if (row >= 0)
        setResult(row, result);
}

void JobBoard::finish(const QList<BatchResult> &results)
{
    for (const BatchResult &r : results)
        ended(r);
    // A camera the run never reached is skipped, not left waiting for good.
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].state == State::Waiting || m_rows[row].state == State::InFlight) {
            BatchResult r = m_rows[row].result;
            r.verdict = QStringLiteral("not started");
            r.text = QStringLiteral("stopped before this camera's turn");
            r.status = CameraOutcome::Stopped;
            setResult(row, r);
        }
    }
    m_running = false;
    emit runningChanged(false);
    emit totalsChanged();
}

void JobBoard::setResult(int row, const BatchResult &result)
{
    Row &r = m_rows[row];
    r.result = result;
    r.hasResult = true;
    if (result.status == CameraOutcome::Ok)
        r.state = State::Done;
    else if (result.status == CameraOutcome::Stopped || result.verdict == QLatin1String("not started")
             || result.verdict == QLatin1String("skipped") || result.verdict == QLatin1String("missing"))
        r.state = State::Skipped;
    else
        r.state = State::Failed;
    r.detail = result.verdict;
    if (!result.text.isEmpty())
        r.detail += QStringLiteral(": ") + ReportText::oneLine(result.text);
    changed(row);
}

void JobBoard::changed(int row)
{
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
    emit totalsChanged();
}

bool JobBoard::holds(const QString &mac) const
{
    if (!m_running)
        return false;
    const int row = m_rowOfMac.value(mac, -1);
    return row >= 0 && (m_rows[row].state == State::Waiting || m_rows[row].state == State::InFlight);
}

QString JobBoard::busyText(const QString &mac) const
{
    return holds(mac) ? QStringLiteral("in a job: %1").arg(m_what) : QString();
}

JobBoard::State JobBoard::state(const QString &mac) const
{
    const int row = m_rowOfMac.value(mac, -1);
    return row < 0 ? State::Skipped : m_rows[row].state;
}

QString JobBoard::stateName(State state)
{
    switch (state) {
    case State::Waiting:
        return QStringLiteral("waiting");
    case State::InFlight:
        return QStringLiteral("in flight");
    case State::Done:
        return QStringLiteral("done");
    case State::Failed:
        return QStringLiteral("failed");
    case State::Skipped:
        return QStringLiteral("skipped");
    }
    return {};
}

int JobBoard::count(State state) const
{
    return int(std::count_if(m_rows.begin(), m_rows.end(), [state](const Row &r) { return r.state == state; }));
}

QString JobBoard::totals() const
{
    if (m_rows.isEmpty())
        return {};
    QString text = QStringLiteral("%1: %2 of %3 done").arg(m_what).arg(count(State::Done)).arg(m_rows.size());
    for (State s : {State::InFlight, State::Failed, State::Skipped, State::Waiting}) {
        if (const int n = count(s))
            text += QStringLiteral(", %1 %2").arg(n).arg(stateName(s));
    }
    if (m_running && m_stopping)
        text += QStringLiteral("; cancelled: the cameras in flight finish");
    else if (!m_running)
        text += QStringLiteral("; over");
    return text;
}

QList<BatchResult> JobBoard::results() const
{
    QList<BatchResult> out;
    for (const Row &r : m_rows) {
        BatchResult result = r.result;
        if (!r.hasResult) {
            result.verdict = QStringLiteral("not started");
            result.status = CameraOutcome::Stopped;
        }
        out << result;
    }
    return out;
}

int JobBoard::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int JobBoard::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant JobBoard::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const Row &r = m_rows[index.row()];
    switch (index.column()) {
    case ColCamera:
        return ReportText::escaped(r.camera.name.isEmpty() ? r.camera.mac : r.camera.name);
    case ColState:
        return stateName(r.state);
    case ColDetail:
        return ReportText::escaped(r.detail);
    default:
        return {};
    }
}

QVariant JobBoard::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColCamera:
        return QStringLiteral("Camera");
    case ColState:
        return QStringLiteral("State");
    case ColDetail:
        return QStringLiteral("Progress / result");
    default:
        return {};
    }
}
