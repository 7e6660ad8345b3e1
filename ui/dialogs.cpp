#include "dialogs.h"

#include "globals.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

QString qtNameFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + QLatin1String(" (") +
                   QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    return out.join(QLatin1String(";;"));
}

void QtDialogs::errorBox(const QString& text, const QString& caption)
{
    QMessageBox::critical(owner_, caption, text, QMessageBox::Ok);
}

void QtDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QLatin1String(kAppTitle), text, QMessageBox::Ok, owner_);
    box.exec();
}

bool QtDialogs::question(const QString& text, const QString& caption)
{
    return QMessageBox::question(owner_, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtDialogs::generalError(const QString& text)
{
    QMessageBox::critical(owner_, QLatin1String(kAppTitle), text, QMessageBox::Ok);
}

static QString runFileDialog(QWidget* owner, FileDialogSettings& d, QFileDialog::AcceptMode mode)
{
    QFileDialog dlg(owner);
    dlg.setAcceptMode(mode);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilter(qtNameFilter(d.filter));
    QString ext = d.defaultExt;
    if (ext.startsWith(QLatin1String("*."))) ext = ext.mid(2);
    dlg.setDefaultSuffix(ext);
    // The program asks its own overwrite question.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!d.fileName.isEmpty()) dlg.selectFile(d.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    d.fileName = dlg.selectedFiles().constFirst();
    return d.fileName;
}

QString QtDialogs::openFile(FileDialogSettings& d)
{
    return runFileDialog(owner_, d, QFileDialog::AcceptOpen);
}
QString QtDialogs::saveFile(FileDialogSettings& d)
{
    return runFileDialog(owner_, d, QFileDialog::AcceptSave);
}
int QtDialogs::execModal(QDialog* dialog)
{
    return dialog->exec();
}
