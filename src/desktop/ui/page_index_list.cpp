#include "desktop/ui/page_index_list.h"

#include <QEvent>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

PageIndexList::PageIndexList(QTabWidget *pages, QWidget *parent)
    : QListWidget(parent)
    , m_pages(pages)
{
    setObjectName(pages->objectName() + QStringLiteral("Index"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    m_pages->tabBar()->hide();
    // Pages that come and go (a camera's optional page) reach the index once the page
    // control has placed their tab.
    if (auto *stack = m_pages->findChild<QStackedWidget *>())
        stack->installEventFilter(this);
    connect(this, &QListWidget::currentRowChanged, this, &PageIndexList::rowChosen);
    connect(m_pages, &QTabWidget::currentChanged, this, &PageIndexList::pageShown);
    sync();
}

void PageIndexList::sync()
{
    m_syncQueued = false;
    const QSignalBlocker block(this);
    clear();
    for (int i = 0; i < m_pages->count(); ++i) {
        auto *item = new QListWidgetItem(m_pages->tabText(i), this);
        item->setToolTip(m_pages->tabToolTip(i));
        if (!m_pages->isTabEnabled(i))
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
    setCurrentRow(m_pages->currentIndex());
    setMinimumHeight(neededHeight());
}

int PageIndexList::neededWidth() const
{
    int widest = 0;
    for (int i = 0; i < m_pages->count(); ++i)
        widest = qMax(widest, fontMetrics().horizontalAdvance(m_pages->tabText(i)));
    return widest + fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 2 * frameWidth();
}

int PageIndexList::neededHeight() const
{
    const int row = count() > 0 ? sizeHintForRow(0) : fontMetrics().height();
    return row * qMax(1, count()) + 2 * frameWidth();
}

bool PageIndexList::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::ChildAdded || type == QEvent::ChildRemoved) && !m_syncQueued) {
        m_syncQueued = true;
        QTimer::singleShot(0, this, &PageIndexList::sync);
    }
    return QListWidget::eventFilter(watched, event);
}

void PageIndexList::rowChosen(int row)
{
    if (row >= 0 && row != m_pages->currentIndex())
        m_pages->setCurrentIndex(row);
    // The page control may refuse the page (the user stayed with edits): the index
    // shows where it stayed.
    if (m_pages->currentIndex() != currentRow()) {
        const QSignalBlocker block(this);
        setCurrentRow(m_pages->currentIndex());
    }
}

void PageIndexList::pageShown(int index)
{
    if (count() != m_pages->count()) {
        sync();
        return;
    }
    const QSignalBlocker block(this);
    setCurrentRow(index);
}
