#include "desktop/ui/site/site_action_dialogs.h"

#include "fileconfig/config_fields.h"
#include "site/plan_check.h"
#include "site/report_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// A line edit with a Browse button beside it that fills it.
QWidget *withBrowse(QLineEdit *edit, const std::function<QString()> &choose)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit, 1);
    auto *browse = new QPushButton(QObject::tr("Browse..."), row);
    layout->addWidget(browse);
    QObject::connect(browse, &QPushButton::clicked, edit, [edit, choose] {
        const QString chosen = choose();
        if (!chosen.isEmpty())
            edit->setText(QDir::toNativeSeparators(chosen));
    });
    return row;
}

} // namespace

SiteActionDialogs::SiteActionDialogs(QWidget *parent)
    : m_parent(parent)
{
}

QString SiteActionDialogs::backupFolder(int cameras)
{
    return QFileDialog::getExistingDirectory(
        m_parent,
        QObject::tr("Back up %1: the folder their camera folders go to").arg(ReportText::cameras(cameras)),
        QDir::homePath());
}

std::optional<SiteActionInputs::Restore> SiteActionDialogs::restoreFrom(int cameras)
{
    Restore choice;
    if (cameras == 1) {
        QMessageBox box(QMessageBox::Question, QObject::tr("Restore"),
                        QObject::tr("Restore the camera from its own backup, or give it the settings of "
                                    "another camera's backup folder (a clone)?"),
                        QMessageBox::Cancel, m_parent);
        QPushButton *own = box.addButton(QObject::tr("Its &own backup..."), QMessageBox::AcceptRole);
        QPushButton *clone = box.addButton(QObject::tr("Another camera's &folder..."), QMessageBox::ActionRole);
        box.setDefaultButton(own);
        box.exec();
        if (box.clickedButton() == clone) {
            choice.cloneFolder = QFileDialog::getExistingDirectory(
                m_parent, QObject::tr("The camera folder whose settings the camera takes"), QDir::homePath());
            if (choice.cloneFolder.isEmpty())
                return std::nullopt;
            return choice;
        }
        if (box.clickedButton() != own)
            return std::nullopt;
    }
    choice.root = QFileDialog::getExistingDirectory(
        m_parent,
        QObject::tr("Restore %1: the backup folder holding a folder for each").arg(ReportText::cameras(cameras)),
        QDir::homePath());
    if (choice.root.isEmpty())
        return std::nullopt;
    return choice;
}

std::optional<FirmwareRollout::Job> SiteActionDialogs::firmwareJob(int cameras)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("SiteFirmwareDlg"));
    dialog.setWindowTitle(QObject::tr("Update the firmware of %1").arg(ReportText::cameras(cameras)));
    auto *form = new QFormLayout(&dialog);
    auto *image = new QLineEdit(&dialog);
    image->setObjectName(QStringLiteral("FirmwareImage"));
    form->addRow(QObject::tr("&Image:"), withBrowse(image, [&dialog] {
                     return QFileDialog::getOpenFileName(&dialog, QObject::tr("The firmware image"),
                                                         QDir::homePath());
                 }));
    auto *type = new QComboBox(&dialog);
    type->setObjectName(QStringLiteral("FirmwareType"));
    type->addItems({QObject::tr("Kernel only"), QObject::tr("The whole flash (factory settings after)")});
    form->addRow(QObject::tr("Update &type:"), type);
    auto *version = new QLineEdit(&dialog);
    version->setObjectName(QStringLiteral("FirmwareExpectVersion"));
    version->setPlaceholderText(QObject::tr("any version other than the one before"));
    form->addRow(QObject::tr("&Expected version:"), version);
    const FirmwareRollout::Job defaults;
    auto *canary = new QSpinBox(&dialog);
    canary->setObjectName(QStringLiteral("FirmwareCanary"));
    canary->setRange(0, 1000);
    canary->setValue(defaults.canary);
    form->addRow(QObject::tr("&Canaries (first, alone):"), canary);
    auto *parallel = new QSpinBox(&dialog);
    parallel->setObjectName(QStringLiteral("FirmwareParallel"));
    parallel->setRange(1, 64);
    parallel->setValue(defaults.parallel);
    form->addRow(QObject::tr("Cameras at &once after them:"), parallel);
    auto *backUp = new QCheckBox(QObject::tr("&Back each camera up first, to:"), &dialog);
    auto *backupDir = new QLineEdit(&dialog);
    backupDir->setObjectName(QStringLiteral("FirmwareBackupDir"));
    QWidget *backupRow = withBrowse(backupDir, [&dialog] {
        return QFileDialog::getExistingDirectory(&dialog, QObject::tr("Where the backups go"), QDir::homePath());
    });
    backupRow->setEnabled(false);
    QObject::connect(backUp, &QCheckBox::toggled, backupRow, &QWidget::setEnabled);
    form->addRow(backUp, backupRow);
    form->addRow(new QLabel(QObject::tr("The log of the rollout is kept beside the image: a second run with the "
                                        "same image, from here or from zoractl firmware --log, skips the cameras "
                                        "already updated."),
                            &dialog));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted || image->text().trimmed().isEmpty())
        return std::nullopt;
    FirmwareRollout::Job job;
    job.image = QDir::fromNativeSeparators(image->text().trimmed());
    job.allData = type->currentIndex() == 1;
    if (!version->text().trimmed().isEmpty())
        job.expectVersion = version->text().trimmed();
    job.canary = canary->value();
    job.parallel = parallel->value();
    if (backUp->isChecked())
        job.backupDir = QDir::fromNativeSeparators(backupDir->text().trimmed());
    return job;
}

