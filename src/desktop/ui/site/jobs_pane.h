#pragma once

#include <QDockWidget>

class JobBoard;
class QLabel;
class QPushButton;
class QTableView;
class SiteJobs;

// The dock that shows the job on a selection of cameras: a row a camera with its state
// and progress, the totals, Cancel while it runs and Export results after. It shows
// itself when a job starts.
class JobsPane final : public QDockWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(JobsPane)

public:
    explicit JobsPane(SiteJobs &jobs, QWidget *parent = nullptr);

    QTableView *table() const { return m_table; }

private:
    void refresh();
    void exportResults();

    SiteJobs &m_jobs;
    QTableView *m_table = nullptr;
    QLabel *m_totals = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_export = nullptr;
};
