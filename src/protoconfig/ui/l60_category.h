#pragma once

#include <QHash>
#include <QTabWidget>

class L60Pages;
class QPushButton;

// The page control of protocol-configured cameras ("L60Category"): the four pages, the
// Save and Restore buttons that move to the current page, and the binding of every
// named control to L60Pages (user input goes in, stateChanged copies the state out).
class L60Category final : public QTabWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(L60Category)

public:
    explicit L60Category(L60Pages &pages, QWidget *parent = nullptr);

    QWidget *page(int index) const { return m_pages.value(index); }
    // Copies the state of L60Pages into the controls.
    void sync();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void bind();
    void pageChanged(int index);
    void focusControl(const QString &name);

    L60Pages &m_core;
    QList<QWidget *> m_pages;
    QPushButton *m_save = nullptr;
    QPushButton *m_restore = nullptr;
    QHash<QString, QWidget *> m_controls;
    bool m_syncing = false;
};
