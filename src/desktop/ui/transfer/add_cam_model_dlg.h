#pragma once

#include "desktop/ui/transfer/open_file_dialog.h"

#include <QDialog>

#include <optional>

class Messenger;
class QLineEdit;
class QPushButton;

// "Add Control Daemon": the path of a daemon file to add. Created once and kept, so it
// shows the last chosen path again; its browser opens as soon as it is shown.
class TAddCamModelDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAddCamModelDlg)

public:
    TAddCamModelDlg(Messenger &messenger, QWidget *parent = nullptr);

    void setChooser(OpenFileChooser chooser) { m_chooser = std::move(chooser); }
    // Shows the dialog modally: the chosen path, nothing when cancelled.
    std::optional<QString> choose();
    QString path() const;

    void Button1Click();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    Messenger &m_messenger;
    OpenFileChooser m_chooser;
    QLineEdit *m_edit1;
    QPushButton *m_button1;
    QPushButton *m_bitBtn1;
    QPushButton *m_bitBtn2;
};