std::optional<SiteActionInputs::Field> SiteActionDialogs::fieldToSet(int cameras)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("SetFieldDlg"));
    dialog.setWindowTitle(QObject::tr("Set a field on %1").arg(ReportText::cameras(cameras)));
    auto *form = new QFormLayout(&dialog);
    auto *fields = new QComboBox(&dialog);
    fields->setObjectName(QStringLiteral("SetFieldName"));
    QList<ConfigField> settable;
    for (const ConfigField &f : ConfigFields::fields()) {
        if (f.settable) {
            settable << f;
            fields->addItem(f.key());
        }
    }
    form->addRow(QObject::tr("&Field:"), fields);
    auto *value = new QLineEdit(&dialog);
    value->setObjectName(QStringLiteral("SetFieldValue"));
    form->addRow(QObject::tr("&Value:"), value);
    auto *kind = new QLabel(&dialog);
    form->addRow(QString(), kind);
    const auto follow = [&settable, value, kind](int i) {
        if (i < 0 || i >= settable.size())
            return;
        value->setEchoMode(settable[i].secret ? QLineEdit::Password : QLineEdit::Normal);
        kind->setText(settable[i].kindText());
    };
    QObject::connect(fields, &QComboBox::currentIndexChanged, &dialog, follow);
    follow(fields->currentIndex());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return Field{fields->currentText(), value->text()};
}

QString SiteActionDialogs::planFile()
{
    return QFileDialog::getOpenFileName(m_parent, QObject::tr("The site plan"), QDir::homePath(),
                                        QObject::tr("Site plans (*.csv);;All files (*)"));
}

bool SiteActionDialogs::confirmPlan(const PlanCheck &check)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("PlanCheckDlg"));
    dialog.setWindowTitle(QObject::tr("The site plan against the cameras that answered"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *rows = new QTableWidget(int(check.rows().size()), 3, &dialog);
    rows->setObjectName(QStringLiteral("PlanCheckRows"));
    rows->setHorizontalHeaderLabels({QObject::tr("Camera"), QObject::tr("Now at"), QObject::tr("Changes")});
    rows->horizontalHeader()->setStretchLastSection(true);
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < check.rows().size(); ++i) {
        const PlanCheck::Row &row = check.rows()[i];
        QStringList changes;
        for (const PlanCheck::FieldChange &c : row.changes)
            changes << QStringLiteral("%1 %2 → %3").arg(c.field, c.current.value_or(QStringLiteral("(none)")), c.planned);
        const QString what = !row.found ? QObject::tr("missing: it did not answer")
                             : row.asPlanned() ? QObject::tr("as planned")
                                               : changes.join(QStringLiteral(", "));
        rows->setItem(i, 0, new QTableWidgetItem(row.mac));
        rows->setItem(i, 1, new QTableWidgetItem(row.address));
        rows->setItem(i, 2, new QTableWidgetItem(ReportText::escaped(what)));
    }
    layout->addWidget(rows, 2);
    auto *problems = new QTableWidget(int(check.problems().size()), 3, &dialog);
    problems->setObjectName(QStringLiteral("PlanCheckProblems"));
    problems->setHorizontalHeaderLabels({QObject::tr("Severity"), QObject::tr("Where"), QObject::tr("Problem")});
    problems->horizontalHeader()->setStretchLastSection(true);
    problems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < check.problems().size(); ++i) {
        const PlanCheck::Problem &p = check.problems()[i];
        problems->setItem(i, 0, new QTableWidgetItem(PlanCheck::severityName(p.severity)));
        problems->setItem(i, 1, new QTableWidgetItem(p.line > 0 ? QObject::tr("line %1, %2").arg(p.line).arg(p.mac)
                                                                : p.mac));
        problems->setItem(i, 2, new QTableWidgetItem(ReportText::escaped(p.message)));
    }
    layout->addWidget(problems, 1);
    const bool blocked = check.blocksApply();
    layout->addWidget(new QLabel(blocked ? QObject::tr("The plan has errors: nothing can be sent until they are "
                                                       "mended in the file.")
                                         : QObject::tr("Apply sends each camera that differs its changes and "
                                                       "follows it through its restart."),
                                 &dialog));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    if (!blocked) {
        QPushButton *apply = buttons->addButton(QObject::tr("&Apply"), QDialogButtonBox::AcceptRole);
        apply->setObjectName(QStringLiteral("PlanApply"));
    }
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(720, 420);
    return dialog.exec() == QDialog::Accepted && !blocked;
}
