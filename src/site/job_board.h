#pragma once

#include "site/batch_runner.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The cameras of the run in progress (or of the last one) as a table a front end shows:
// a row a camera with its state, what it waits for now and, at the end, its result.
// The run's events come in through started(), phase(), bytes() and ended(); finish()
// takes the run's own results, which have the last word.
class JobBoard final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(JobBoard)

public:
    enum class State { Waiting, InFlight, Done, Failed, Skipped };
    enum Column { ColCamera, ColState, ColDetail, kColumns };
    struct Camera {
        QString mac;
        QString name;    // "host (MAC)" as the list shows it
    };

    explicit JobBoard(QObject *parent = nullptr);

    // A new run of what ("firmware update") over cameras, each waiting.
    void begin(const QString &what, const QList<Camera> &cameras);
    void started(const QString &mac);
    void phase(const QString &mac, const QString &text);
    void bytes(const QString &mac, qint64 done, qint64 total);
    void ended(const BatchResult &result);
    // The run is over: results by MAC; a camera without one keeps what it had.
    void finish(const QList<BatchResult> &results);
    // Cancel was asked for: no new camera starts.
    void setStopping() { m_stopping = true; emit totalsChanged(); }

    bool running() const { return m_running; }
    bool stopping() const { return m_stopping; }
    const QString &what() const { return m_what; }
    // Waiting or in flight in the run in progress.
    bool holds(const QString &mac) const;
    // "in a job: firmware update" for a camera the run holds, else empty.
    QString busyText(const QString &mac) const;
    State state(const QString &mac) const;
    static QString stateName(State state);
    // "firmware update: 3 of 20 done, 2 in flight, 1 failed, 14 waiting".
    QString totals() const;
    int count(State state) const;
    // One result a camera in the run's order; those not ended read "not started".
    QList<BatchResult> results() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void totalsChanged();
    // The run began or ended: cameras' pages follow holds().
    void runningChanged(bool running);

private:
    struct Row {
        Camera camera;
        State state = State::Waiting;
        QString detail;
        BatchResult result;
        bool hasResult = false;
    };
    void setResult(int row, const BatchResult &result);
    void changed(int row);

    QString m_what;
    QList<Row> m_rows;
    QHash<QString, int> m_rowOfMac;
    bool m_running = false;
    bool m_stopping = false;
};
