#pragma once

#include <QDialog>

class QLabel;

// The About box: the program's picture (zora.bmp or images/zora.bmp beside the program
// when present), its name and the ownership notice. A click on the picture closes it.
class TAboutDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAboutDlg)

public:
    explicit TAboutDlg(const QString &appName, QWidget *parent = nullptr);

    // The picture file the box shows, or empty for the built-in one.
    static QString pictureFile(const QString &appDir);
    QLabel *picture() const { return m_picture; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_picture;
};
