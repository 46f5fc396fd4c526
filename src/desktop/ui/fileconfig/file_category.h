#pragma once

#include "fileconfig/file_pages_view.h"

#include <QTabWidget>

class AccountPage;
class CameraUpdate;
class EventPage;
class FilePages;
class FilePageWidget;
class HostNamePage;
class LocalNetworkInfo;
class Messenger;
class NetworkInfoPage;
class QPushButton;

// The page control of file-configured cameras ("Category"): a tab for each row of the
// page table, the Save and Restore buttons of the page shown, and the binding of the page
// widgets to the pages' logic (FilePages): user input goes there, what it decides comes
// back through FilePagesView.
class FileCategory final : public QTabWidget, public FilePagesView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileCategory)

public:
    FileCategory(FilePages &flow, CameraUpdate &update, Messenger &messenger,
                 LocalNetworkInfo *localNetwork, QWidget *parent = nullptr);
    ~FileCategory() override;

    // The tab's page widget; null for Camera Update, whose page is no FilePageWidget.
    FilePageWidget *page(FileTab tab) const;
    // The tabs' titles again, in the language now loaded.
    void retitle();
    QPushButton *saveButton() const { return m_save; }
    QPushButton *restoreButton() const { return m_restore; }
    // Save and Restore together; beside the tabs unless the window places them itself.
    QWidget *buttonRow() const { return m_buttons; }

    // FilePagesView
    PageSettings shownSettings(FileTab tab) const override;
    void showSettings(FileTab tab, const PageSettings &settings) override;
    void setPageEnabled(FileTab tab, bool on) override;
    void setCameraTraits(const CameraTraits &traits) override;
    void setRecordDetails(const RecordDetails &details) override;
    void setCurrentTab(FileTab tab) override;
    void setSaveButtonsEnabled(bool on) override;
    void setAccountButtonsEnabled(bool on) override;
    void setPasswordResult(const QString &text) override;
    void focusControl(const QString &name) override;

private:
    void bind();
    void pageChanged(int index);
    void placeButtons(int index);

    FilePages &m_flow;
    QList<QWidget *> m_sheets;   // by tab index
    NetworkInfoPage *m_network = nullptr;
    HostNamePage *m_host = nullptr;
    AccountPage *m_account = nullptr;
    EventPage *m_event = nullptr;
    QWidget *m_buttons = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_restore = nullptr;
    bool m_switching = false;
};
