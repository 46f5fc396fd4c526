#include "desktop/ui/site/jobs_pane.h"

#include "desktop/site_jobs.h"
#include "desktop/ui/export_file_dialog.h"
#include "site/job_board.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

JobsPane::JobsPane(SiteJobs &jobs, QWidget *parent)
    : QDockWidget(tr("Jobs"), parent)
    , m_jobs(jobs)
{
    setObjectName(QStringLiteral("JobsPane"));
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    m_totals = new QLabel(body);
    m_totals->setObjectName(QStringLiteral("JobsTotals"));
    m_totals->setWordWrap(true);
    layout->addWidget(m_totals);
    m_table = new QTableView(body);
    m_table->setObjectName(QStringLiteral("JobsTable"));
    m_table->setModel(&jobs.board());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Fitted once a job, when its cameras are set out: fitting at every camera's change
    // would measure every row each time.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    connect(&jobs.board(), &QAbstractItemModel::modelReset, m_table, [this] {
        m_table->resizeColumnToContents(JobBoard::ColCamera);
        m_table->setColumnWidth(JobBoard::ColState,
                                m_table->fontMetrics().horizontalAdvance(QStringLiteral("in flight")) + 24);
    });
    layout->addWidget(m_table, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel = new QPushButton(tr("&Cancel the job"), body);
    m_cancel->setObjectName(QStringLiteral("JobsCancel"));
    m_cancel->setToolTip(tr("No new camera starts; the cameras in flight finish what they are doing"));
    m_export = new QPushButton(tr("E&xport results..."), body);
    m_export->setObjectName(QStringLiteral("JobsExport"));
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_export);
    layout->addLayout(buttons);
    setWidget(body);

    JobBoard &board = jobs.board();
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_jobs.cancel(); });
    connect(m_export, &QPushButton::clicked, this, &JobsPane::exportResults);
    connect(&board, &JobBoard::totalsChanged, this, &JobsPane::refresh);
    connect(&board, &JobBoard::runningChanged, this, [this](bool running) {
        if (running) {
            show();
            raise();
        }
        refresh();
    });
    refresh();
}

void JobsPane::refresh()
{
    const JobBoard &board = m_jobs.board();
    m_totals->setText(board.totals().isEmpty() ? tr("No job yet: select cameras and choose an action in the "
                                                    "Camera menu.")
                                               : board.totals());
    m_cancel->setEnabled(board.running() && !board.stopping());
    m_export->setEnabled(!board.running() && board.rowCount() > 0);
}

void JobsPane::exportResults()
{
    // JSON is chosen by the name's extension, as the list's export does.
    const QString path = ExportFileDialog::ask(this, tr("Export the job's results"));
    if (!path.isEmpty())
        m_jobs.exportResults(path);
}
