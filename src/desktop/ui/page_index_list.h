#pragma once

#include <QListWidget>

class QTabWidget;

// The page names of a page control down its side, every one in view: thirteen tabs do
// not fit beside each other in the window, and the tab bar's scroll arrows hid most of
// them. The page control keeps its pages and its current index; its tab bar goes.
class PageIndexList final : public QListWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageIndexList)

public:
    explicit PageIndexList(QTabWidget *pages, QWidget *parent = nullptr);

    // The names again, after a language change or pages coming and going.
    void sync();
    // Wide enough for every name, and tall enough for all of them without scrolling.
    int neededWidth() const;
    int neededHeight() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rowChosen(int row);
    void pageShown(int index);

    QTabWidget *m_pages;
    bool m_syncQueued = false;
};
